// The decimal forms of a double: its correctly rounded 17 significant digits (halves
// away from zero, from the exact binary value), the 24-column free-format text and the
// D13.6 edited field.
#pragma once

#include <cstddef>

namespace korvane2::textio {

// value = 0.d1 d2 ... dcount x 10^exponent, digits without trailing zeros.
// Zero (of either sign) is the single digit "0" with exponent 0 and negative = false.
struct Decimal17 {
  char digits[17];
  int count;
  int exponent;
  bool negative;
};

// The 17-significant-digit decimal form of a finite double.
Decimal17 decimal17(double value);

// Writes the free-format text of a finite double (at most 24 characters, not padded)
// into out and returns its length.
std::size_t format_free_double(double value, char* out);

// Writes the 13-column D13.6 field of a finite double (right-aligned, always 13
// characters) into out.
void format_d13_6(double value, char* out);

}  // namespace korvane2::textio
