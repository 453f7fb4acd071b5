// Tests of the decimal forms of a double: worked examples, and comparison with an exact
// long-hand decimal expansion over random, extreme, tie and second-rounding values.
#include "textio/double_text.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace korvane2::textio {
namespace {

// ---------------------------------------------------------------------------------
// Independent exact expansion: m * 2^e as a big natural number in base 10^9.

using Limbs = std::vector<std::uint32_t>;  // least significant limb first
constexpr std::uint64_t kLimbBase = 1000000000;

void multiply_limbs(Limbs& n, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (std::uint32_t& limb : n) {
    const std::uint64_t x = std::uint64_t{limb} * factor + carry;
    limb = static_cast<std::uint32_t>(x % kLimbBase);
    carry = x / kLimbBase;
  }
  while (carry != 0) {
    n.push_back(static_cast<std::uint32_t>(carry % kLimbBase));
    carry /= kLimbBase;
  }
}

std::string limbs_to_text(const Limbs& n) {
  std::string text = std::to_string(n.back());
  char part[16];
  for (std::size_t i = n.size() - 1; i-- > 0;) {
    std::snprintf(part, sizeof part, "%09u", static_cast<unsigned>(n[i]));
    text += part;
  }
  return text;
}

// |value| = 0.digits x 10^exponent with all significant digits and no trailing zeros;
// zero has no digits.
struct ExactDecimal {
  std::string digits;
  int exponent = 0;
  bool negative = false;
};

ExactDecimal exact_expansion(double value) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  ExactDecimal x;
  x.negative = (bits >> 63) != 0;
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
  int e = -1074;
  if (biased != 0) {
    m += std::uint64_t{1} << 52;
    e = biased - 1075;
  }
  if (m == 0) return x;
  Limbs n{static_cast<std::uint32_t>(m % kLimbBase)};
  if (m >= kLimbBase) n.push_back(static_cast<std::uint32_t>(m / kLimbBase));
  int pointShift = 0;  // value = n / 10^pointShift
  if (e >= 0) {
    for (int left = e; left > 0; left -= 16) multiply_limbs(n, 1u << std::min(left, 16));
  } else {
    // m / 2^k = m * 5^k / 10^k
    pointShift = -e;
    for (int left = -e; left > 0; left -= 13) {
      std::uint32_t factor = 1;
      for (int i = 0; i < std::min(left, 13); ++i) factor *= 5;
      multiply_limbs(n, factor);
    }
  }
  x.digits = limbs_to_text(n);
  x.exponent = static_cast<int>(x.digits.size()) - pointShift;
  while (x.digits.back() == '0') x.digits.pop_back();
  return x;
}

// A digit string of exactly `keep` digits with its exponent.
struct Rounded {
  std::string digits;
  int exponent;
};

// Keeps `keep` digits, rounding up when the next digit is 5 or more (applied to the
// exact expansion this is round-half-away-from-zero, applied to a 17-digit string it is
// the second rounding on that string).
Rounded round_text(std::string digits, int exponent, std::size_t keep) {
  digits.resize(std::max(digits.size(), keep + 1), '0');
  const bool up = digits[keep] >= '5';
  digits.resize(keep);
  if (up) {
    std::size_t i = keep;
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0) {
      digits[0] = '1';
      ++exponent;
    } else {
      ++digits[i - 1];
    }
  }
  return {digits, exponent};
}

std::string strip_zeros(std::string digits) {
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  return digits;
}

Rounded reference_17(const ExactDecimal& x) { return round_text(x.digits, x.exponent, 17); }

