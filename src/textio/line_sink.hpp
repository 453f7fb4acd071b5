// Destination of written records: receives each complete line, without its terminator.
// A file unit adds CR LF; the console applies its first-column rule.
#pragma once

#include <string_view>

namespace korvane2::textio {

class LineSink {
 public:
  virtual ~LineSink() = default;
  virtual void put_line(std::string_view line) = 0;
};

}  // namespace korvane2::textio
