// Fuzz target: the conversion of one value's text into a 32-bit integer or a double.
//
// The first byte chooses the options (implied decimal places 0 or 5, whether a text
// without digits reads as zero); the rest is the text. Checks:
//   - a failed conversion leaves the destination as it was (a sentinel value);
//   - integers: a text of sign and decimal digits gives exactly its value or an overflow
//     (the text "-2147483648" included); the radix form "r#digits" gives the 32-bit
//     pattern of its digits, or an error when the radix, a digit or the size is wrong; any
//     other text is refused;
//   - doubles: a text in the grammar (sign, digits with at most one point, exponent with a
//     letter E, D, e, d or with a sign alone) gives the correctly rounded double of its
//     decimal value, compared with the C library's strtod (correctly rounding); a value
//     beyond the largest double is an overflow; with implied decimals a text without a
//     point is worth its digits divided by 10^5; a text outside the grammar is refused.
// Then the first 12 bytes after the option byte are also taken as numbers, for the round
// trips where the conversion is exact:
//   - the decimal text of an int32 (with and without "+", with leading zeros) and its
//     radix 2, 16 and 36 texts read back as the same integer;
//   - "%.17g" and "%.17e" texts of a finite double, with "E", "D", "e", "d" or no
//     exponent letter, read back as the same double.
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_support.hpp"
#include "textio/field_conversion.hpp"
#include "textio/read_status.hpp"

using korvane2::fuzz::bits_text;
using korvane2::fuzz::quoted;
using korvane2::fuzz::same_bits;
using korvane2::textio::convert_double;
using korvane2::textio::convert_integer;

namespace {

constexpr std::int32_t kIntegerSentinel = 0x3C3C3C3C;
constexpr double kDoubleSentinel = 5.5e-310;  // a subnormal no text of the checks gives by accident

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  return 99;
}

// Expected result of the integer rules: status 0 with a value, or any error (> 0).
struct IntegerExpectation {
  bool ok;
  std::int32_t value;
};

IntegerExpectation expected_integer(std::string_view t) {
  if (t == "-2147483648") return {true, INT32_MIN};
  std::size_t p = 0;
  bool negative = false;
  if (p < t.size() && (t[p] == '+' || t[p] == '-')) negative = t[p++] == '-';
  const std::size_t start = p;
  while (p < t.size() && is_digit(t[p])) ++p;
  std::string_view digits = t.substr(start, p - start);
  auto magnitude = [](std::string_view d, std::uint64_t limit, bool& over) {
    std::uint64_t m = 0;
    over = false;
    for (char c : d) {
      m = m * 10 + static_cast<std::uint64_t>(c - '0');
      if (m > limit) {
        over = true;
        return m;
      }
    }
    return m;
  };
  if (p == t.size()) {
    bool over = false;
    const std::uint64_t m = magnitude(digits, INT32_MAX, over);
    if (over) return {false, 0};
    const auto v = static_cast<std::int32_t>(m);
    return {true, negative ? -v : v};
  }
  if (t[p] != '#') return {false, 0};
  std::uint64_t radix = 16;
  if (!digits.empty()) {
    bool over = false;
    radix = magnitude(digits, 1000, over);
    if (over) return {false, 0};
  }
  if (radix < 2 || radix > 36) return {false, 0};
  ++p;
  if (p == t.size()) return {false, 0};
  std::uint64_t pattern = 0;
  bool tooLarge = false;
  for (; p < t.size(); ++p) {
    const int d = digit_value(t[p]);
    if (d >= static_cast<int>(radix)) return {false, 0};
    if (!tooLarge) {
      pattern = pattern * radix + static_cast<std::uint64_t>(d);
      if (pattern > UINT32_MAX) tooLarge = true;
    }
  }
  if (tooLarge) return {false, 0};
  if (radix == 10 && pattern > INT32_MAX) return {false, 0};
  std::uint32_t bits = static_cast<std::uint32_t>(pattern);
  if (negative) bits = 0u - bits;
  return {true, static_cast<std::int32_t>(bits)};
}

