// Conversion of a value's compact text into a 32-bit integer or a double: signs, digits,
// the radix form, exponents, implied decimals and the correctly rounded decimal value.
#include "textio/field_conversion.hpp"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "textio/read_status.hpp"

namespace korvane2::textio {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Value of c as a digit of radix 36 (0-9, then letters of either case), or 99.
int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  return 99;
}

// ---------------------------------------------------------------------------------------
// Unsigned integer of any size, little-endian 32-bit words without leading zero words.
// Only what the exact decimal-to-binary conversion needs.
class BigUint {
 public:
  bool is_zero() const { return words_.empty(); }

  void mul_add(std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (std::uint32_t& w : words_) {
      std::uint64_t t = static_cast<std::uint64_t>(w) * factor + carry;
      w = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    if (carry != 0) words_.push_back(static_cast<std::uint32_t>(carry));
  }

  void mul_pow10(long n) {
    while (n >= 9) {
      mul_add(1000000000u, 0);
      n -= 9;
    }
    static constexpr std::uint32_t kSmall[9] = {1,      10,      100,      1000,     10000,
                                                100000, 1000000, 10000000, 100000000};
    if (n > 0) mul_add(kSmall[n], 0);
  }

  int bit_length() const {
    if (words_.empty()) return 0;
    return static_cast<int>(words_.size() - 1) * 32 + static_cast<int>(std::bit_width(words_.back()));
  }

  void shift_left(int bits) {
    if (words_.empty() || bits <= 0) return;
    const std::size_t wordShift = static_cast<std::size_t>(bits) / 32;
    const int bitShift = bits % 32;
    if (bitShift != 0) {
      std::uint32_t carry = 0;
      for (std::uint32_t& w : words_) {
        std::uint32_t next = w >> (32 - bitShift);
        w = (w << bitShift) | carry;
        carry = next;
      }
      if (carry != 0) words_.push_back(carry);
    }
    words_.insert(words_.begin(), wordShift, 0u);
  }

  void shift_right_one() {
    std::uint32_t carry = 0;
    for (std::size_t i = words_.size(); i-- > 0;) {
      std::uint32_t next = words_[i] << 31;
      words_[i] = (words_[i] >> 1) | carry;
      carry = next;
    }
    trim();
  }

  // -1, 0 or 1 as *this is below, equal to or above other.
  int compare(const BigUint& other) const {
    if (words_.size() != other.words_.size()) return words_.size() < other.words_.size() ? -1 : 1;
    for (std::size_t i = words_.size(); i-- > 0;) {
      if (words_[i] != other.words_[i]) return words_[i] < other.words_[i] ? -1 : 1;
    }
    return 0;
  }

  // *this -= other; requires *this >= other.
  void subtract(const BigUint& other) {
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < words_.size(); ++i) {
      std::int64_t t = static_cast<std::int64_t>(words_[i]) - borrow -
                       (i < other.words_.size() ? static_cast<std::int64_t>(other.words_[i]) : 0);
      borrow = t < 0 ? 1 : 0;
      words_[i] = static_cast<std::uint32_t>(t + (borrow << 32));
    }
    trim();
  }

 private:
  void trim() {
    while (!words_.empty() && words_.back() == 0) words_.pop_back();
  }

  std::vector<std::uint32_t> words_;
};

// Quotient and remainder test of num / den where the quotient is known to be below 2^64.
std::uint64_t divide_small_quotient(BigUint num, BigUint den, bool& inexact) {
  den.shift_left(63);
  std::uint64_t q = 0;
  for (int b = 63; b >= 0; --b) {
    if (num.compare(den) >= 0) {
      num.subtract(den);
      q |= std::uint64_t{1} << b;
    }
    den.shift_right_one();
  }
  inexact = !num.is_zero();
  return q;
}

constexpr std::uint64_t kHidden = std::uint64_t{1} << 52;

// Rounds the positive value (q + f) * 2^e2, 0 <= f < 1 and f > 0 exactly when sticky, to
// the nearest double (ties to even), q in [2^62, 2^64). Returns false on overflow.
bool round_to_double(std::uint64_t q, int e2, bool sticky, std::uint64_t& bits) {
  const int n = static_cast<int>(std::bit_width(q));
  const int ulpExp = std::max(n - 1 + e2 - 52, -1074);  // weight of the last mantissa bit
  const int shift = ulpExp - e2;                         // at least 10
  std::uint64_t m = 0;
  bool up = false;
  if (shift == 64) {
    const std::uint64_t half = std::uint64_t{1} << 63;
    up = q > half || (q == half && sticky);
  } else if (shift < 64) {
    const std::uint64_t rem = q & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    m = q >> shift;
    up = rem > half || (rem == half && (sticky || (m & 1) != 0));
  }  // shift > 64: the value is below half the smallest step, it becomes 0
  int exp = ulpExp;
  if (up) ++m;
  if (m == (kHidden << 1)) {
    m = kHidden;
    ++exp;
  }
  if (m >= kHidden) {
    const int biased = exp + 1075;
    if (biased >= 2047) return false;
    bits = (static_cast<std::uint64_t>(biased) << 52) | (m - kHidden);
  } else {
    bits = m;  // subnormal (or zero); a carry into 2^52 gives the smallest normal exponent
  }
  return true;
}

// Digits kept for the exact conversion; the decimal halfway points between doubles need
// at most 768 significant digits, so anything beyond is represented by one sticky digit.
constexpr std::size_t kMaxDigits = 800;
constexpr long kExpLimit = 100000000;  // saturation of exponents (far beyond any double)

