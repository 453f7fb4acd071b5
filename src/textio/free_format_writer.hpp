// Free-format output statement: lays out a record of integers, doubles and texts in
// 80-column lines (leading blank, 11- and 24-column number fields, texts cut at the line
// end) and hands each finished line to a LineSink.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "textio/line_sink.hpp"

namespace korvane2::textio {

class FreeFormatWriter {
 public:
  static constexpr int kLineBudget = 79;
  static constexpr int kIntegerWidth = 11;
  static constexpr int kDoubleWidth = 24;

  explicit FreeFormatWriter(LineSink& sink) : sink_(sink) { line_.reserve(96); }

  void begin_record();
  void put_integer(std::int32_t value);
  void put_double(double value);
  void put_text(std::string_view text);
  void end_record();

 private:
  void put_number(const char* text, int length, int width);
  void new_line();

  LineSink& sink_;
  std::string line_;
  int remaining_ = kLineBudget;
  int pending_ = 1;
  bool afterNumber_ = false;
};

}  // namespace korvane2::textio