std::string three_digit_exponent(int exponent) {
  char text[16];
  std::snprintf(text, sizeof text, "%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return text;
}

std::string reference_free_text(const ExactDecimal& x) {
  if (x.digits.empty()) return "0.000000000000000E+000";
  const Rounded r17 = reference_17(x);
  const bool fixed = r17.exponent >= 1 && r17.exponent <= 7;
  const Rounded r16 = round_text(r17.digits, r17.exponent, 16);
  std::string text = x.negative ? "-" : "";
  if (fixed) {
    const std::string all = r16.digits + std::string(32, '0');
    const auto before = static_cast<std::size_t>(r16.exponent);
    text += all.substr(0, before) + "." + all.substr(before, 15);
  } else {
    text += r16.digits.substr(0, 1) + "." + r16.digits.substr(1, 15) + "E" +
            three_digit_exponent(r16.exponent - 1);
  }
  return text;
}

std::string reference_d13_6(const ExactDecimal& x) {
  Rounded r6{"000000", 0};
  if (!x.digits.empty()) {
    const Rounded r17 = reference_17(x);
    r6 = round_text(r17.digits, r17.exponent, 6);
  }
  std::string exponent = three_digit_exponent(r6.exponent);
  if (std::abs(r6.exponent) <= 99) exponent = std::string("D").append(exponent, 0, 1).append(exponent, 2);
  const bool minus = x.negative && !x.digits.empty();
  return std::string(minus ? " -" : "  ") + "." + r6.digits + exponent;
}

// ---------------------------------------------------------------------------------
// Helpers for the program's results.

std::string free_text(double value) {
  char out[40];
  const std::size_t length = format_free_double(value, out);
  return std::string(out, length);
}

std::string free_field(double value) {
  const std::string text = free_text(value);
  return std::string(text.size() < 24 ? 24 - text.size() : 0, ' ') + text;
}

std::string d13_6_text(double value) {
  char out[13];
  format_d13_6(value, out);
  return std::string(out, 13);
}

std::string hex_bits(double value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llx",
                static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)));
  return text;
}

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

// Compares all three forms of one value with the exact method; returns false on the
// first mismatch (after reporting it).
bool matches_reference(double value) {
  const ExactDecimal x = exact_expansion(value);
  const Decimal17 d = decimal17(value);
  const std::string got(d.digits, static_cast<std::size_t>(d.count));
  std::string wantDigits = "0";
  int wantExponent = 0;
  bool wantNegative = false;
  if (!x.digits.empty()) {
    const Rounded r17 = reference_17(x);
    wantDigits = strip_zeros(r17.digits);
    wantExponent = r17.exponent;
    wantNegative = x.negative;
  }
  bool ok = true;
  if (got != wantDigits || d.exponent != wantExponent || d.negative != wantNegative) {
    ADD_FAILURE() << "decimal17 of " << hex_bits(value) << ": got " << got << " X=" << d.exponent
                  << " neg=" << d.negative << ", want " << wantDigits << " X=" << wantExponent
                  << " neg=" << wantNegative;
    ok = false;
  }
  const std::string text = free_text(value);
  const std::string wantText = reference_free_text(x);
  if (text != wantText || text.size() > 24) {
    ADD_FAILURE() << "free text of " << hex_bits(value) << ": got \"" << text << "\", want \""
                  << wantText << "\"";
    ok = false;
  }
  const std::string field = d13_6_text(value);
  const std::string wantField = reference_d13_6(x);
  if (field != wantField) {
    ADD_FAILURE() << "D13.6 of " << hex_bits(value) << ": got \"" << field << "\", want \""
                  << wantField << "\"";
    ok = false;
  }
  return ok;
}

// Checks a set of values, stopping after a few failures to keep the report readable.
void expect_all_match(const std::vector<double>& values) {
  int failures = 0;
  for (double v : values) {
    if (!matches_reference(v) && ++failures >= 5) return;
  }
}

// ---------------------------------------------------------------------------------
// The exact method itself, on expansions checked by hand.

