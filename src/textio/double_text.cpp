// Decimal forms of a double: the exact 17-digit rounding (halves away from zero), the
// 24-column free-format double text and the D13.6 edited field, in integer arithmetic.
#include "textio/double_text.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace korvane2::textio {

namespace {

// Every step below works on the bit pattern and on integers and digit characters only:
// no floating-point operation is performed, so enabled division-by-zero, overflow and
// invalid traps can never fire here (std::to_chars converts with integers as well).

using u128 = unsigned __int128;

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kFractionMask = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << 52;
constexpr std::uint64_t kTenTo8 = 100000000ULL;
constexpr std::uint64_t kTenTo16 = 10000000000000000ULL;
constexpr std::uint64_t kTenTo17 = 100000000000000000ULL;
constexpr std::uint64_t kTenTo18 = 1000000000000000000ULL;

// ---------------------------------------------------------------------------------
// Powers of ten as 128-bit binary significands: 10^q = (c + delta) * 2^shift with
// 2^127 <= c < 2^128 and 0 <= delta < 1 (c is 10^q truncated to 128 bits; exact for
// 0 <= q <= 55). Built at compile time from exact big-integer arithmetic.

// The decimal exponents needed: q = 17 - floor(log10 2^p) for the normalised binary
// magnitudes 2^p, p = -1074 ... 1023 (floor(log10 2^p) = -324 ... 307).
constexpr int kMinPower = -290;
constexpr int kMaxPower = 341;

struct PowerOfTen {
  std::uint64_t hi;
  std::uint64_t lo;
  int shift;
};

// A natural number of up to 1280 bits, least significant 64-bit limb first; limbs from
// `size` on are zero.
constexpr int kLimbs = 20;

struct BigNatural {
  std::uint64_t limb[kLimbs]{};
  int size = 0;
};

constexpr BigNatural big_power_of_two(int exponent) {
  BigNatural n;
  n.limb[exponent / 64] = std::uint64_t{1} << (exponent % 64);
  n.size = exponent / 64 + 1;
  return n;
}

constexpr void big_multiply_10(BigNatural& n) {
  std::uint64_t carry = 0;
  for (int i = 0; i < n.size; ++i) {
    const u128 x = u128{n.limb[i]} * 10 + carry;
    n.limb[i] = static_cast<std::uint64_t>(x);
    carry = static_cast<std::uint64_t>(x >> 64);
  }
  if (carry != 0) n.limb[n.size++] = carry;
}

constexpr void big_divide_10(BigNatural& n) {  // floor(n / 10)
  std::uint64_t rest = 0;
  for (int i = n.size - 1; i >= 0; --i) {
    const u128 x = (u128{rest} << 64) | n.limb[i];
    n.limb[i] = static_cast<std::uint64_t>(x / 10);
    rest = static_cast<std::uint64_t>(x % 10);
  }
  while (n.size > 0 && n.limb[n.size - 1] == 0) --n.size;
}

constexpr int big_bit_length(const BigNatural& n) {
  return n.size == 0 ? 0 : 64 * (n.size - 1) + std::bit_width(n.limb[n.size - 1]);
}

// Bits position ... position + 63 of n (position >= 0).
constexpr std::uint64_t big_bits_at(const BigNatural& n, int position) {
  const int whole = position / 64;
  const int part = position % 64;
  const std::uint64_t low = whole < n.size ? n.limb[whole] : 0;
  const std::uint64_t high = whole + 1 < n.size ? n.limb[whole + 1] : 0;
  return part == 0 ? low : (low >> part) | (high << (64 - part));
}

// The 128 leading bits of n (truncated, or padded with zero bits) and their weight:
// n * 2^extraShift = (c + delta) * 2^shift.
constexpr PowerOfTen big_leading_128(const BigNatural& n, int extraShift) {
  const int length = big_bit_length(n);
  if (length <= 128) {
    const u128 c = ((u128{big_bits_at(n, 64)} << 64) | big_bits_at(n, 0)) << (128 - length);
    return {static_cast<std::uint64_t>(c >> 64), static_cast<std::uint64_t>(c),
            length - 128 + extraShift};
  }
  return {big_bits_at(n, length - 64), big_bits_at(n, length - 128), length - 128 + extraShift};
}

constexpr auto kPowersOfTen = [] {
  std::array<PowerOfTen, kMaxPower - kMinPower + 1> table{};
  BigNatural power = big_power_of_two(0);  // 10^q, exact
  for (int q = 0; q <= kMaxPower; ++q) {
    table[q - kMinPower] = big_leading_128(power, 0);
    big_multiply_10(power);
  }
  // floor(2^1152 / 10^k) by repeated exact floor division (floor(floor(x) / 10) =
  // floor(x / 10)); it keeps more than 128 bits, so its leading 128 bits are 10^-k
  // truncated.
  constexpr int kScale = 1152;
  BigNatural reciprocal = big_power_of_two(kScale);
  for (int k = 1; k <= -kMinPower; ++k) {
    big_divide_10(reciprocal);
    table[-k - kMinPower] = big_leading_128(reciprocal, -kScale);
  }
  return table;
}();

// Verification of the table by multiplying back, independently of how it was built:
// c * 2^shift <= 10^q < (c + 1) * 2^shift, and c has its leading bit set.

constexpr BigNatural big_times_128(const BigNatural& a, std::uint64_t hi, std::uint64_t lo) {
  BigNatural r;
  const std::uint64_t parts[2] = {lo, hi};
  for (int j = 0; j < 2; ++j) {
    std::uint64_t carry = 0;
    for (int i = 0; i < a.size; ++i) {
      const u128 x = u128{a.limb[i]} * parts[j] + r.limb[i + j] + carry;
      r.limb[i + j] = static_cast<std::uint64_t>(x);
      carry = static_cast<std::uint64_t>(x >> 64);
    }
    r.limb[a.size + j] = carry;
  }
  r.size = a.size + 2;
  return r;
}

constexpr BigNatural big_sum(const BigNatural& a, const BigNatural& b) {
  BigNatural r;
  r.size = (a.size > b.size ? a.size : b.size) + 1;
  std::uint64_t carry = 0;
  for (int i = 0; i < r.size; ++i) {
    const u128 x = u128{a.limb[i]} + b.limb[i] + carry;
    r.limb[i] = static_cast<std::uint64_t>(x);
    carry = static_cast<std::uint64_t>(x >> 64);
  }
  return r;
}

constexpr BigNatural big_shifted_left(const BigNatural& a, int bits) {  // a * 2^bits
  BigNatural r;
  const int whole = bits / 64;
  const int part = bits % 64;
  r.size = a.size + whole + 1;
  for (int i = whole; i < r.size; ++i) {
    const std::uint64_t low = i - whole - 1 >= 0 ? a.limb[i - whole - 1] : 0;
    r.limb[i] = part == 0 ? a.limb[i - whole] : (a.limb[i - whole] << part) | (low >> (64 - part));
  }
  return r;
}

constexpr bool big_less(const BigNatural& a, const BigNatural& b) {
  for (int i = kLimbs - 1; i >= 0; --i) {
    if (a.limb[i] != b.limb[i]) return a.limb[i] < b.limb[i];
  }
  return false;
}

// With 10^q = numerator / denominator: c * d * 2^shift <= n < (c + 1) * d * 2^shift.
constexpr bool is_truncated_power(const PowerOfTen& p, const BigNatural& numerator,
                                  const BigNatural& denominator) {
  if ((p.hi >> 63) == 0) return false;
  const int up = p.shift > 0 ? p.shift : 0;
  const int down = p.shift < 0 ? -p.shift : 0;
  const BigNatural cd = big_times_128(denominator, p.hi, p.lo);
  const BigNatural low = big_shifted_left(cd, up);
  const BigNatural high = big_shifted_left(big_sum(cd, denominator), up);
  const BigNatural middle = big_shifted_left(numerator, down);
  return !big_less(middle, low) && big_less(middle, high);
}

// Checks the entries first ... last (all of one sign), each range in its own constant
// evaluation.
constexpr bool powers_of_ten_are_truncations(int first, int last) {
  const BigNatural one = big_power_of_two(0);
  BigNatural power = one;  // 10^|q|
  const int from = first < 0 ? -last : first;
  for (int i = 0; i < from; ++i) big_multiply_10(power);
  for (int q = from; q <= (first < 0 ? -first : last); ++q) {
    const bool ok = first < 0 ? is_truncated_power(kPowersOfTen[-q - kMinPower], one, power)
                              : is_truncated_power(kPowersOfTen[q - kMinPower], power, one);
    if (!ok) return false;
    big_multiply_10(power);
  }
  return true;
}
static_assert(powers_of_ten_are_truncations(kMinPower, -201), "power-of-ten table");
static_assert(powers_of_ten_are_truncations(-200, -101), "power-of-ten table");
static_assert(powers_of_ten_are_truncations(-100, -1), "power-of-ten table");
static_assert(powers_of_ten_are_truncations(0, 99), "power-of-ten table");
static_assert(powers_of_ten_are_truncations(100, 199), "power-of-ten table");
static_assert(powers_of_ten_are_truncations(200, 299), "power-of-ten table");
static_assert(powers_of_ten_are_truncations(300, kMaxPower), "power-of-ten table");

// floor(p * log10 2) for -1200 < p < 1200 (checked against exact values for the range).
constexpr int floor_log10_pow2(int p) { return (p * 78913) >> 18; }
static_assert(17 - floor_log10_pow2(1023) == kMinPower, "table covers DBL_MAX");
static_assert(17 - floor_log10_pow2(-1074) == kMaxPower, "table covers the subnormals");

// ---------------------------------------------------------------------------------
// Digit strings.

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void write_8_digits(std::uint32_t n, char* out) {
  const std::uint32_t high = n / 10000;
  const std::uint32_t low = n % 10000;
  std::memcpy(out, kDigitPairs + 2 * (high / 100), 2);
  std::memcpy(out + 2, kDigitPairs + 2 * (high % 100), 2);
  std::memcpy(out + 4, kDigitPairs + 2 * (low / 100), 2);
  std::memcpy(out + 6, kDigitPairs + 2 * (low % 100), 2);
}

// Writes the 17 digits of a 17-digit integer (10^16 <= n < 10^17).
void write_17_digits(std::uint64_t n, char* digits) {
  const std::uint64_t top = n / kTenTo8;
  digits[0] = static_cast<char>('0' + top / kTenTo8);
  write_8_digits(static_cast<std::uint32_t>(top % kTenTo8), digits + 1);
  write_8_digits(static_cast<std::uint32_t>(n % kTenTo8), digits + 9);
}

// ---------------------------------------------------------------------------------
// The 17-digit rounding of a nonzero finite magnitude.

// Fast path. With X the decimal exponent of the exact value, the 18-digit truncation
// T = floor(|value| * 10^(18 - X)) decides the rounding completely: halves away from
// zero round up exactly when the 18th digit (T mod 10) is 5 or more, whatever follows.
// T is computed as m * c * 2^(e + shift) for |value| = m * 2^e and the truncated power of
// ten c; the true product lies in [m*c, m*c + m) times that weight, so the floor is
// certain when the fraction bits F of m*c satisfy F + m <= 2^(bits below the point).
// Returns false when that cannot be certified (in practice only when |value| * 10^(18-X)
// is an integer and c is inexact); the caller then takes the exact slow path.
bool round_by_power_table(std::uint64_t magnitudeBits, char* digits, int& exponent) {
  const int biased = static_cast<int>(magnitudeBits >> 52);
  std::uint64_t m = magnitudeBits & kFractionMask;
  int e = -1074;
  if (biased != 0) {
    m |= kHiddenBit;
    e = biased - 1075;
  } else {  // subnormal: normalise so that 2^52 <= m < 2^53
    const int lift = std::countl_zero(m) - 11;
    m <<= lift;
    e -= lift;
  }
  // |value| is in [2^(e+52), 2^(e+53)): X is a + 1 or a + 2.
  const int a = floor_log10_pow2(e + 52);
  const PowerOfTen& p = kPowersOfTen[17 - a - kMinPower];
  const u128 low = u128{m} * p.lo;
  const u128 high = u128{m} * p.hi + (low >> 64);  // product = high * 2^64 + low mod 2^64
  const int r = -(e + p.shift) - 64;               // bits of high below the point
  if (r <= 0 || r >= 64) return false;
  const std::uint64_t fractionMask = (std::uint64_t{1} << r) - 1;
  if ((static_cast<std::uint64_t>(high) & fractionMask) == fractionMask &&
      static_cast<std::uint64_t>(low) > std::uint64_t{0} - m) {
    return false;
  }
  std::uint64_t t = static_cast<std::uint64_t>(high >> r);
  exponent = a + 1;
  if (t >= kTenTo18) {  // floor(floor(x) / 10) = floor(x / 10)
    t /= 10;
    ++exponent;
  }
  if (t < kTenTo17) return false;  // not reached: 10^17 <= |value| * 10^(17 - a)
  std::uint64_t n = t / 10 + (t % 10 >= 5 ? 1 : 0);
  if (n == kTenTo17) {  // carry through nines
    n = kTenTo16;
    ++exponent;
  }
  write_17_digits(n, digits);
  return true;
}

// Slow path: correctly rounded 17 digits from the scientific form
// "d.dddddddddddddddde+XX". std::to_chars rounds an exact tie to even, but no exact tie
// comes here. A tie is a value whose exact expansion has exactly 18 significant digits,
// the last being 5. With |value| = m * 2^e, m odd: for e >= 0 a tie would be
// (2N + 1) * 5 * 10^(s-1) with N a 17-digit integer, which is an integer only for s >= 1,
// and then m = (2N + 1) * 5^s > 2^53, impossible; for e = -n < 0 the exact digits are
// those of m * 5^n, which has 18 digits only for 2 <= n <= 25 (5m < 2^53 * 5 has at most
// 17). So every tie has 18 - X = n in 2 ... 25: the fast path then scales by 10^n or
// 10^(n+1), whose table entry is exact (q <= 55), and the scaled value is an integer
// (fraction bits F = 0), so the fast path always certifies a tie. Away from ties,
// rounding to nearest does not depend on the tie rule.
void round_by_to_chars(std::uint64_t magnitudeBits, char* digits, int& exponent) {
  char text[32];
  const double magnitude = std::bit_cast<double>(magnitudeBits);
  const char* end =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 16).ptr;
  digits[0] = text[0];
  std::memcpy(digits + 1, text + 2, 16);
  // text[18] is 'e', text[19] the sign, then two or three exponent digits.
  int e = 0;
  for (const char* q = text + 20; q < end; ++q) e = e * 10 + (*q - '0');
  exponent = (text[19] == '-' ? -e : e) + 1;
}

