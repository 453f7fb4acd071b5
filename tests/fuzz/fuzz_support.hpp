// Helpers shared by the fuzz targets: a byte source that hands its data over in small
// pieces through a small buffer (so that every refill boundary of the reader's source is
// crossed), and a check that reports a broken property and aborts, which libFuzzer
// records as a finding.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "textio/char_source.hpp"

namespace korvane2::fuzz {

// A source over bytes in memory whose refills deliver at most `chunk` bytes into a buffer
// of `bufferSize` bytes.
class ChunkedSource final : public textio::CharSource {
 public:
  ChunkedSource(std::string_view bytes, std::size_t bufferSize, std::size_t chunk)
      : CharSource(bufferSize), bytes_(bytes), chunk_(std::max<std::size_t>(chunk, 1)) {}

 protected:
  long refill(char* buf, std::size_t cap) override {
    const std::size_t n = std::min({cap, chunk_, bytes_.size() - offset_});
    std::memcpy(buf, bytes_.data() + offset_, n);
    offset_ += n;
    return static_cast<long>(n);
  }

 private:
  std::string bytes_;
  std::size_t chunk_;
  std::size_t offset_ = 0;
};

[[noreturn]] inline void fail(const char* file, int line, const char* what, const std::string& detail) {
  std::fprintf(stderr, "\nfuzz property broken at %s:%d: %s\n%s\n", file, line, what, detail.c_str());
  std::fflush(stderr);
  std::abort();
}

#define FUZZ_CHECK(cond, detail)                                            \
  do {                                                                      \
    if (!(cond)) ::korvane2::fuzz::fail(__FILE__, __LINE__, #cond, detail); \
  } while (0)

inline std::string bits_text(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g (0x%016llx)", v, static_cast<unsigned long long>(b));
  return buf;
}

inline bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Printable form of a byte string for reports.
inline std::string quoted(std::string_view s, std::size_t limit = 200) {
  std::string out = "\"";
  for (std::size_t i = 0; i < s.size() && i < limit; ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 32 && c < 127 && c != '"' && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    }
  }
  if (s.size() > limit) out += "...";
  return out + "\"";
}

}  // namespace korvane2::fuzz