TEST(ExactExpansionTest, KnownExpansions) {
  EXPECT_EQ(exact_expansion(0.5).digits, "5");
  EXPECT_EQ(exact_expansion(0.5).exponent, 0);
  EXPECT_EQ(exact_expansion(1.0).digits, "1");
  EXPECT_EQ(exact_expansion(1.0).exponent, 1);
  EXPECT_EQ(exact_expansion(0.1).digits, "1000000000000000055511151231257827021181583404541015625");
  EXPECT_EQ(exact_expansion(0.1).exponent, 0);
  EXPECT_EQ(exact_expansion(std::ldexp(1.0, 70)).digits, "1180591620717411303424");
  EXPECT_EQ(exact_expansion(std::ldexp(1.0, 70)).exponent, 22);
  EXPECT_EQ(exact_expansion(std::ldexp(1.0, -25)).digits, "298023223876953125");
  EXPECT_EQ(exact_expansion(std::ldexp(1.0, -25)).exponent, -7);
  EXPECT_TRUE(exact_expansion(-2.0).negative);
  EXPECT_TRUE(exact_expansion(0.0).digits.empty());
  EXPECT_EQ(exact_expansion(std::numeric_limits<double>::denorm_min()).exponent, -323);
  EXPECT_EQ(exact_expansion(std::numeric_limits<double>::denorm_min()).digits.size(), 751u);
  EXPECT_EQ(exact_expansion(DBL_MAX).digits.substr(0, 20), "17976931348623157081");
  EXPECT_EQ(exact_expansion(DBL_MAX).exponent, 309);
}

// ---------------------------------------------------------------------------------
// Worked examples of the 24-column double text.

struct FreeCase {
  double value;
  const char* field;  // the text right-aligned in 24 columns
};

class FreeDoubleTextTest : public ::testing::TestWithParam<FreeCase> {};

TEST_P(FreeDoubleTextTest, FieldMatches) {
  const FreeCase& c = GetParam();
  const std::string text = free_text(c.value);
  EXPECT_LE(text.size(), 24u);
  EXPECT_EQ(free_field(c.value), c.field) << hex_bits(c.value);
}

const FreeCase kDocumentedFreeCases[] = {
    {1.0, "       1.000000000000000"},          {-1.0, "      -1.000000000000000"},
    {0.0, "  0.000000000000000E+000"},          {-0.0, "  0.000000000000000E+000"},
    {0.5, "  5.000000000000000E-001"},          {1.0 / 3.0, "  3.333333333333333E-001"},
    {6.67259e-11, "  6.672590000000000E-011"},  {1e99, "  1.000000000000000E+099"},
    {123456789.0, "  1.234567890000000E+008"},  {9999999.0, " 9999999.000000000000000"},
    {10000000.0, "  1.000000000000000E+007"},   {12.345678901234567, "      12.345678901234570"},
    {365.25636042, "     365.256360420000000"}, {149597870691.0, "  1.495978706910000E+011"},
    {-2.5e-5, " -2.500000000000000E-005"},      {0.1, "  1.000000000000000E-001"},
};
INSTANTIATE_TEST_SUITE_P(Documented, FreeDoubleTextTest, ::testing::ValuesIn(kDocumentedFreeCases));

