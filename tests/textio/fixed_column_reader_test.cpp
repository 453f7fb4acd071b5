// Tests of the fixed-column read statement: label columns, field collection and the
// three layouts, short lines, CR, end of file and the position after each statement.
#include "textio/fixed_column_reader.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cfloat>
#include <cstdint>
#include <string>

#include "textio/char_source.hpp"
#include "textio/read_status.hpp"

namespace korvane2::textio {
namespace {

constexpr std::int32_t kIntSentinel = 777;
constexpr double kDoubleSentinel = -12345.25;

// 59 label columns holding digits, commas, signs, a tab and a byte 26 to show that none
// of them is interpreted.
std::string label() {
  std::string s = "Number of rings, 1,2,3\t-+.5E5 (label) \x1a 0#1 ";
  s.resize(59, '.');
  return s;
}

std::string line(const std::string& field, const char* end = "\n") { return label() + field + end; }

struct Steps {
  int begin = 99;
  int transfer = 99;
  int end = 99;
};

Steps read_int(FixedColumnReader& r, CharSource& src, std::int32_t& v) {
  Steps s;
  s.begin = r.begin_read(src, FixedLayout::kInteger12);
  s.transfer = r.read_integer(v);
  if (s.transfer == kReadOk) s.end = r.end_read();
  return s;
}

Steps read_dbl(FixedColumnReader& r, CharSource& src, double& v) {
  Steps s;
  s.begin = r.begin_read(src, FixedLayout::kDouble11_5);
  s.transfer = r.read_double(v);
  if (s.transfer == kReadOk) s.end = r.end_read();
  return s;
}

Steps read_txt(FixedColumnReader& r, CharSource& src, Text12& v) {
  Steps s;
  s.begin = r.begin_read(src, FixedLayout::kText12);
  s.transfer = r.read_text(v);
  if (s.transfer == kReadOk) s.end = r.end_read();
  return s;
}

std::string as_string(const Text12& t) { return std::string(t.begin(), t.end()); }

// The line after the statement is read as an integer 4242, which shows that the
// statement ended exactly at the end of its own line.
void expect_next_line_is_marker(FixedColumnReader& r, CharSource& src) {
  std::int32_t v = 0;
  Steps s = read_int(r, src, v);
  EXPECT_EQ(s.transfer, kReadOk);
  EXPECT_EQ(v, 4242);
  EXPECT_EQ(s.end, kReadOk);
}
const std::string kMarker = line("        4242");

// ---------------------------------------------------------------------------------------
// Integer layout

struct IntFieldCase {
  const char* field;  // the text from column 60 on, up to the LF
  int status;
  std::int32_t value;
};

class IntegerField : public ::testing::TestWithParam<IntFieldCase> {};

TEST_P(IntegerField, Reads) {
  const IntFieldCase& c = GetParam();
  MemorySource src(line(c.field) + kMarker);
  FixedColumnReader r;
  std::int32_t v = kIntSentinel;
  Steps s = read_int(r, src, v);
  EXPECT_EQ(s.begin, kReadOk);
  ASSERT_EQ(s.transfer, c.status) << '"' << c.field << '"';
  if (c.status == kReadOk) {
    EXPECT_EQ(v, c.value) << '"' << c.field << '"';
    EXPECT_EQ(s.end, kReadOk);
    expect_next_line_is_marker(r, src);
  } else {
    EXPECT_EQ(v, kIntSentinel) << "failed read changed the value: \"" << c.field << '"';
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, IntegerField,
    ::testing::Values(
        IntFieldCase{"         042", kReadOk, 42}, IntFieldCase{"  -42", kReadOk, -42},
        IntFieldCase{"4 2", kReadOk, 42}, IntFieldCase{"12,5", kReadOk, 12},
        IntFieldCase{"12,ABC", kReadOk, 12}, IntFieldCase{",99", kReadOk, 0},
        IntFieldCase{"1.0", kReadInvalidInteger, 0},
        IntFieldCase{"99999999999", kReadIntegerOverflow, 0},
        IntFieldCase{"999999999999", kReadIntegerOverflow, 0},
        IntFieldCase{" 2147483647", kReadOk, INT32_MAX},
        IntFieldCase{"-2147483648", kReadOk, INT32_MIN},
        IntFieldCase{"- 2147483648", kReadOk, INT32_MIN},  // blanks carry no meaning
        IntFieldCase{" 2147483648", kReadIntegerOverflow, 0},
        IntFieldCase{"", kReadOk, 0}, IntFieldCase{"            ", kReadOk, 0},
        IntFieldCase{"\t\t 7\t", kReadOk, 7}, IntFieldCase{"000000000000", kReadOk, 0},
        IntFieldCase{"  +", kReadOk, 0}, IntFieldCase{"   -", kReadOk, 0},
        IntFieldCase{"  + 7", kReadOk, 7}, IntFieldCase{"- 0 4 2", kReadOk, -42},
        IntFieldCase{"00000000007", kReadOk, 7},
        // characters after column 71 are never read
        IntFieldCase{"          12XYZ.,", kReadOk, 12},
        IntFieldCase{"000000000012345", kReadOk, 12},
        // radix forms
        IntFieldCase{"       16#1F", kReadOk, 31}, IntFieldCase{"#1F", kReadOk, 31},
        IntFieldCase{"16#FFFFFFFF", kReadOk, -1}, IntFieldCase{" 2 # 1 0 1", kReadOk, 5},
        IntFieldCase{"0#5", kReadOk, 5},  // the leading zero is dropped: "#5" in radix 16
        IntFieldCase{"8#9", kReadInvalidRadix, 0}, IntFieldCase{"37#1", kReadInvalidRadix, 0},
        IntFieldCase{"16#1#2", kReadInvalidRadix, 0},
        IntFieldCase{"ABC", kReadInvalidInteger, 0}, IntFieldCase{"1E5", kReadInvalidInteger, 0},
        IntFieldCase{"\x1a", kReadEndOfFile, 0}, IntFieldCase{"  12\x1a", kReadEndOfFile, 0}));

// ---------------------------------------------------------------------------------------
// Double layout

struct DoubleFieldCase {
  const char* field;
  int status;
  double value;
};

class DoubleField : public ::testing::TestWithParam<DoubleFieldCase> {};

TEST_P(DoubleField, Reads) {
  const DoubleFieldCase& c = GetParam();
  MemorySource src(line(c.field) + kMarker);
  FixedColumnReader r;
  double v = kDoubleSentinel;
  Steps s = read_dbl(r, src, v);
  EXPECT_EQ(s.begin, kReadOk);
  ASSERT_EQ(s.transfer, c.status) << '"' << c.field << '"';
  if (c.status == kReadOk) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(v), std::bit_cast<std::uint64_t>(c.value))
        << '"' << c.field << "\" gave " << v;
    EXPECT_EQ(s.end, kReadOk);
    expect_next_line_is_marker(r, src);
  } else {
    EXPECT_EQ(v, kDoubleSentinel) << "failed read changed the value: \"" << c.field << '"';
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DoubleField,
    ::testing::Values(
        DoubleFieldCase{"    1.23456", kReadOk, 1.23456},
        DoubleFieldCase{"    123456", kReadOk, 1.23456},
        DoubleFieldCase{"6.67259D-11", kReadOk, 6.67259e-11},
        DoubleFieldCase{"  1.5 E 3", kReadOk, 1500.0},
        DoubleFieldCase{"12345", kReadOk, 0.12345}, DoubleFieldCase{"1", kReadOk, 0.00001},
        DoubleFieldCase{"2E3", kReadOk, 0.02}, DoubleFieldCase{"1.0", kReadOk, 1.0},
        DoubleFieldCase{"-5", kReadOk, -0.00005}, DoubleFieldCase{"1,5", kReadOk, 0.00001},
        DoubleFieldCase{"1.5,E3", kReadOk, 1.5}, DoubleFieldCase{"1.5-3", kReadOk, 0.0015},
        DoubleFieldCase{"87455329E-6", kReadOk, 0.00087455329},
        DoubleFieldCase{"  -.5", kReadOk, -0.5}, DoubleFieldCase{".5", kReadOk, 0.5},
        DoubleFieldCase{" + 1 . 5", kReadOk, 1.5}, DoubleFieldCase{"5.", kReadOk, 5.0},
        DoubleFieldCase{"+", kReadOk, 0.0}, DoubleFieldCase{"   .", kReadOk, 0.0},
        DoubleFieldCase{"-", kReadOk, -0.0}, DoubleFieldCase{"", kReadOk, 0.0},
        DoubleFieldCase{"           ", kReadOk, 0.0},
        DoubleFieldCase{"00000000001", kReadOk, 0.00001},
        DoubleFieldCase{"1.0E-4", kReadOk, 1.0e-4}, DoubleFieldCase{"1.0-E4", kReadInvalidReal, 0},
        // column 71 and later are never read
        DoubleFieldCase{"    1.234567890", kReadOk, 1.23456},
        DoubleFieldCase{"    1.23456X", kReadOk, 1.23456},
        DoubleFieldCase{"1D400", kReadRealOverflow, 0}, DoubleFieldCase{"1D-400", kReadOk, 0.0},
        DoubleFieldCase{"1.2.3", kReadInvalidReal, 0}, DoubleFieldCase{"1.5E", kReadInvalidReal, 0},
        DoubleFieldCase{"1.5E+", kReadInvalidReal, 0}, DoubleFieldCase{"ABC", kReadInvalidReal, 0},
        DoubleFieldCase{"1.5X", kReadInvalidReal, 0},
        // the inserted "0" makes "+0-1": zero with the exponent -1
        DoubleFieldCase{"+-1", kReadOk, 0.0}, DoubleFieldCase{"+-", kReadInvalidReal, 0},
        // likewise ".E5" becomes "0.E5" and "-E5" becomes "-0E5"
        DoubleFieldCase{" .E5", kReadOk, 0.0}, DoubleFieldCase{"-E5", kReadOk, -0.0},
        DoubleFieldCase{"E5", kReadInvalidReal, 0},
        DoubleFieldCase{"1.5\x1a", kReadEndOfFile, 0}));

// ---------------------------------------------------------------------------------------
// Text layout

TEST(TextField, CopiesTwelveCharactersUnchanged) {
  MemorySource src(line("Run-1.Out\tab9999") + kMarker);
  FixedColumnReader r;
  Text12 t{};
  Steps s = read_txt(r, src, t);
  EXPECT_EQ(s.transfer, kReadOk);
  EXPECT_EQ(as_string(t), "Run-1.Out\tab");
  EXPECT_EQ(r.field_text(), "Run-1.Out\tab");
  EXPECT_EQ(s.end, kReadOk);
  expect_next_line_is_marker(r, src);
}

TEST(TextField, LineEndingAfterColumn65IsPaddedWithBlanks) {
  MemorySource src(line("init.d") + kMarker);
  FixedColumnReader r;
  Text12 t{};
  Steps s = read_txt(r, src, t);
  EXPECT_EQ(s.transfer, kReadOk);
  EXPECT_EQ(as_string(t), "init.d      ");
  EXPECT_EQ(r.field_text(), "init.d");
  expect_next_line_is_marker(r, src);
}

TEST(TextField, KeepsBlanksCommasAndByte26) {
  MemorySource src(line(" a, b\x1a  c   ") + kMarker);
  FixedColumnReader r;
  Text12 t{};
  EXPECT_EQ(read_txt(r, src, t).transfer, kReadOk);
  EXPECT_EQ(as_string(t), std::string(" a, b\x1a  c   "));
  expect_next_line_is_marker(r, src);
}

TEST(TextField, StopsAtCarriageReturn) {
  MemorySource src(line("name\rrest-of-line") + kMarker);
  FixedColumnReader r;
  Text12 t{};
  EXPECT_EQ(read_txt(r, src, t).transfer, kReadOk);
  EXPECT_EQ(as_string(t), "name        ");
  expect_next_line_is_marker(r, src);
}

// ---------------------------------------------------------------------------------------
// Lines and positions

TEST(FixedColumnLines, ShortLinesGiveEmptyFields) {
  for (const std::string& l : {std::string(""), std::string("short label"), label()}) {
    MemorySource src(l + "\n" + l + "\n" + l + "\n" + kMarker);
    FixedColumnReader r;
    std::int32_t i = kIntSentinel;
    double d = kDoubleSentinel;
    Text12 t;
    t.fill('#');
    EXPECT_EQ(read_int(r, src, i).transfer, kReadOk);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(read_dbl(r, src, d).transfer, kReadOk);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(d), 0u);
    EXPECT_EQ(read_txt(r, src, t).transfer, kReadOk);
    EXPECT_EQ(as_string(t), std::string(12, ' '));
    expect_next_line_is_marker(r, src);
  }
}

TEST(FixedColumnLines, CarriageReturnInColumn64EndsTheField) {
  // columns 60..63 hold "1234", column 64 a CR, then more characters before the LF
  MemorySource src(line("1234\r56789", "\n") + line("1.25\r999", "\r\n") + kMarker);
  FixedColumnReader r;
  std::int32_t i = kIntSentinel;
  EXPECT_EQ(read_int(r, src, i).transfer, kReadOk);
  EXPECT_EQ(i, 1234);
  EXPECT_EQ(r.field_text(), "1234");
  double d = kDoubleSentinel;
  EXPECT_EQ(read_dbl(r, src, d).transfer, kReadOk);
  EXPECT_EQ(d, 1.25);
  expect_next_line_is_marker(r, src);
}

TEST(FixedColumnLines, CarriageReturnInTheLabelGivesAnEmptyField) {
  MemorySource src(std::string("label\r") + std::string(70, '9') + "\n" + kMarker);
  FixedColumnReader r;
  std::int32_t i = kIntSentinel;
  EXPECT_EQ(read_int(r, src, i).transfer, kReadOk);
  EXPECT_EQ(i, 0);
  expect_next_line_is_marker(r, src);
}

TEST(FixedColumnLines, CrLfLines) {
  MemorySource src(line("          12", "\r\n") + line("    1.23456", "\r\n") +
                   line("name", "\r\n") + kMarker);
  FixedColumnReader r;
  std::int32_t i = 0;
  double d = 0;
  Text12 t{};
  EXPECT_EQ(read_int(r, src, i).end, kReadOk);
  EXPECT_EQ(i, 12);
  EXPECT_EQ(read_dbl(r, src, d).end, kReadOk);
  EXPECT_EQ(d, 1.23456);
  EXPECT_EQ(read_txt(r, src, t).end, kReadOk);
  EXPECT_EQ(as_string(t), "name        ");
  expect_next_line_is_marker(r, src);
}

TEST(FixedColumnLines, TabInTheLabelCountsAsOneColumn) {
  std::string l = "\t";
  l.resize(59, 'x');  // a tab and 58 further characters: 59 columns
  MemorySource src(l + "          77\n");
  FixedColumnReader r;
  std::int32_t i = 0;
  EXPECT_EQ(read_int(r, src, i).transfer, kReadOk);
  EXPECT_EQ(i, 77);
}

TEST(FixedColumnLines, EndOfFileWhenNoLineIsLeft) {
  MemorySource src(line("           1") + line("           2"));
  FixedColumnReader r;
  std::int32_t i = kIntSentinel;
  EXPECT_EQ(read_int(r, src, i).end, kReadOk);
  EXPECT_EQ(read_int(r, src, i).end, kReadOk);
  EXPECT_EQ(i, 2);
  Steps s = read_int(r, src, i);
  EXPECT_EQ(s.begin, kReadOk);
  EXPECT_EQ(s.transfer, kReadEndOfFile);
  EXPECT_EQ(i, 2);
  // it stays at the end
  double d = kDoubleSentinel;
  EXPECT_EQ(read_dbl(r, src, d).transfer, kReadEndOfFile);
  Text12 t;
  t.fill('#');
  EXPECT_EQ(read_txt(r, src, t).transfer, kReadEndOfFile);
  EXPECT_EQ(as_string(t), std::string(12, '#'));
}

TEST(FixedColumnLines, EmptyFileIsEndOfFile) {
  MemorySource src("");
  FixedColumnReader r;
  std::int32_t i = kIntSentinel;
  EXPECT_EQ(read_int(r, src, i).transfer, kReadEndOfFile);
  EXPECT_EQ(i, kIntSentinel);
}

TEST(FixedColumnLines, EmptyLastLineIsALine) {
  // "\n" is one empty line, read as a blank field; after it the file is at its end
  MemorySource src("\n");
  FixedColumnReader r;
  std::int32_t i = kIntSentinel;
  EXPECT_EQ(read_int(r, src, i).end, kReadOk);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(read_int(r, src, i).transfer, kReadEndOfFile);
}

TEST(FixedColumnLines, LastLineWithoutLfIsReadNormally) {
  MemorySource src(line("           1") + label() + "          -9");
  FixedColumnReader r;
  std::int32_t i = 0;
  EXPECT_EQ(read_int(r, src, i).end, kReadOk);
  Steps s = read_int(r, src, i);
  EXPECT_EQ(s.transfer, kReadOk);
  EXPECT_EQ(s.end, kReadOk);
  EXPECT_EQ(i, -9);
  EXPECT_EQ(read_int(r, src, i).transfer, kReadEndOfFile);
}

TEST(FixedColumnLines, LastLineWithoutLfEndingInTheLabel) {
  MemorySource src("only a label");
  FixedColumnReader r;
  double d = kDoubleSentinel;
  Steps s = read_dbl(r, src, d);
  EXPECT_EQ(s.transfer, kReadOk);
  EXPECT_EQ(s.end, kReadOk);
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(read_dbl(r, src, d).transfer, kReadEndOfFile);
}

TEST(FixedColumnLines, CommaEndsTheFieldAndTheRestOfTheLineIsSkipped) {
  MemorySource src(line("12,5  ,77,88") + kMarker);
  FixedColumnReader r;
  std::int32_t i = 0;
  Steps s = read_int(r, src, i);
  EXPECT_EQ(s.transfer, kReadOk);
  EXPECT_EQ(i, 12);
  EXPECT_EQ(r.field_text(), "12,");
  EXPECT_EQ(s.end, kReadOk);
  expect_next_line_is_marker(r, src);
}

TEST(FixedColumnLines, LongLineIsSkippedToItsEnd) {
  MemorySource src(line("          31" + std::string(200000, '7')) + kMarker);
  FixedColumnReader r;
  std::int32_t i = 0;
  EXPECT_EQ(read_int(r, src, i).transfer, kReadOk);
  EXPECT_EQ(i, 31);
  EXPECT_EQ(r.field_text().size(), 12u);
  expect_next_line_is_marker(r, src);
}

TEST(FixedColumnLines, FieldTextAndLineNumber) {
  MemorySource src(line("  -42") + line("  1.5 E 3") + line("1.5X"));
  FixedColumnReader r;
  std::int32_t i = 0;
  double d = 0;
  EXPECT_EQ(read_int(r, src, i).end, kReadOk);
  EXPECT_EQ(r.line_number(), 1);
  EXPECT_EQ(r.field_text(), "  -42");
  EXPECT_EQ(read_dbl(r, src, d).end, kReadOk);
  EXPECT_EQ(r.line_number(), 2);
  EXPECT_EQ(r.field_text(), "  1.5 E 3");
  EXPECT_EQ(r.first_column(), 60);
  EXPECT_EQ(r.last_column(), 70);
  EXPECT_EQ(read_dbl(r, src, d).transfer, kReadInvalidReal);
  EXPECT_EQ(r.line_number(), 3);
  EXPECT_EQ(r.field_text(), "1.5X");
  EXPECT_EQ(d, 1500.0);
}

TEST(FixedColumnLines, ItemThatDoesNotMatchTheLayoutIsAnError) {
  MemorySource src(line("          12"));
  FixedColumnReader r;
  double d = kDoubleSentinel;
  EXPECT_EQ(r.begin_read(src, FixedLayout::kInteger12), kReadOk);
  EXPECT_NE(r.read_double(d), kReadOk);
  EXPECT_EQ(d, kDoubleSentinel);
}

TEST(FixedColumnLines, ParameterFileOfMixedLayouts) {
  // a file in the manner of the parameter file: integer, doubles, a name, an integer
  MemorySource src(line("           3") + line("          12") + line(" 2.0D30") +
                   line("    0.5") + line("  1.5-2") + line("my.ini") + line("          -7") +
                   "any further line is never looked at\n");
  FixedColumnReader r;
  std::int32_t nRing = 0, n30 = 0, nTail = 0;
  double mStr = 0, fCen = 0, x = 0;
  Text12 name{};
  EXPECT_EQ(read_int(r, src, nRing).end, kReadOk);
  EXPECT_EQ(read_int(r, src, n30).end, kReadOk);
  EXPECT_EQ(read_dbl(r, src, mStr).end, kReadOk);
  EXPECT_EQ(read_dbl(r, src, fCen).end, kReadOk);
  EXPECT_EQ(read_dbl(r, src, x).end, kReadOk);
  EXPECT_EQ(read_txt(r, src, name).end, kReadOk);
  EXPECT_EQ(read_int(r, src, nTail).end, kReadOk);
  EXPECT_EQ(nRing, 3);
  EXPECT_EQ(n30, 12);
  EXPECT_EQ(mStr, 2.0e30);
  EXPECT_EQ(fCen, 0.5);
  EXPECT_EQ(x, 0.015);
  EXPECT_EQ(as_string(name), "my.ini      ");
  EXPECT_EQ(nTail, -7);
  EXPECT_EQ(r.line_number(), 7);
}

TEST(FixedColumnTraps, OverflowFieldWithTrapsEnabled) {
  feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
  MemorySource src(line("1D400") + line("1D-400") + line("  1.2345E-3"));
  FixedColumnReader r;
  double d = kDoubleSentinel;
  const int overflow = read_dbl(r, src, d).transfer;
  r.end_read();
  const int underflow = read_dbl(r, src, d).transfer;
  const double tiny = d;
  const int ordinary = read_dbl(r, src, d).transfer;
  const int flags = fetestexcept(FE_ALL_EXCEPT);
  fedisableexcept(FE_ALL_EXCEPT);
  feclearexcept(FE_ALL_EXCEPT);
  EXPECT_EQ(overflow, kReadRealOverflow);
  EXPECT_EQ(underflow, kReadOk);
  EXPECT_EQ(tiny, 0.0);
  EXPECT_EQ(ordinary, kReadOk);
  EXPECT_EQ(d, 1.2345e-3);
  EXPECT_EQ(flags, 0);
}

// A source whose data breaks off with a read failure.
class BrokenSource final : public CharSource {
 public:
  explicit BrokenSource(std::string bytes) : CharSource(16), bytes_(std::move(bytes)) {}

 protected:
  long refill(char* buf, std::size_t cap) override {
    if (sent_) return -1;
    sent_ = true;
    std::size_t n = std::min(cap, bytes_.size());
    bytes_.copy(buf, n);
    return static_cast<long>(n);
  }

 private:
  std::string bytes_;
  bool sent_ = false;
};

TEST(FixedColumnLines, ReadFailureIsNotEndOfFile) {
  BrokenSource src("label ");
  FixedColumnReader r;
  std::int32_t i = kIntSentinel;
  EXPECT_EQ(read_int(r, src, i).transfer, kReadFault);
  EXPECT_EQ(i, kIntSentinel);
}

}  // namespace
}  // namespace korvane2::textio