// All 17 digits (trailing zeros included) and the exponent X of a nonzero magnitude.
void round_to_17_digits(std::uint64_t magnitudeBits, char* digits, int& exponent) {
  if (!round_by_power_table(magnitudeBits, digits, exponent)) {
    round_by_to_chars(magnitudeBits, digits, exponent);
  }
}

// The 17-digit form with its digit string padded to 17 characters; zero is all '0'
// with exponent 0 and no sign.
struct Padded17 {
  char digits[17];
  int exponent;
  bool negative;
  bool zero;
};

Padded17 padded_17(double value) {
  Padded17 d;
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const std::uint64_t magnitudeBits = bits & ~kSignBit;
  d.zero = magnitudeBits == 0;
  d.negative = !d.zero && (bits & kSignBit) != 0;
  d.exponent = 0;
  if (d.zero) {
    std::memset(d.digits, '0', 17);
  } else {
    round_to_17_digits(magnitudeBits, d.digits, d.exponent);
  }
  return d;
}

// ---------------------------------------------------------------------------------
// Texts.

// Rounds the 17-character digit string to its first `keep` digits, half up on the next
// digit; the dropped positions become '0'. Returns 1 when a carry through nines raised
// the exponent (the string is then "1" followed by zeros), otherwise 0.
int round_digits(char* digits, int keep) {
  const bool up = digits[keep] >= '5';
  std::memset(digits + keep, '0', static_cast<std::size_t>(17 - keep));
  if (!up) return 0;
  for (int i = keep - 1; i >= 0; --i) {
    if (digits[i] != '9') {
      ++digits[i];
      return 0;
    }
    digits[i] = '0';
  }
  digits[0] = '1';
  return 1;
}