// Hand-checked cases; the exact expansions are in the comments.
const FreeCase kHandFreeCases[] = {
    // 0.68000000000000004884...: 17 digits ...0005, second rounding up at the 16th.
    {0.68, "  6.800000000000001E-001"},
    // 0.00059999999999999994743...: 17 digits 59999999999999995, carry to 6.
    {0.0006, "  6.000000000000000E-004"},
    // 99.999999999999985789...: 17 digits 99999999999999986, 16 digits sixteen nines.
    {100.0 - 0x1p-46, "      99.999999999999990"},
    // 999.99999999999988631...: 17 digits 99999999999999989.
    {1000.0 - 0x1p-43, "     999.999999999999900"},
    // 999999.99999999988358...: 17 digits 99999999999999988.
    {1e6 - 0x1p-33, "  999999.999999999900000"},
    {-(1e6 - 0x1p-33), " -999999.999999999900000"},
    // 9999999.9999999981373...: X = 7 fixed, no carry.
    {1e7 - 0x1p-29, " 9999999.999999998000000"},
    {-(1e7 - 0x1p-29), "-9999999.999999998000000"},
    // 0.99999999999999988897...: X = 0, exponent form; 17 digits 99999999999999989.
    {1.0 - 0x1p-53, "  9.999999999999999E-001"},
    // 1e-6 = 0.99999999999999995474...e-6: 17th digit 4, 18th 5 gives ...95 at 17 digits,
    // and the second rounding carries through sixteen nines, raising X to -5.
    {1e-6, "  1.000000000000000E-006"},
    {-1e-6, " -1.000000000000000E-006"},
    // 1e-283 = 0.99999999999999994685...e-283: the same, with 18th digit 6.
    {1e-283, "  1.000000000000000E-283"},
    // 1e24 = 0.99999999999999998322...e24: 17 digits ...98, carry.
    {1e24, "  1.000000000000000E+024"},
    // 1e-305 = 0.99999999999999999628...e-305: the first rounding carries.
    {1e-305, "  1.000000000000000E-305"},
    // 0.99999999999999977795...: 17 digits ...978, rounded up to ...98.
    {1.0 - 0x1p-52, "  9.999999999999998E-001"},
    // 9.9999999999999982236...: fixed, 17th digit 2 dropped.
    {10.0 - 0x1p-49, "       9.999999999999998"},
    // 1e98 = 99999999999999999769...e97: the first rounding already carries to 1 x 10^99.
    {1e98, "  1.000000000000000E+098"},
    // Extremes.
    {std::numeric_limits<double>::denorm_min(), "  4.940656458412465E-324"},
    {-std::numeric_limits<double>::denorm_min(), " -4.940656458412465E-324"},
    {DBL_MIN, "  2.225073858507201E-308"},
    {DBL_MAX, "  1.797693134862316E+308"},
    {-DBL_MAX, " -1.797693134862316E+308"},
    // Exact ties at 17 digits.
    {1000000000000000.25, "  1.000000000000000E+015"},
    {0x1p-25, "  2.980232238769531E-008"},
    // Integers: 2^60 = 1152921504606846976 (17 digits 11529215046068470).
    {0x1p60, "  1.152921504606847E+018"},
    {1234567.0, " 1234567.000000000000000"},
    {1e20, "  1.000000000000000E+020"},
    {123456789012345678e4, "  1.234567890123457E+021"},
    {-0.2408, " -2.408000000000000E-001"},
};
INSTANTIATE_TEST_SUITE_P(HandChecked, FreeDoubleTextTest, ::testing::ValuesIn(kHandFreeCases));

// ---------------------------------------------------------------------------------
// The 17-digit form itself.

struct Decimal17Case {
  double value;
  const char* digits;
  int exponent;
  bool negative;
};

class Decimal17Test : public ::testing::TestWithParam<Decimal17Case> {};

TEST_P(Decimal17Test, DigitsExponentSign) {
  const Decimal17Case& c = GetParam();
  const Decimal17 d = decimal17(c.value);
  EXPECT_EQ(std::string(d.digits, static_cast<std::size_t>(d.count)), c.digits);
  EXPECT_EQ(d.exponent, c.exponent);
  EXPECT_EQ(d.negative, c.negative);
}