void check_integer(std::string_view text) {
  std::int32_t v = kIntegerSentinel;
  const int st = convert_integer(text, v);
  const IntegerExpectation want = expected_integer(text);
  if (st != 0) {
    FUZZ_CHECK(v == kIntegerSentinel, "failed integer conversion changed its destination: " + quoted(text));
    FUZZ_CHECK(st > 0, "integer conversion gave status " + std::to_string(st) + " for " + quoted(text));
  }
  FUZZ_CHECK((st == 0) == want.ok, "integer " + quoted(text) + ": status " + std::to_string(st) + ", expected " +
                                       (want.ok ? "success" : "an error"));
  if (st == 0)
    FUZZ_CHECK(v == want.value, "integer " + quoted(text) + " gave " + std::to_string(v) + ", expected " +
                                    std::to_string(want.value));
}

// Parse of the double grammar. On success `normal` is a text strtod reads with the same
// value (mantissa, then "e" and the exponent), `point` tells whether a "." was present,
// `anyDigit` whether the mantissa held a digit, and `exponentDigits` the exponent text.
struct DoubleSyntax {
  bool valid = false;
  bool point = false;
  bool anyDigit = false;
  std::string mantissa;  // sign, digits and point
  bool expNegative = false;
  std::string exponentDigits;
};

DoubleSyntax parse_double(std::string_view t) {
  DoubleSyntax s;
  std::size_t p = 0;
  if (p < t.size() && (t[p] == '+' || t[p] == '-')) s.mantissa.push_back(t[p++]);
  for (; p < t.size(); ++p) {
    if (t[p] == '.' && !s.point) {
      s.point = true;
      s.mantissa.push_back('.');
    } else if (is_digit(t[p])) {
      s.anyDigit = true;
      s.mantissa.push_back(t[p]);
    } else {
      break;
    }
  }
  if (!s.anyDigit) return s;
  if (p < t.size()) {
    const char c = t[p];
    const bool letter = c == 'E' || c == 'D' || c == 'e' || c == 'd';
    if (letter) ++p;
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) {
      s.expNegative = t[p] == '-';
      ++p;
    } else if (!letter) {
      return s;
    }
    const std::size_t start = p;
    while (p < t.size() && is_digit(t[p])) ++p;
    if (p == start || p != t.size()) return s;
    s.exponentDigits = std::string(t.substr(start));
  }
  s.valid = true;
  return s;
}

// strtod of the mantissa with a decimal exponent given as text (may be very long).
double library_value(const std::string& mantissa, bool expNegative, const std::string& expDigits, bool& overflow) {
  std::string text = mantissa;
  if (!text.empty() && text.back() == '.') text.push_back('0');
  if (text[0] == '.' || ((text[0] == '+' || text[0] == '-') && text[1] == '.')) {
    text.insert(text[0] == '.' ? 0 : 1, "0");
  }
  if (!expDigits.empty()) text += std::string("e") + (expNegative ? "-" : "+") + expDigits;
  errno = 0;
  const double v = std::strtod(text.c_str(), nullptr);
  overflow = std::isinf(v);
  return v;
}

void check_double(std::string_view text, int implied, bool emptyIsZero) {
  double v = kDoubleSentinel;
  const int st = convert_double(text, implied, emptyIsZero, v);
  if (st != 0) {
    FUZZ_CHECK(same_bits(v, kDoubleSentinel), "failed double conversion changed its destination: " + quoted(text));
    FUZZ_CHECK(st > 0, "double conversion gave status " + std::to_string(st) + " for " + quoted(text));
  }
  const std::string where = "double " + quoted(text) + " (implied " + std::to_string(implied) + ", emptyIsZero " +
                            std::to_string(emptyIsZero) + ")";
  const DoubleSyntax s = parse_double(text);
  if (!s.anyDigit) {
    // Only a sign and/or a point: zero where allowed; anything else is refused.
    std::string_view rest = text;
    bool negative = false;
    if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
      negative = rest[0] == '-';
      rest.remove_prefix(1);
    }
    const bool signAndPoint = rest.empty() || rest == ".";
    if (emptyIsZero && signAndPoint) {
      FUZZ_CHECK(st == 0 && same_bits(v, negative ? -0.0 : 0.0), where + ": status " + std::to_string(st) +
                                                                      " value " + bits_text(v) + ", expected zero");
    } else {
      FUZZ_CHECK(st != 0, where + ": accepted as " + bits_text(v) + " although it holds no digit");
    }
    return;
  }
  if (!s.valid) {
    FUZZ_CHECK(st != 0, where + ": accepted as " + bits_text(v) + " although characters are left over");
    return;
  }
  // In the grammar: the nearest double of the decimal value.
  std::string expDigits = s.exponentDigits;
  bool expNegative = s.expNegative;
  if (!s.point && implied != 0) {
    // Subtract the implied places from the exponent when it is small enough to handle.
    std::size_t firstNonZero = expDigits.find_first_not_of('0');
    std::string significant = firstNonZero == std::string::npos ? "" : expDigits.substr(firstNonZero);
    if (significant.size() > 15) return;  // far beyond any double either way; no oracle
    long long e = significant.empty() ? 0 : std::stoll(significant);
    if (expNegative) e = -e;
    e -= implied;
    expNegative = e < 0;
    expDigits = std::to_string(e < 0 ? -e : e);
  }
  bool overflow = false;
  const double want = library_value(s.mantissa, expNegative, expDigits, overflow);
  if (overflow) {
    FUZZ_CHECK(st == korvane2::textio::kReadRealOverflow, where + ": status " + std::to_string(st) + " value " +
                                                               bits_text(v) + ", expected a real overflow");
    return;
  }
  FUZZ_CHECK(st == 0, where + ": status " + std::to_string(st) + ", expected " + bits_text(want));
  FUZZ_CHECK(same_bits(v, want), where + ": gave " + bits_text(v) + ", expected " + bits_text(want));
}