// The double nearest to 0.digits * 10^x (digits: no leading zero, not empty).
int decimal_to_double(const std::string& digits, long x, bool negative, double& value) {
  std::uint64_t bits = 0;
  if (x > 311) return kReadRealOverflow;  // at least 10^310
  if (x >= -330) {                        // otherwise below 10^-331: rounds to 0
    BigUint num;
    for (char c : digits) num.mul_add(10, static_cast<std::uint32_t>(c - '0'));
    const long e = x - static_cast<long>(digits.size());
    BigUint den;
    den.mul_add(1, 1);
    if (e >= 0) {
      num.mul_pow10(e);
    } else {
      den.mul_pow10(-e);
    }
    const int s = 63 + den.bit_length() - num.bit_length();
    if (s >= 0) {
      num.shift_left(s);
    } else {
      den.shift_left(-s);
    }
    bool sticky = false;
    const std::uint64_t q = divide_small_quotient(num, den, sticky);
    if (!round_to_double(q, -s, sticky, bits)) return kReadRealOverflow;
  }
  if (negative) bits |= std::uint64_t{1} << 63;
  value = std::bit_cast<double>(bits);
  return kReadOk;
}

}  // namespace

int convert_integer(std::string_view text, std::int32_t& value) {
  if (text == "-2147483648") {
    value = INT32_MIN;
    return kReadOk;
  }
  std::size_t p = 0;
  bool negative = false;
  if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
    negative = text[p] == '-';
    ++p;
  }
  // Decimal digits: the value itself, or the radix of the radix form.
  std::int64_t magnitude = 0;
  const std::size_t digitsStart = p;
  while (p < text.size() && is_digit(text[p])) {
    magnitude = std::min<std::int64_t>(magnitude * 10 + (text[p] - '0'), std::int64_t{1} << 40);
    ++p;
  }
  if (p == text.size()) {  // plain decimal form (empty text and a sign alone give 0)
    if (magnitude > INT32_MAX) return kReadIntegerOverflow;
    const auto v = static_cast<std::int32_t>(magnitude);
    value = negative ? -v : v;
    return kReadOk;
  }
  if (text[p] != '#') return kReadInvalidInteger;

  const std::int64_t radix = p == digitsStart ? 16 : magnitude;
  if (radix < 2 || radix > 36) return kReadInvalidRadix;
  ++p;
  if (p == text.size()) return kReadInvalidRadix;  // no digit after "#"
  std::uint64_t pattern = 0;
  bool tooLarge = false;
  for (; p < text.size(); ++p) {
    const int d = digit_value(text[p]);
    if (d >= radix) return kReadInvalidRadix;  // also a second "#" or any other character
    pattern = pattern * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(d);
    if (pattern > UINT32_MAX) {
      tooLarge = true;
      pattern = UINT32_MAX + std::uint64_t{1};  // keep it from growing; digits still checked
    }
  }
  if (tooLarge) return kReadIntegerOverflow;
  if (radix == 10 && pattern > INT32_MAX) return kReadIntegerOverflow;
  std::uint32_t bits = static_cast<std::uint32_t>(pattern);
  if (negative) bits = 0u - bits;
  value = static_cast<std::int32_t>(bits);
  return kReadOk;
}

int convert_double(std::string_view text, int impliedDecimals, bool emptyIsZero, double& value) {
  std::size_t p = 0;
  bool negative = false;
  if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
    negative = text[p] == '-';
    ++p;
  }
  // Mantissa: digits with at most one ".". Significant digits are kept from the first
  // non-zero digit on; x is the decimal exponent of the form 0.d1d2... * 10^x.
  std::string digits;
  bool sticky = false;
  long x = 0;
  std::size_t mantissaDigits = 0;
  bool point = false;
  for (; p < text.size(); ++p) {
    const char c = text[p];
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (!is_digit(c)) break;
    ++mantissaDigits;
    if (digits.empty() && c == '0') {
      if (point) x = std::max(x - 1, -kExpLimit);  // a leading zero after the point
      continue;
    }
    if (!point) x = std::min(x + 1, kExpLimit);
    if (digits.size() < kMaxDigits) {
      digits.push_back(c);
    } else if (c != '0') {
      sticky = true;
    }
  }
  if (mantissaDigits == 0) {
    // No digit: "", "+", "-", "." and a sign with "." read as zero where allowed.
    if (emptyIsZero && p == text.size()) {
      value = negative ? -0.0 : 0.0;
      return kReadOk;
    }
    return kReadInvalidReal;
  }
  // Exponent: a letter with optional sign and digits, or a sign and digits.
  long exponent = 0;
  if (p < text.size()) {
    std::size_t q = p;
    const char c = text[q];
    const bool letter = c == 'E' || c == 'D' || c == 'e' || c == 'd';
    if (letter) ++q;
    bool expNegative = false;
    if (q < text.size() && (text[q] == '+' || text[q] == '-')) {
      expNegative = text[q] == '-';
      ++q;
    } else if (!letter) {
      return kReadInvalidReal;  // neither a letter nor a sign: leftover characters
    }
    const std::size_t expDigitsStart = q;
    while (q < text.size() && is_digit(text[q])) {
      exponent = std::min(exponent * 10 + (text[q] - '0'), kExpLimit);
      ++q;
    }
    if (q == expDigitsStart || q != text.size()) return kReadInvalidReal;
    if (expNegative) exponent = -exponent;
  }
  if (!point) exponent -= impliedDecimals;
  if (digits.empty()) {  // all digits zero
    value = negative ? -0.0 : 0.0;
    return kReadOk;
  }
  if (sticky) {
    digits.push_back('1');  // stands for the non-zero digits beyond the kept ones
  } else {
    while (digits.back() == '0') digits.pop_back();  // trailing zeros carry no value
  }
  return decimal_to_double(digits, x + exponent, negative, value);
}

}  // namespace korvane2::textio
