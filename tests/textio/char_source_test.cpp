// Tests of the byte source under the readers: refills across small buffers, the assumed
// LF after a last line without one, line numbers and read failures.
#include "textio/char_source.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

namespace korvane2::textio {
namespace {

std::string drain(CharSource& src) {
  std::string out;
  for (int c = src.get(); c != CharSource::kEnd; c = src.get()) out.push_back(static_cast<char>(c));
  return out;
}

// Hands its bytes over in chunks of a given size, then reports the end or a failure.
class ChunkedSource final : public CharSource {
 public:
  ChunkedSource(std::string bytes, std::size_t buffer, std::size_t chunk, bool failAtEnd)
      : CharSource(buffer), bytes_(std::move(bytes)), chunk_(chunk), failAtEnd_(failAtEnd) {}
  int refills = 0;

 protected:
  long refill(char* buf, std::size_t cap) override {
    ++refills;
    if (offset_ == bytes_.size()) return failAtEnd_ ? -1 : 0;
    std::size_t n = std::min({cap, chunk_, bytes_.size() - offset_});
    bytes_.copy(buf, n, offset_);
    offset_ += n;
    return static_cast<long>(n);
  }

 private:
  std::string bytes_;
  std::size_t offset_ = 0;
  std::size_t chunk_;
  bool failAtEnd_;
};

TEST(CharSource, LastLineWithoutLfEndsWithOne) {
  MemorySource src("ab\ncd");
  EXPECT_EQ(drain(src), "ab\ncd\n");
  EXPECT_EQ(src.peek(), CharSource::kEnd);
  EXPECT_FALSE(src.failed());
}

TEST(CharSource, NoExtraLfAfterAFinalLf) {
  MemorySource src("ab\n");
  EXPECT_EQ(drain(src), "ab\n");
}

TEST(CharSource, EmptyStreamHasNoLine) {
  MemorySource src("");
  EXPECT_EQ(src.peek(), CharSource::kEnd);
  EXPECT_EQ(src.get(), CharSource::kEnd);
  EXPECT_EQ(src.line_number(), 1);
}

TEST(CharSource, LastLineEndingInCrGetsAnLf) {
  MemorySource src("ab\r");
  EXPECT_EQ(drain(src), "ab\r\n");
}

TEST(CharSource, PeekDoesNotConsumeAndLinesAreCounted) {
  MemorySource src("a\n\nb");
  EXPECT_EQ(src.peek(), 'a');
  EXPECT_EQ(src.peek(), 'a');
  EXPECT_EQ(src.line_number(), 1);
  EXPECT_EQ(src.get(), 'a');
  EXPECT_EQ(src.get(), '\n');
  EXPECT_EQ(src.line_number(), 2);
  EXPECT_EQ(src.get(), '\n');
  EXPECT_EQ(src.line_number(), 3);
  EXPECT_EQ(src.get(), 'b');
  EXPECT_EQ(src.get(), '\n');  // the assumed LF
  EXPECT_EQ(src.line_number(), 4);
  EXPECT_EQ(src.get(), CharSource::kEnd);
  EXPECT_EQ(src.line_number(), 4);
}

TEST(CharSource, BytesAbove127AndNulAreOrdinaryBytes) {
  MemorySource src(std::string("\xff\x00\x1a", 3));
  EXPECT_EQ(src.get(), 0xff);
  EXPECT_EQ(src.get(), 0);
  EXPECT_EQ(src.get(), 26);
  EXPECT_EQ(src.get(), '\n');
}

TEST(CharSource, SmallBuffersAndChunks) {
  const std::string text = "first line\nsecond\r\nthird";
  for (std::size_t buffer : {1u, 2u, 3u, 7u, 64u}) {
    for (std::size_t chunk : {1u, 2u, 5u, 100u}) {
      ChunkedSource src(text, buffer, chunk, false);
      EXPECT_EQ(drain(src), text + "\n") << buffer << " " << chunk;
    }
  }
}

TEST(CharSource, ZeroBufferSizeStillWorks) {
  ChunkedSource src("xy", 0, 10, false);
  EXPECT_EQ(drain(src), "xy\n");
}

TEST(CharSource, FailureIsReportedAndNotTurnedIntoALineEnd) {
  ChunkedSource src("abc", 16, 16, true);
  EXPECT_EQ(drain(src), "abc");
  EXPECT_TRUE(src.failed());
  EXPECT_EQ(src.peek(), CharSource::kEnd);
  EXPECT_EQ(src.get(), CharSource::kEnd);
}

TEST(CharSource, EndIsNotAskedForAgain) {
  ChunkedSource src("a", 16, 16, false);
  EXPECT_EQ(drain(src), "a\n");
  const int refills = src.refills;
  EXPECT_EQ(src.peek(), CharSource::kEnd);
  EXPECT_EQ(src.get(), CharSource::kEnd);
  EXPECT_EQ(src.refills, refills);
}

}  // namespace
}  // namespace korvane2::textio