// Writes `width` decimal digits of a non-negative number with leading zeros.
char* write_fixed_width(char* out, int number, int width) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + number % 10);
    number /= 10;
  }
  return out + width;
}

// Fixed form: `before` digits, ".", 15 digits; digits beyond the 17 are '0'.
char* write_fixed_form(char* out, const char* digits, int before) {
  char all[32];
  std::memcpy(all, digits, 17);
  std::memset(all + 17, '0', sizeof all - 17);
  std::memcpy(out, all, static_cast<std::size_t>(before));
  out += before;
  *out++ = '.';
  std::memcpy(out, all + before, 15);
  return out + 15;
}

// Exponent form: d.ddddddddddddddd, "E", sign, three exponent digits.
char* write_exponent_form(char* out, const char* digits, int exponent) {
  *out++ = digits[0];
  *out++ = '.';
  std::memcpy(out, digits + 1, 15);
  out += 15;
  *out++ = 'E';
  *out++ = exponent < 0 ? '-' : '+';
  return write_fixed_width(out, exponent < 0 ? -exponent : exponent, 3);
}

// Exponent part of the D13.6 field, always four characters: "D+dd" within +-99, "+ddd"
// beyond.
void write_d_exponent(char* out, int exponent) {
  const int magnitude = exponent < 0 ? -exponent : exponent;
  const char sign = exponent < 0 ? '-' : '+';
  if (magnitude <= 99) {
    out[0] = 'D';
    out[1] = sign;
    write_fixed_width(out + 2, magnitude, 2);
  } else {
    out[0] = sign;
    write_fixed_width(out + 1, magnitude, 3);
  }
}

}  // namespace

