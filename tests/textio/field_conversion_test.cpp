// Tests of the conversion of a value text into a 32-bit integer or a double: the integer
// and radix rules, the real rules with implied decimals, and correct rounding.
#include "textio/field_conversion.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "textio/read_status.hpp"

namespace korvane2::textio {
namespace {

constexpr std::int32_t kIntSentinel = 777;
constexpr double kDoubleSentinel = -12345.25;

std::uint64_t bits_of(double d) { return std::bit_cast<std::uint64_t>(d); }

// ---------------------------------------------------------------------------------------
// Integers

struct IntCase {
  const char* text;
  int status;
  std::int32_t value;  // expected value on success
};

class IntegerConversion : public ::testing::TestWithParam<IntCase> {};

TEST_P(IntegerConversion, Converts) {
  const IntCase& c = GetParam();
  std::int32_t v = kIntSentinel;
  EXPECT_EQ(convert_integer(c.text, v), c.status) << '"' << c.text << '"';
  if (c.status == kReadOk) {
    EXPECT_EQ(v, c.value) << '"' << c.text << '"';
  } else {
    EXPECT_EQ(v, kIntSentinel) << "a failed conversion must keep the value: \"" << c.text << '"';
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, IntegerConversion,
    ::testing::Values(
        // plain decimal form
        IntCase{"", kReadOk, 0}, IntCase{"+", kReadOk, 0}, IntCase{"-", kReadOk, 0},
        IntCase{"0", kReadOk, 0}, IntCase{"42", kReadOk, 42}, IntCase{"+42", kReadOk, 42},
        IntCase{"-42", kReadOk, -42}, IntCase{"042", kReadOk, 42}, IntCase{"-042", kReadOk, -42},
        IntCase{"2147483647", kReadOk, 2147483647},
        IntCase{"-2147483647", kReadOk, -2147483647},
        IntCase{"-2147483648", kReadOk, INT32_MIN},
        IntCase{"2147483648", kReadIntegerOverflow, 0},
        IntCase{"+2147483648", kReadIntegerOverflow, 0},
        IntCase{"-2147483649", kReadIntegerOverflow, 0},
        // only the exact text is the smallest integer
        IntCase{"-02147483648", kReadIntegerOverflow, 0},
        IntCase{"99999999999", kReadIntegerOverflow, 0},
        IntCase{"99999999999999999999999999", kReadIntegerOverflow, 0},
        IntCase{"1.0", kReadInvalidInteger, 0}, IntCase{"4 2", kReadInvalidInteger, 0},
        IntCase{"ABC", kReadInvalidInteger, 0}, IntCase{"12-", kReadInvalidInteger, 0},
        IntCase{"+-1", kReadInvalidInteger, 0}, IntCase{"1E5", kReadInvalidInteger, 0},
        IntCase{"1A#5", kReadInvalidInteger, 0}, IntCase{"7,", kReadInvalidInteger, 0},
        // radix form
        IntCase{"16#1F", kReadOk, 31}, IntCase{"16#1f", kReadOk, 31}, IntCase{"#1F", kReadOk, 31},
        IntCase{"+#10", kReadOk, 16}, IntCase{"-16#1F", kReadOk, -31},
        IntCase{"2#101", kReadOk, 5}, IntCase{"8#777", kReadOk, 511},
        IntCase{"36#Zz", kReadOk, 35 * 36 + 35}, IntCase{"016#10", kReadOk, 16},
        IntCase{"16#FFFFFFFF", kReadOk, -1}, IntCase{"16#80000000", kReadOk, INT32_MIN},
        IntCase{"16#7FFFFFFF", kReadOk, INT32_MAX}, IntCase{"-16#FFFFFFFF", kReadOk, 1},
        IntCase{"2#11111111111111111111111111111110", kReadOk, -2},
        IntCase{"10#2147483647", kReadOk, 2147483647},
        IntCase{"10#2147483648", kReadIntegerOverflow, 0},
        IntCase{"16#100000000", kReadIntegerOverflow, 0},
        IntCase{"8#8", kReadInvalidRadix, 0}, IntCase{"2#2", kReadInvalidRadix, 0},
        IntCase{"1#0", kReadInvalidRadix, 0}, IntCase{"0#1", kReadInvalidRadix, 0},
        IntCase{"37#1", kReadInvalidRadix, 0},
        IntCase{"99999999999999#1", kReadInvalidRadix, 0},
        IntCase{"16#1#2", kReadInvalidRadix, 0}, IntCase{"##1", kReadInvalidRadix, 0},
        IntCase{"16#", kReadInvalidRadix, 0}, IntCase{"#", kReadInvalidRadix, 0},
        IntCase{"10#-5", kReadInvalidRadix, 0}, IntCase{"16#1G", kReadInvalidRadix, 0},
        IntCase{"16#1.0", kReadInvalidRadix, 0}));

// ---------------------------------------------------------------------------------------
// Doubles

struct RealCase {
  const char* text;
  int implied;
  bool emptyIsZero;
  int status;
  double value;  // expected value on success
};

class RealConversion : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealConversion, Converts) {
  const RealCase& c = GetParam();
  double v = kDoubleSentinel;
  EXPECT_EQ(convert_double(c.text, c.implied, c.emptyIsZero, v), c.status) << '"' << c.text << '"';
  if (c.status == kReadOk) {
    EXPECT_EQ(bits_of(v), bits_of(c.value)) << '"' << c.text << "\" gave " << v;
  } else {
    EXPECT_EQ(bits_of(v), bits_of(kDoubleSentinel)) << "value changed for \"" << c.text << '"';
  }
}

// Compact texts as the fixed-column reader hands them over (blanks dropped, "0" inserted).
INSTANTIATE_TEST_SUITE_P(
    FixedColumnTexts, RealConversion,
    ::testing::Values(
        RealCase{"1.23456", 5, true, kReadOk, 1.23456},
        RealCase{"123456", 5, true, kReadOk, 1.23456},
        RealCase{"6.67259D-11", 5, true, kReadOk, 6.67259e-11},
        RealCase{"1.5E3", 5, true, kReadOk, 1500.0},
        RealCase{"12345", 5, true, kReadOk, 0.12345},
        RealCase{"1", 5, true, kReadOk, 0.00001},
        RealCase{"2E3", 5, true, kReadOk, 0.02},
        RealCase{"1E5", 5, true, kReadOk, 1.0},
        RealCase{"1.0", 5, true, kReadOk, 1.0},
        RealCase{"-05", 5, true, kReadOk, -0.00005},
        RealCase{"1.5-3", 5, true, kReadOk, 0.0015},
        RealCase{"1.5+3", 5, true, kReadOk, 1500.0},
        RealCase{"15-3", 5, true, kReadOk, 1.5e-7},
        RealCase{"1.5d+03", 5, true, kReadOk, 1500.0},
        RealCase{"1.5e-0", 5, true, kReadOk, 1.5},
        RealCase{"0.", 5, true, kReadOk, 0.0},
        RealCase{"+0", 5, true, kReadOk, 0.0},
        RealCase{"-0", 5, true, kReadOk, -0.0},
        RealCase{"-0.5", 5, true, kReadOk, -0.5},
        RealCase{"0E999999999999", 5, true, kReadOk, 0.0},
        // a floating division of 87455329E-6 by 10^5 would give 0.0008745532900000001
        RealCase{"87455329E-6", 5, true, kReadOk, 0.00087455329},
        RealCase{"42604685E-29", 5, true, kReadOk, 4.2604685e-27},
        RealCase{"1D400", 5, true, kReadRealOverflow, 0.0},
        RealCase{"-1D400", 5, true, kReadRealOverflow, 0.0},
        RealCase{"1D99999999999999999", 5, true, kReadRealOverflow, 0.0},
        RealCase{"1D-400", 5, true, kReadOk, 0.0},
        RealCase{"-1D-400", 5, true, kReadOk, -0.0},
        RealCase{"1D-99999999999999999", 5, true, kReadOk, 0.0},
        // no digit at all: zero where allowed
        RealCase{"", 5, true, kReadOk, 0.0},
        RealCase{"+", 5, true, kReadOk, 0.0},
        RealCase{".", 5, true, kReadOk, 0.0},
        // leftovers
        RealCase{"1.2.3", 5, true, kReadInvalidReal, 0.0},
        RealCase{"1.5E", 5, true, kReadInvalidReal, 0.0},
        RealCase{"1.5E+", 5, true, kReadInvalidReal, 0.0},
        RealCase{"1.5-", 5, true, kReadInvalidReal, 0.0},
        RealCase{"ABC", 5, true, kReadInvalidReal, 0.0},
        RealCase{"1.5X", 5, true, kReadInvalidReal, 0.0},
        RealCase{"E5", 5, true, kReadInvalidReal, 0.0},
        RealCase{"1.5E3.0", 5, true, kReadInvalidReal, 0.0},
        RealCase{"1.5E+-3", 5, true, kReadInvalidReal, 0.0},
        RealCase{"1.5EE3", 5, true, kReadInvalidReal, 0.0},
        RealCase{"1.5E3X", 5, true, kReadInvalidReal, 0.0},
        RealCase{"+-1", 5, true, kReadInvalidReal, 0.0},
        RealCase{"0x10", 5, true, kReadInvalidReal, 0.0},
        RealCase{"inf", 5, true, kReadInvalidReal, 0.0},
        RealCase{"nan", 5, true, kReadInvalidReal, 0.0}));

// Value texts as the free-format reader hands them over: taken unchanged, no implied
// decimals, a text without digits is an error.
INSTANTIATE_TEST_SUITE_P(
    FreeFormatTexts, RealConversion,
    ::testing::Values(RealCase{"5", 0, false, kReadOk, 5.0},
                      RealCase{"2.5E3", 0, false, kReadOk, 2500.0},
                      RealCase{"1.5-3", 0, false, kReadOk, 0.0015},
                      RealCase{"3.5E+20", 0, false, kReadOk, 3.5e20},
                      RealCase{"5.", 0, false, kReadOk, 5.0},
                      RealCase{".5", 0, false, kReadOk, 0.5},
                      RealCase{"-.5", 0, false, kReadOk, -0.5},
                      RealCase{"+.5e1", 0, false, kReadOk, 5.0},
                      RealCase{"0", 0, false, kReadOk, 0.0},
                      RealCase{"0.1", 0, false, kReadOk, 0.1},
                      RealCase{"12345", 0, false, kReadOk, 12345.0},
                      RealCase{".", 0, false, kReadInvalidReal, 0.0},
                      RealCase{"+", 0, false, kReadInvalidReal, 0.0},
                      RealCase{"-", 0, false, kReadInvalidReal, 0.0},
                      RealCase{"-.", 0, false, kReadInvalidReal, 0.0},
                      RealCase{"", 0, false, kReadInvalidReal, 0.0},
                      RealCase{".E5", 0, false, kReadInvalidReal, 0.0},
                      RealCase{"7 ", 0, false, kReadInvalidReal, 0.0}));

// The limits of the double range.
INSTANTIATE_TEST_SUITE_P(
    Limits, RealConversion,
    ::testing::Values(
        RealCase{"1.7976931348623157E308", 0, false, kReadOk, DBL_MAX},
        RealCase{"1.7976931348623158e308", 0, false, kReadOk, DBL_MAX},
        RealCase{"1.7976931348623159e308", 0, false, kReadRealOverflow, 0.0},
        RealCase{"17976931348623157", 0, false, kReadOk, 17976931348623156.0},
        RealCase{"17976931348623157E297", 5, false, kReadOk, DBL_MAX},
        RealCase{"1E309", 0, false, kReadRealOverflow, 0.0},
        RealCase{"2.2250738585072014E-308", 0, false, kReadOk, DBL_MIN},
        RealCase{"4.9406564584124654E-324", 0, false, kReadOk, 4.9406564584124654E-324},
        RealCase{"2.4703282292062328E-324", 0, false, kReadOk, 4.9406564584124654E-324},
        RealCase{"2.4703282292062327E-324", 0, false, kReadOk, 0.0},
        RealCase{"2.2250738585072011e-308", 0, false, kReadOk, 2.2250738585072011e-308},
        RealCase{"2.2250738585072012e-308", 0, false, kReadOk, 2.2250738585072012e-308},
        RealCase{"9007199254740993", 0, false, kReadOk, 9007199254740992.0},
        RealCase{"9007199254740995", 0, false, kReadOk, 9007199254740996.0},
        RealCase{"9007199254740993.00000000000000000000000000001", 0, false, kReadOk,
                 9007199254740994.0},
        RealCase{"0.000000000000000000000000000000000000000000000000000000000000000001E66", 0,
                 false, kReadOk, 1.0}));

// ---------------------------------------------------------------------------------------
// Exact halfway points, computed independently with decimal string arithmetic.

// Decimal digits of a non-negative integer given as a digit string, times a small factor.
std::string times_small(const std::string& digits, int factor) {
  std::string out(digits.size(), '0');
  int carry = 0;
  for (std::size_t i = digits.size(); i-- > 0;) {
    int t = (digits[i] - '0') * factor + carry;
    out[i] = static_cast<char>('0' + t % 10);
    carry = t / 10;
  }
  while (carry != 0) {
    out.insert(out.begin(), static_cast<char>('0' + carry % 10));
    carry /= 10;
  }
  return out;
}

// The exact value of odd * 2^k as a decimal text "DIGITSeX".
struct ExactText {
  std::string digits;
  long exponent;
};

ExactText exact_binary(std::uint64_t odd, int k) {
  ExactText t{std::to_string(odd), 0};
  if (k >= 0) {
    for (int i = 0; i < k; ++i) t.digits = times_small(t.digits, 2);
  } else {
    for (int i = 0; i < -k; ++i) t.digits = times_small(t.digits, 5);
    t.exponent = k;  // odd * 5^-k * 10^k
  }
  return t;
}

std::string text_of(const ExactText& t) { return t.digits + "E" + std::to_string(t.exponent); }

// The text just above the exact value (a further non-zero digit) and just below it.
std::string text_above(const ExactText& t) {
  return t.digits + "0000000001E" + std::to_string(t.exponent - 10);
}
std::string text_below(const ExactText& t) {
  std::string d = t.digits;  // decrement by one unit, then append nines
  std::size_t i = d.size();
  while (i-- > 0) {
    if (d[i] != '0') {
      --d[i];
      break;
    }
    d[i] = '9';
  }
  return d + "9999999999E" + std::to_string(t.exponent - 10);
}

// Midpoint between the positive finite double d and the next one up.
ExactText midpoint_above(double d) {
  const std::uint64_t b = bits_of(d);
  const int biased = static_cast<int>(b >> 52);
  std::uint64_t m = b & ((std::uint64_t{1} << 52) - 1);
  int e = -1074;
  if (biased != 0) {
    m |= std::uint64_t{1} << 52;
    e = biased - 1075;
  }
  return exact_binary(2 * m + 1, e - 1);
}

void expect_converts(const std::string& text, double expected) {
  double v = kDoubleSentinel;
  ASSERT_EQ(convert_double(text, 0, false, v), kReadOk) << text;
  EXPECT_EQ(bits_of(v), bits_of(expected)) << text << " gave " << v << ", expected " << expected;
}

TEST(RealConversionRounding, HalfwayPointsRoundToEvenAndNeighboursToNearest) {
  std::mt19937_64 rng(20240611);
  std::vector<double> values = {1.0, 0.1, 1e22, 1e23, 5e-324, 1e-310, DBL_MIN, 2.5e-308,
                                123456789.0, 0.3333333333333333, 1e300};
  for (int i = 0; i < 150; ++i) {
    // random positive finite doubles, many near the ends of the exponent range
    std::uint64_t b = rng() & ((std::uint64_t{1} << 63) - 1);
    if (i % 3 == 0) b &= (std::uint64_t{1} << 56) - 1;  // subnormal and tiny
    double d = std::bit_cast<double>(b);
    if (!std::isfinite(d) || d == DBL_MAX) continue;
    values.push_back(d);
  }
  for (double d : values) {
    const double up = std::nextafter(d, INFINITY);
    const ExactText mid = midpoint_above(d);
    const bool dEven = (bits_of(d) & 1) == 0;
    expect_converts(text_of(mid), dEven ? d : up);
    expect_converts(text_above(mid), up);
    expect_converts(text_below(mid), d);
  }
}

TEST(RealConversionRounding, HalfwayAtTheEndsOfTheRange) {
  // half the smallest subnormal: a tie, rounded to even, which is 0
  const ExactText tiny = exact_binary(1, -1075);
  expect_converts(text_of(tiny), 0.0);
  expect_converts(text_above(tiny), 5e-324);
  // halfway between the largest double and 2^1024: a tie rounded up, which overflows
  const ExactText top = midpoint_above(DBL_MAX);
  double v = kDoubleSentinel;
  EXPECT_EQ(convert_double(text_of(top), 0, false, v), kReadRealOverflow);
  EXPECT_EQ(v, kDoubleSentinel);
  expect_converts(text_below(top), DBL_MAX);
}

TEST(RealConversionRounding, LongDigitStringsBeyondTheKeptDigits) {
  // 1 + 2^-53 is a tie (rounds to 1.0); any non-zero digit far behind decides upward.
  const ExactText mid = midpoint_above(1.0);
  std::string digits = mid.digits + std::string(3000, '0');
  expect_converts(digits + "E" + std::to_string(mid.exponent - 3000), 1.0);
  expect_converts(digits + "1E" + std::to_string(mid.exponent - 3001), std::nextafter(1.0, 2.0));
  // a long run of zeros before the significant digits
  expect_converts(std::string("0.").append(2000, '0').append("15E2001"), 1.5);
  // many integer digits
  expect_converts(std::string("1").append(400, '0').append("E-400"), 1.0);
}

// Correctly rounding library conversion of a text with an explicit exponent, under a held
// floating-point environment so that no trap fires and no flag leaks.
double library_strtod(const std::string& text) {
  std::fenv_t env;
  feholdexcept(&env);
  double d = std::strtod(text.c_str(), nullptr);
  fesetenv(&env);
  return d;
}

TEST(RealConversionRounding, AgreesWithLibraryConversionOnRandomTexts) {
  std::mt19937_64 rng(77);
  for (int i = 0; i < 20000; ++i) {
    const int nDigits = i % 50 == 0 ? 700 + static_cast<int>(rng() % 200)
                                    : 1 + static_cast<int>(rng() % 25);
    std::string digits;
    for (int k = 0; k < nDigits; ++k) digits.push_back(static_cast<char>('0' + rng() % 10));
    const int pointAt = static_cast<int>(rng() % (nDigits + 1));
    const bool hasPoint = rng() % 4 != 0;
    const int exponent = static_cast<int>(rng() % 700) - 360;
    const int implied = rng() % 2 == 0 ? 5 : 0;
    const char letters[] = {'E', 'D', 'e', 'd'};
    const bool negative = rng() % 2 == 0;

    std::string text = negative ? "-" : "";
    if (hasPoint) {
      text += digits.substr(0, pointAt) + "." + digits.substr(pointAt);
    } else {
      text += digits;
    }
    text += letters[rng() % 4];
    text += std::to_string(exponent);
    // equivalent text for the library: point position and implied decimals folded into
    // the exponent of an integer mantissa
    const long libExp =
        exponent - (hasPoint ? static_cast<long>(nDigits - pointAt) : static_cast<long>(implied));
    const std::string libText = (negative ? "-" : "") + digits + "e" + std::to_string(libExp);
    const double expected = library_strtod(libText);

    double v = kDoubleSentinel;
    const int status = convert_double(text, implied, true, v);
    if (std::isinf(expected)) {
      EXPECT_EQ(status, kReadRealOverflow) << text;
    } else {
      ASSERT_EQ(status, kReadOk) << text;
      EXPECT_EQ(bits_of(v), bits_of(expected)) << text << " vs " << libText;
    }
  }
}

// ---------------------------------------------------------------------------------------
// Floating-point traps: the conversion must never raise a trapped exception nor leave a
// flag behind.

class TrapGuard {
 public:
  TrapGuard() {
    feclearexcept(FE_ALL_EXCEPT);
    feenableexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
  }
  ~TrapGuard() {
    fedisableexcept(FE_ALL_EXCEPT);
    feclearexcept(FE_ALL_EXCEPT);
  }
};

TEST(RealConversionTraps, OverflowAndUnderflowWithTrapsEnabled) {
  TrapGuard guard;
  double v = kDoubleSentinel;
  EXPECT_EQ(convert_double("1D400", 5, true, v), kReadRealOverflow);
  EXPECT_EQ(v, kDoubleSentinel);
  EXPECT_EQ(convert_double("1D-400", 5, true, v), kReadOk);
  EXPECT_EQ(v, 0.0);
  EXPECT_EQ(convert_double("4.9406564584124654E-324", 0, false, v), kReadOk);
  EXPECT_EQ(v, 5e-324);
  EXPECT_EQ(convert_double("0.1", 0, false, v), kReadOk);
  EXPECT_EQ(convert_double("-1.7976931348623159e308", 0, false, v), kReadRealOverflow);
  std::int32_t i = 0;
  EXPECT_EQ(convert_integer("99999999999", i), kReadIntegerOverflow);
  EXPECT_EQ(fetestexcept(FE_ALL_EXCEPT), 0) << "a floating-point flag was left raised";
}

}  // namespace
}  // namespace korvane2::textio
