// The edited table row "(I4,3(D13.6))": a 4-column integer field and three D13.6
// fields side by side, 43 characters without a leading blank.
#include "textio/edited_row.hpp"

#include <charconv>
#include <cstring>
#include <string_view>

#include "textio/double_text.hpp"

namespace korvane2::textio {

namespace {

constexpr int kIntegerColumns = 4;
constexpr int kDoubleColumns = 13;
constexpr int kRowColumns = kIntegerColumns + 3 * kDoubleColumns;

// The I4 field: the integer right-aligned in 4 columns, or "****" when it needs more.
void format_i4(std::int32_t value, char* out) {
  char text[16];
  const char* end = std::to_chars(text, text + sizeof text, value).ptr;
  const int length = static_cast<int>(end - text);
  if (length > kIntegerColumns) {
    std::memset(out, '*', kIntegerColumns);
    return;
  }
  std::memset(out, ' ', static_cast<std::size_t>(kIntegerColumns - length));
  std::memcpy(out + kIntegerColumns - length, text, static_cast<std::size_t>(length));
}

}  // namespace

void write_edited_row(LineSink& sink, std::int32_t number, double a, double b, double c) {
  char row[kRowColumns];
  format_i4(number, row);
  format_d13_6(a, row + kIntegerColumns);
  format_d13_6(b, row + kIntegerColumns + kDoubleColumns);
  format_d13_6(c, row + kIntegerColumns + 2 * kDoubleColumns);
  sink.put_line(std::string_view(row, kRowColumns));
}

}  // namespace korvane2::textio