const Decimal17Case kDecimal17Cases[] = {
    {1.0, "1", 1, false},
    {-1.0, "1", 1, true},
    {0.5, "5", 0, false},
    {0.0, "0", 0, false},
    {-0.0, "0", 0, false},
    {0.1, "10000000000000001", 0, false},
    {1.0 / 3.0, "33333333333333331", 0, false},
    {1e99, "99999999999999997", 99, false},
    {1e98, "1", 99, false},
    {-2.5e-5, "25000000000000001", -4, true},
    {123456.5, "1234565", 6, false},
    {0.68, "68000000000000005", 0, false},
    {1.0 - 0x1p-53, "99999999999999989", 0, false},
    {0x1p53, "9007199254740992", 16, false},
    {0x1p60, "1152921504606847", 19, false},
    {std::numeric_limits<double>::denorm_min(), "49406564584124654", -323, false},
    {DBL_MIN, "22250738585072014", -307, false},
    {DBL_MAX, "17976931348623157", 309, false},
    {-DBL_MAX, "17976931348623157", 309, true},
    // Exact ties, rounded away from zero; the first three would end in 2 if rounded to even.
    {1000000000000000.25, "10000000000000003", 16, false},  // 100000000000000025 x 10^-2
    {0x1p-25, "29802322387695313", -7, false},              // 298023223876953125 x 10^-25
    {-0x1p-25, "29802322387695313", -7, true},
    {3.0 * 0x1p-25, "89406967163085938", -7, false},  // 894069671630859375 x 10^-25
};
INSTANTIATE_TEST_SUITE_P(Cases, Decimal17Test, ::testing::ValuesIn(kDecimal17Cases));

// ---------------------------------------------------------------------------------
// Exactness over many values.

TEST(DoubleTextExactnessTest, RandomFiniteBitPatterns) {
  std::mt19937_64 random(20240611);
  std::vector<double> values;
  while (values.size() < 200000) {
    const std::uint64_t bits = random();
    if (((bits >> 52) & 0x7ff) != 0x7ff) values.push_back(from_bits(bits));
  }
  expect_all_match(values);
}

TEST(DoubleTextExactnessTest, RandomValuesOfTheUsualRange) {
  // Positive doubles are ordered like their bit patterns.
  const std::uint64_t low = std::bit_cast<std::uint64_t>(1e-5);
  const std::uint64_t high = std::bit_cast<std::uint64_t>(1e8);
  std::mt19937_64 random(7);
  std::uniform_int_distribution<std::uint64_t> pick(low, high);
  std::vector<double> values;
  for (int i = 0; i < 100000; ++i) {
    const std::uint64_t sign = (random() & 1) << 63;
    values.push_back(from_bits(pick(random) | sign));
  }
  expect_all_match(values);
}

TEST(DoubleTextExactnessTest, SubnormalsAndExtremes) {
  std::mt19937_64 random(99);
  std::vector<double> values = {std::numeric_limits<double>::denorm_min(),
                                -std::numeric_limits<double>::denorm_min(),
                                DBL_MIN,
                                -DBL_MIN,
                                DBL_MAX,
                                -DBL_MAX,
                                from_bits(0x000fffffffffffffULL),
                                std::nextafter(DBL_MIN, 1.0),
                                std::nextafter(DBL_MAX, 0.0),
                                0.0,
                                -0.0};
  for (int i = 0; i < 20000; ++i) values.push_back(from_bits(random() & 0x800fffffffffffffULL));
  for (int k = -1074; k <= 1023; ++k) values.push_back(std::ldexp(1.0, k));
  expect_all_match(values);
}

// Powers of ten and their neighbours: the second rounding with 17th digits 5..9, carries
// through nines, and the change of form at 1 and 10^7.
TEST(DoubleTextExactnessTest, NeighboursOfPowersOfTen) {
  std::vector<double> values;
  char text[16];
  for (int k = -320; k <= 308; ++k) {
    std::snprintf(text, sizeof text, "1e%d", k);
    const double p = std::strtod(text, nullptr);
    double below = p;
    double above = p;
    values.push_back(p);
    for (int step = 0; step < 4; ++step) {
      below = std::nextafter(below, 0.0);
      above = std::nextafter(above, DBL_MAX);
      values.push_back(below);
      values.push_back(above);
      values.push_back(-below);
    }
  }
  expect_all_match(values);
}

