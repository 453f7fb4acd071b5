// Conversion of one value's compact text into a 32-bit integer or a double, shared by
// the fixed-column and the free-format readers. Returns a read status; on failure the
// destination is left unchanged.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvane2::textio {

// Integer rules: optional sign and decimal digits; the exact text "-2147483648"; the
// radix form "r#digits" (radix 2..36, "#digits" alone is radix 16); an empty text or a
// sign alone is 0.
int convert_integer(std::string_view text, std::int32_t& value);

// Real rules: optional sign, digits with at most one ".", optional exponent ("E", "D",
// "e", "d" with optional sign and digits, or a sign and digits without a letter).
// impliedDecimals divides a value written without "." by 10^impliedDecimals (exactly,
// as part of the decimal value). emptyIsZero makes a text without any digit read as 0.0
// (the fixed-column rule); otherwise such a text is an invalid real.
int convert_double(std::string_view text, int impliedDecimals, bool emptyIsZero, double& value);

}  // namespace korvane2::textio