std::string radix_text(std::uint32_t bits, unsigned radix, bool lower) {
  const char* digits = lower ? "0123456789abcdefghijklmnopqrstuvwxyz" : "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string out;
  do {
    out.insert(out.begin(), digits[bits % radix]);
    bits /= radix;
  } while (bits != 0);
  return std::to_string(radix) + "#" + out;
}

void round_trip_integer(std::int32_t n) {
  auto expect = [n](const std::string& text) {
    std::int32_t v = kIntegerSentinel;
    const int st = convert_integer(text, v);
    FUZZ_CHECK(st == 0 && v == n, "round trip of " + std::to_string(n) + " through " + quoted(text) + " gave status " +
                                      std::to_string(st) + " value " + std::to_string(v));
  };
  expect(std::to_string(n));
  if (n >= 0) {
    expect("+" + std::to_string(n));
    expect("000" + std::to_string(n));
  } else if (n != INT32_MIN) {
    expect("-000" + std::to_string(-static_cast<std::int64_t>(n)));
  }
  const auto bits = static_cast<std::uint32_t>(n);
  expect(radix_text(bits, 16, false));
  expect(radix_text(bits, 16, true));
  expect(radix_text(bits, 2, false));
  expect(radix_text(bits, 36, true));
  expect("#" + radix_text(bits, 16, false).substr(3));
  if (n < 0 && n != INT32_MIN) expect("-" + radix_text(static_cast<std::uint32_t>(-n), 16, false));
}

void round_trip_double(double d) {
  if (!std::isfinite(d)) return;
  char buf[64];
  auto expect = [d](const std::string& text, int implied) {
    double v = kDoubleSentinel;
    const int st = convert_double(text, implied, false, v);
    FUZZ_CHECK(st == 0 && same_bits(v, d), "round trip of " + bits_text(d) + " through " + quoted(text) +
                                               " gave status " + std::to_string(st) + " value " + bits_text(v));
  };
  std::snprintf(buf, sizeof buf, "%.17g", d);
  std::string g = buf;
  // "%.17g" may give a text without "."; it then only reads back without implied places.
  expect(g, 0);
  std::snprintf(buf, sizeof buf, "%.16e", d);
  std::string e = buf;  // always holds a "."
  for (const char* letter : {"E", "D", "e", "d", ""}) {
    std::string t = e;
    const std::size_t at = t.find('e');
    t.replace(at, 1, letter);
    if (*letter == '\0' && t[at] != '+' && t[at] != '-') continue;
    expect(t, 0);
    expect(t, 5);  // a point is present: no implied places
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return 0;
  const int implied = (bytes[0] & 1) ? 5 : 0;
  const bool emptyIsZero = (bytes[0] & 2) != 0;
  const std::string_view text(reinterpret_cast<const char*>(bytes + 1), size - 1);
  if (text.size() > 4096) return 0;  // the readers never hand over longer texts

  check_integer(text);
  check_double(text, implied, emptyIsZero);

  if (text.size() >= 12) {
    std::int32_t n;
    double d;
    std::memcpy(&n, text.data(), sizeof n);
    std::memcpy(&d, text.data() + 4, sizeof d);
    round_trip_integer(n);
    round_trip_double(d);
  }
  return 0;
}
