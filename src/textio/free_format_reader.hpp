// Free-format read statement: takes integer and double items in order from a stream of
// lines, with blanks, commas, "/", null values, repeat counts and records over several
// lines.
#pragma once

#include <cstdint>
#include <string>

#include "textio/char_source.hpp"

namespace korvane2::textio {

class FreeFormatReader {
 public:
  int begin_read(CharSource& source);
  // Each item keeps its previous value when it is null, after "/", or on failure.
  int read_integer(std::int32_t& value);
  int read_double(double& value);
  int end_read();

  // For diagnostics: the line on which the last item read (or failed) was found.
  long item_line() const { return itemLine_; }
  // Whether the last item step gave its variable a value (not null, not after "/", not
  // failed).
  bool item_assigned() const { return itemAssigned_; }

 private:
  int next_value(bool& isNull);
  int next_item(bool& take);
  bool skip_line();

  CharSource* source_ = nullptr;
  char lastSeparator_ = ',';
  int repeatLeft_ = 0;
  std::string valueText_;
  bool valueTooLong_ = false;  // the value had more characters than valueText_ keeps
  bool endedAtLineEnd_ = false;
  long itemLine_ = 0;
  bool itemAssigned_ = false;
};

}  // namespace korvane2::textio
