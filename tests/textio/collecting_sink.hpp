// Line sink for the writer tests: keeps every finished line, in order, so that a test
// can compare whole records line by line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "textio/line_sink.hpp"

namespace korvane2::textio::test_support {

class CollectingSink final : public LineSink {
 public:
  void put_line(std::string_view line) override { lines.emplace_back(line); }

  std::vector<std::string> lines;
};

}  // namespace korvane2::textio::test_support