// Values whose exact expansion has exactly 18 significant digits ending in 5: m * 2^-n
// with m odd and m * 5^n between 10^17 and 10^18.
TEST(DoubleTextExactnessTest, ConstructedTies) {
  std::mt19937_64 random(5);
  std::vector<double> values;
  int differsFromEven = 0;
  for (int n = 2; n <= 25; ++n) {
    unsigned __int128 five = 1;
    for (int i = 0; i < n; ++i) five *= 5;
    const unsigned __int128 lowM = (100000000000000000ULL + five - 1) / five;
    unsigned __int128 highM = (1000000000000000000ULL - 1) / five;
    if (highM > (std::uint64_t{1} << 53) - 1) highM = (std::uint64_t{1} << 53) - 1;
    const auto lo = static_cast<std::uint64_t>(lowM);
    const auto hi = static_cast<std::uint64_t>(highM);
    std::uniform_int_distribution<std::uint64_t> pick(lo, hi);
    for (int i = 0; i < 400; ++i) {
      const std::uint64_t m = pick(random) | 1;
      if (m < lo || m > hi) continue;
      const double v = std::ldexp(static_cast<double>(m), -n);
      const ExactDecimal x = exact_expansion(v);
      ASSERT_EQ(x.digits.size(), 18u) << "m=" << m << " n=" << n;
      ASSERT_EQ(x.digits.back(), '5');
      if ((x.digits[16] - '0') % 2 == 0) ++differsFromEven;
      values.push_back(v);
      values.push_back(-v);
    }
  }
  EXPECT_GT(values.size(), 10000u);
  EXPECT_GT(differsFromEven, 1000);  // ties where rounding to even would keep the 17th digit
  expect_all_match(values);
}

// Exact integers k * 10^j (k * 5^j < 2^53): their scaled 18-digit values are integers.
TEST(DoubleTextExactnessTest, ExactLargeIntegers) {
  std::mt19937_64 random(11);
  std::vector<double> values;
  for (int j = 0; j <= 22; ++j) {
    std::uint64_t five = 1;
    for (int i = 0; i < j; ++i) five *= 5;
    std::uniform_int_distribution<std::uint64_t> pick(1, ((std::uint64_t{1} << 53) - 1) / five);
    for (int i = 0; i < 300; ++i) {
      const std::uint64_t k = pick(random);
      values.push_back(std::ldexp(static_cast<double>(k * five), j));  // k * 10^j exactly
    }
  }
  expect_all_match(values);
}

// Neighbours of ties, and the exact 17-digit half 2^52 - 0.5, are no ties.
TEST(DoubleTextExactnessTest, NeighboursOfTies) {
  std::vector<double> values;
  for (double v : {1000000000000000.25, 0x1p-25, 3.0 * 0x1p-25, 4503599627370495.5}) {
    values.push_back(std::nextafter(v, 0.0));
    values.push_back(std::nextafter(v, DBL_MAX));
  }
  expect_all_match(values);
}

// ---------------------------------------------------------------------------------
// The conversions run with division-by-zero, overflow and invalid traps enabled.

TEST(DoubleTextTrapTest, NoTrapOnExtremeValues) {
  // Including exact large integers such as 1e20, which take the slower exact path.
  const std::vector<double> values = {
      0.0,           -0.0,    std::numeric_limits<double>::denorm_min(),
      DBL_MIN,       DBL_MAX, -DBL_MAX,
      1e99,          1e20,    1e22,
      0x1p-25,       0.68,    1000000000000000.25,
      1.0 - 0x1p-53, -1e-300, 0x1p60};
  feenableexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
  std::size_t total = 0;
  char out[40];
  for (double v : values) {
    total += format_free_double(v, out);
    format_d13_6(v, out);
    total += static_cast<std::size_t>(decimal17(v).count);
  }
  fedisableexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
  EXPECT_GT(total, 0u);
}

}  // namespace
}  // namespace korvane2::textio
