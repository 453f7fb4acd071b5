// Buffered byte source shared by the parameter-file and ring-table readers: refills,
// the assumed LF after a last line without one, and the in-memory source.
#include "textio/char_source.hpp"

#include <algorithm>
#include <cstring>

namespace korvane2::textio {

CharSource::CharSource(std::size_t bufferSize) : buf_(std::max<std::size_t>(bufferSize, 1)) {}

bool CharSource::skip_line() {
  // Searched a buffer at a time: a hostile file may hold a gigabyte in one line.
  while (peek() != kEnd) {
    const char* begin = buf_.data() + pos_;
    const void* lf = std::memchr(begin, '\n', len_ - pos_);
    if (lf) {
      pos_ += static_cast<std::size_t>(static_cast<const char*>(lf) - begin) + 1;
      lastByte_ = '\n';
      ++line_;
      return true;
    }
    lastByte_ = static_cast<unsigned char>(buf_[len_ - 1]);
    pos_ = len_;
  }
  return false;
}

int CharSource::slow_peek() {
  if (pos_ < len_) return static_cast<unsigned char>(buf_[pos_]);
  if (!atEnd_) {
    long n = refill(buf_.data(), buf_.size());
    if (n > 0) {
      pos_ = 0;
      len_ = static_cast<std::size_t>(n);
      return static_cast<unsigned char>(buf_[0]);
    }
    if (n < 0) failed_ = true;
    atEnd_ = true;
  }
  // A file that does not end with LF is read as if an LF followed its last byte. Data
  // that could not be read has no last line: a failure is never turned into a line end.
  if (!failed_ && !lfAppended_ && lastByte_ != '\n') {
    lfAppended_ = true;
    buf_[0] = '\n';
    pos_ = 0;
    len_ = 1;
    return '\n';
  }
  return kEnd;
}

long MemorySource::refill(char* buf, std::size_t cap) {
  std::size_t n = std::min(cap, bytes_.size() - offset_);
  std::memcpy(buf, bytes_.data() + offset_, n);
  offset_ += n;
  return static_cast<long>(n);
}

}  // namespace korvane2::textio
