// Fixed-column read statement for the layouts "(59X,I12)", "(59X,D11.5)" and
// "(59X,A12)": 59 skipped columns and one field, one line per statement.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "textio/char_source.hpp"

namespace korvane2::textio {

enum class FixedLayout { kInteger12, kDouble11_5, kText12 };

using Text12 = std::array<char, 12>;

class FixedColumnReader {
 public:
  // Starts a statement on the source with the given layout.
  int begin_read(CharSource& source, FixedLayout layout);
  // Reads the line's field; on failure the destination keeps its previous value.
  int read_integer(std::int32_t& value);
  int read_double(double& value);
  int read_text(Text12& value);
  // Skips the rest of the line including its LF.
  int end_read();

  // For diagnostics: the line number of the statement, the characters taken from the
  // field columns as they stood in the line (before blanks were dropped), and the first
  // and last column of the field.
  long line_number() const { return line_; }
  const std::string& field_text() const { return field_; }
  int first_column() const { return 60; }
  int last_column() const { return layout_ == FixedLayout::kDouble11_5 ? 70 : 71; }

 private:
  int start_line(FixedLayout layout);
  int collect_numeric(int width, bool isDouble, std::string& compact);
  bool read_fault() const;

  CharSource* source_ = nullptr;
  FixedLayout layout_ = FixedLayout::kInteger12;
  bool transferred_ = false;  // the statement's field has been read
  long line_ = 0;
  std::string field_;
};

}  // namespace korvane2::textio
