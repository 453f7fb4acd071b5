// Byte stream consumed by the read statements: a buffered source with one byte of
// look-ahead, a line counter, and the rule that a last line without LF still ends in LF.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace korvane2::textio {

class CharSource {
 public:
  static constexpr int kEnd = -1;  // no more bytes

  explicit CharSource(std::size_t bufferSize = 65536);
  virtual ~CharSource() = default;
  CharSource(const CharSource&) = delete;
  CharSource& operator=(const CharSource&) = delete;

  // The next byte (0..255) without consuming it, or kEnd.
  int peek() {
    if (pos_ < len_) return static_cast<unsigned char>(buf_[pos_]);
    return slow_peek();
  }
  // The next byte (0..255), consumed, or kEnd. Every consumed LF advances the line number.
  int get() {
    int c = peek();
    if (c != kEnd) {
      ++pos_;
      lastByte_ = c;
      if (c == '\n') ++line_;
    }
    return c;
  }
  // Consumes the bytes up to and including the next LF; false when the data ended first.
  bool skip_line();
  // Number of the line the next byte belongs to, counted from 1.
  long line_number() const { return line_; }
  // True when a read of the underlying file failed (as opposed to reaching its end).
  bool failed() const { return failed_; }

 protected:
  // Fills buf with up to cap bytes; returns the count, 0 at the end of the data, or -1
  // when the data cannot be read.
  virtual long refill(char* buf, std::size_t cap) = 0;

 private:
  int slow_peek();

  std::vector<char> buf_;
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  int lastByte_ = '\n';  // an empty stream has no last line
  bool atEnd_ = false;
  bool failed_ = false;
  bool lfAppended_ = false;
  long line_ = 1;
};

// A source over bytes held in memory (tests, diagnostics, fuzzing).
class MemorySource final : public CharSource {
 public:
  explicit MemorySource(std::string_view bytes) : CharSource(4096), bytes_(bytes) {}

 protected:
  long refill(char* buf, std::size_t cap) override;

 private:
  std::string bytes_;
  std::size_t offset_ = 0;
};

}  // namespace korvane2::textio
