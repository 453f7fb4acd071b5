// Signs that a hand edit of a parameter-file line has probably gone wrong: characters
// beside the field, a real without a point, a cutting comma, a long name, tabs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "textio/fixed_column_reader.hpp"

namespace korvane2::examine {

struct HandEditWarning {
  int firstColumn = 0;  // columns of the line the warning is about
  int lastColumn = 0;
  std::string message;
};

// The columns of a layout's field.
int field_first_column();
int field_last_column(textio::FixedLayout layout);

// Warnings for one line (its bytes without the LF) read with `layout`.
std::vector<HandEditWarning> hand_edit_warnings(std::string_view line, textio::FixedLayout layout);

// A text with control characters shown as \t, \r or \xNN.
std::string visible(std::string_view text);
// The same between double quotes.
std::string in_quotes(std::string_view text);

}  // namespace korvane2::examine
