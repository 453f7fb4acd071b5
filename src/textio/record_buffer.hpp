// Records laid out in memory: each line followed by CR LF, exactly as a file unit would
// receive them, for writing many records prepared in parallel in their order.
#pragma once

#include <string>
#include <string_view>

#include "textio/line_sink.hpp"

namespace korvane2::textio {

class RecordBuffer final : public LineSink {
 public:
  void put_line(std::string_view line) override {
    bytes_.append(line);
    bytes_.append("\r\n", 2);
  }
  const std::string& bytes() const { return bytes_; }
  void clear() { bytes_.clear(); }

 private:
  std::string bytes_;
};

}  // namespace korvane2::textio
