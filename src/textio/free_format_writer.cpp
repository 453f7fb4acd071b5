// Free-format output record: places integers, doubles and texts into 80-column lines
// (leading blank, right-aligned number fields, texts cut at the line end).
#include "textio/free_format_writer.hpp"

#include <charconv>
#include <cstddef>

#include "textio/double_text.hpp"

namespace korvane2::textio {

void FreeFormatWriter::begin_record() {
  line_.clear();
  remaining_ = kLineBudget;
  pending_ = 1;
  afterNumber_ = false;
}

void FreeFormatWriter::put_integer(std::int32_t value) {
  char text[16];
  const char* end = std::to_chars(text, text + sizeof text, value).ptr;
  put_number(text, static_cast<int>(end - text), kIntegerWidth);
}

void FreeFormatWriter::put_double(double value) {
  char text[32];
  const std::size_t length = format_free_double(value, text);
  put_number(text, static_cast<int>(length), kDoubleWidth);
}

void FreeFormatWriter::put_text(std::string_view text) {
  for (;;) {
    line_.append(static_cast<std::size_t>(pending_), ' ');
    pending_ = 0;
    if (static_cast<std::size_t>(remaining_) > text.size()) {
      line_.append(text);
      remaining_ -= static_cast<int>(text.size());
      break;
    }
    // The text reaches the end of the line: cut it there, go on after a leading blank.
    line_.append(text.substr(0, static_cast<std::size_t>(remaining_)));
    text.remove_prefix(static_cast<std::size_t>(remaining_));
    new_line();
    pending_ = 1;
    if (text.empty()) break;  // the new line keeps only its owed blank
  }
  afterNumber_ = false;
}

void FreeFormatWriter::end_record() {
  line_.append(static_cast<std::size_t>(pending_), ' ');
  pending_ = 0;
  sink_.put_line(line_);
  line_.clear();
}

void FreeFormatWriter::put_number(const char* text, int length, int width) {
  if (afterNumber_) {
    width += 1;  // separator blank between two consecutive numbers
  } else {
    afterNumber_ = true;
  }
  pending_ += width - length;
  if (remaining_ <= width) new_line();  // a number fits only while remaining > width
  line_.append(static_cast<std::size_t>(pending_), ' ');
  line_.append(text, static_cast<std::size_t>(length));
  remaining_ -= width;
  pending_ = 0;
}

void FreeFormatWriter::new_line() {
  sink_.put_line(line_);
  line_.clear();
  remaining_ = kLineBudget;
}

}  // namespace korvane2::textio
