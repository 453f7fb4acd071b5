// Builder of parameter files "Korvane2.dat" for tests: a label in columns 1-59 and the
// value text in its field, starting from a small valid structure.
#pragma once

#include <array>
#include <string>

namespace korvane2::testing {

class ParameterFile {
 public:
  // One ring of 12 bodies about a solar-mass star, Ecc 0.1, tolerance 1e-10.
  ParameterFile();

  // Sets the field text of a line (1..18); numbers are right-aligned in their field,
  // the name of line 17 left-aligned.
  ParameterFile& set(int line, const std::string& text);
  // The whole file, lines ended by CR LF; `lines` cuts it after that many lines.
  std::string text(int lines = 18) const;

 private:
  std::array<std::string, 18> values_;
};

}  // namespace korvane2::testing