Decimal17 decimal17(double value) {
  const Padded17 p = padded_17(value);
  Decimal17 d{};
  std::memcpy(d.digits, p.digits, 17);
  d.exponent = p.exponent;
  d.negative = p.negative;
  d.count = 17;
  while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
  return d;
}

std::size_t format_free_double(double value, char* out) {
  Padded17 d = padded_17(value);
  char* p = out;
  if (d.negative) *p++ = '-';
  if (d.zero) {  // zero prints the exponent +000
    p = write_exponent_form(p, d.digits, 0);
    return static_cast<std::size_t>(p - out);
  }
  // The form is chosen on the exponent of the 17-digit form, before the second rounding.
  // (A carry that raises X needs a 17-digit string of sixteen nines and a 17th digit of
  // 5 or more, i.e. a value within 5.5e-17 relative below a power of ten; in the fixed
  // range those powers are exact doubles, at least 1.1e-16 relative from the next lower
  // double, so the fixed form never carries and stays within 24 characters.)
  const bool fixed = d.exponent >= 1 && d.exponent <= 7;
  const int exponent = d.exponent + round_digits(d.digits, 16);
  p = fixed ? write_fixed_form(p, d.digits, exponent)
            : write_exponent_form(p, d.digits, exponent - 1);
  return static_cast<std::size_t>(p - out);
}

void format_d13_6(double value, char* out) {
  Padded17 d = padded_17(value);
  const int exponent = d.exponent + round_digits(d.digits, 6);
  out[0] = ' ';
  out[1] = d.negative ? '-' : ' ';
  out[2] = '.';
  std::memcpy(out + 3, d.digits, 6);
  write_d_exponent(out + 9, exponent);
}

}  // namespace korvane2::textio
