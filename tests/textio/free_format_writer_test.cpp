// Tests of the free-format output record: field widths, separators, line breaks, text
// cutting and whole records, compared line by line.
#include "textio/free_format_writer.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "textio/collecting_sink.hpp"

namespace korvane2::textio {
namespace {

using test_support::CollectingSink;

struct Item {
  enum Kind { kInteger, kDouble, kText } kind;
  std::int32_t integer = 0;
  double real = 0.0;
  std::string text;
};

Item I(std::int32_t v) { return {Item::kInteger, v, 0.0, {}}; }
Item D(double v) { return {Item::kDouble, 0, v, {}}; }
Item T(std::string v) { return {Item::kText, 0, 0.0, std::move(v)}; }

std::vector<std::string> write_record(const std::vector<Item>& items) {
  CollectingSink sink;
  FreeFormatWriter writer(sink);
  writer.begin_record();
  for (const Item& item : items) {
    switch (item.kind) {
      case Item::kInteger:
        writer.put_integer(item.integer);
        break;
      case Item::kDouble:
        writer.put_double(item.real);
        break;
      case Item::kText:
        writer.put_text(item.text);
        break;
    }
  }
  writer.end_record();
  return sink.lines;
}

// A text of the given length made of the digits 0..9 repeated, so that a cut is visible.
std::string digits_text(std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text += static_cast<char>('0' + i % 10);
  return text;
}

struct RecordCase {
  const char* name;
  std::vector<Item> items;
  std::vector<std::string> lines;
};

void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.name; }

class FreeFormatRecordTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(FreeFormatRecordTest, LinesMatch) {
  const RecordCase& c = GetParam();
  const std::vector<std::string> lines = write_record(c.items);
  EXPECT_EQ(lines, c.lines);
  for (const std::string& line : lines) EXPECT_LE(line.size(), 80u) << line;
}

const std::string kText70 = digits_text(70);
const std::string kText79 = digits_text(79);

const RecordCase kDocumentedRecords[] = {
    {"TextDoubleTextInteger",
     {T("Period in sideral years = "), D(0.2408), T(" and N3 = "), I(12)},
     {" Period in sideral years =   2.408000000000000E-001 and N3 =          12"}},
    {"IntegersThenDoubles",
     {I(1), I(-1), D(0.5), D(1.0 / 3.0)},
     {"           1          -1   5.000000000000000E-001   3.333333333333333E-001"}},
    {"SevenDoubles",
     {D(1.0), D(1.0), D(1.0), D(1.0), D(1.0), D(1.0), D(1.0)},
     {"        1.000000000000000        1.000000000000000        1.000000000000000",
      "        1.000000000000000        1.000000000000000        1.000000000000000",
      "        1.000000000000000"}},
    {"IntegersOneToFourteen",
     {I(1), I(2), I(3), I(4), I(5), I(6), I(7), I(8), I(9), I(10), I(11), I(12), I(13), I(14)},
     {"           1           2           3           4           5           6",
      "           7           8           9          10          11          12",
      "          13          14"}},
    {"MinimalDistance",
     {T("The minimal distance between bodies "), I(2), T(" and "), I(3), T(" Rminn = "),
      D(1234.5678), T(" is in "), I(1), T(" ring.")},
     {" The minimal distance between bodies           2 and           3 Rminn = ",
      "    1234.567800000000000 is in           1 ring."}},
    {"TextSeventyThenTwelve",
     {T(kText70), T("abcdefghijkl")},
     {" " + kText70 + "abcdefghi", " jkl"}},
    {"TextOfSeventyNineLast", {T(kText79)}, {" " + kText79, " "}},
    {"ErrorOkf2", {T("Error okf2 = "), D(0.0)}, {" Error okf2 =   0.000000000000000E+000"}},
    {"EmptyRecord", {}, {" "}},
};
INSTANTIATE_TEST_SUITE_P(Documented, FreeFormatRecordTest, ::testing::ValuesIn(kDocumentedRecords),
                         [](const auto& info) { return std::string(info.param.name); });

const RecordCase kLayoutRecords[] = {
    // Integer texts in their 11-column field.
    {"IntegerOne", {I(1)}, {"           1"}},
    {"IntegerMinusOne", {I(-1)}, {"          -1"}},
    {"IntegerZero", {I(0)}, {"           0"}},
    {"IntegerNineDigits", {I(123456789)}, {"   123456789"}},
    {"IntegerMostNegative", {I(std::numeric_limits<std::int32_t>::min())}, {" -2147483648"}},
    {"IntegerMostNegativeSeparated",
     {I(5), I(std::numeric_limits<std::int32_t>::min())},
     {"           5 -2147483648"}},
    {"IntegerLargest", {I(2147483647)}, {"  2147483647"}},
    // A double fits only while remaining > 24 (after a text) ...
    {"DoubleFitsWithTwentyFiveFree",
     {T(digits_text(54)), D(1.0)},
     {" " + digits_text(54) + "       1.000000000000000"}},
    {"DoubleBreaksWithTwentyFourFree",
     {T(digits_text(55)), D(1.0)},
     {" " + digits_text(55), "       1.000000000000000"}},
    // ... or > 25 after a number, whose separator then opens the new line.
    {"SeparatedDoubleFitsWithTwentySixFree",
     {T(digits_text(42)), I(1), D(1.0)},
     {" " + digits_text(42) + "          1        1.000000000000000"}},
    {"SeparatedDoubleBreaksWithTwentyFiveFree",
     {T(digits_text(43)), I(1), D(1.0)},
     {" " + digits_text(43) + "          1", "        1.000000000000000"}},
    {"IntegerFitsWithTwelveFree",
     {T(digits_text(67)), I(-7)},
     {" " + digits_text(67) + "         -7"}},
    {"IntegerBreaksWithElevenFree",
     {T(digits_text(68)), I(-7)},
     {" " + digits_text(68), "         -7"}},
    // Texts follow numbers and texts directly, without a separator.
    {"TextAfterInteger", {I(3), T("x")}, {"           3x"}},
    {"TextAfterText", {T("ab"), T("cd")}, {" abcd"}},
    {"TextKeepsTrailingBlanks", {T("ab  ")}, {" ab  "}},
    {"EmptyText", {T("")}, {" "}},
    {"EmptyTextThenInteger", {T(""), I(1)}, {"           1"}},
    {"NumberAfterTextHasNoSeparator", {I(1), T(""), I(2)}, {"           1          2"}},
    // A text that exactly fills the line after a number still opens a new line.
    {"TextFillsLineAfterInteger",
     {I(1), T(digits_text(68))},
     {"           1" + digits_text(68), " "}},
    {"TextFillsLineThenInteger",
     {I(1), T(digits_text(68)), I(2)},
     {"           1" + digits_text(68), "           2"}},
    {"TextFillsLineThenText", {T(kText79), T("z")}, {" " + kText79, " z"}},
    // A long text is cut at every line end; each continuation starts with one blank.
    {"TextOverThreeLines",
     {T(digits_text(200))},
     {" " + digits_text(200).substr(0, 79), " " + digits_text(200).substr(79, 79),
      " " + digits_text(200).substr(158)}},
    {"IntegerAfterCutText",
     {T(digits_text(100)), I(7)},
     {" " + digits_text(79), " " + digits_text(100).substr(79) + "          7"}},
    {"DoubleAfterCutText",
     {T(digits_text(100)), D(-1.0)},
     {" " + digits_text(79), " " + digits_text(100).substr(79) + "      -1.000000000000000"}},
    // A text cut right after numbers on a continuation line opened by a number.
    {"TextCutOnNumberLine",
     {D(1.0), D(1.0), D(1.0), D(1.0), T(digits_text(60))},
     {"        1.000000000000000        1.000000000000000        1.000000000000000",
      "        1.000000000000000" + digits_text(54), " " + digits_text(60).substr(54)}},
    // Widest double texts in their fields.
    {"NegativeExponentForm", {D(-0.5)}, {"  -5.000000000000000E-001"}},
    {"WidestFixedForm", {D(-(1e7 - 0x1p-29))}, {" -9999999.999999998000000"}},
};
INSTANTIATE_TEST_SUITE_P(Layout, FreeFormatRecordTest, ::testing::ValuesIn(kLayoutRecords),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FreeFormatWriterTest, DocumentedLineLengths) {
  EXPECT_EQ(write_record(kDocumentedRecords[0].items)[0].size(), 72u);
  EXPECT_EQ(write_record(kDocumentedRecords[1].items)[0].size(), 74u);
  EXPECT_EQ(write_record(kDocumentedRecords[4].items)[0].size(), 73u);
  EXPECT_EQ(write_record(kDocumentedRecords[5].items)[0].size(), 80u);
}

TEST(FreeFormatWriterTest, EveryRecordStartsAfresh) {
  CollectingSink sink;
  FreeFormatWriter writer(sink);
  writer.begin_record();
  for (int i = 0; i < 4; ++i) writer.put_double(1.0);
  writer.put_text(digits_text(30));
  writer.end_record();
  writer.begin_record();
  writer.put_integer(1);
  writer.end_record();
  writer.begin_record();
  writer.put_text(kText79);  // ends with an owed blank on a new line
  writer.end_record();
  writer.begin_record();
  writer.put_text("a");
  writer.end_record();
  const std::vector<std::string> expected = {
      "        1.000000000000000        1.000000000000000        1.000000000000000",
      "        1.000000000000000" + digits_text(30),
      "           1",
      " " + kText79,
      " ",
      " a"};
  EXPECT_EQ(sink.lines, expected);
}

TEST(FreeFormatWriterTest, LineBreaksDependOnlyOnItemKinds) {
  const std::vector<std::string> small = write_record({I(0), D(0.5), I(1), D(1.0), D(2.0)});
  const std::vector<std::string> wide =
      write_record({I(-2147483647), D(-1e-300), I(-1), D(-(1e7 - 0x1p-29)), D(-DBL_MAX)});
  ASSERT_EQ(small.size(), wide.size());
  for (std::size_t i = 0; i < small.size(); ++i) EXPECT_EQ(small[i].size(), wide[i].size());
}

TEST(FreeFormatWriterTest, NothingReachesTheSinkBeforeTheLineEnds) {
  CollectingSink sink;
  FreeFormatWriter writer(sink);
  writer.begin_record();
  writer.put_integer(1);
  writer.put_double(2.0);
  writer.put_text("abc");
  EXPECT_TRUE(sink.lines.empty());
  writer.end_record();
  EXPECT_EQ(sink.lines.size(), 1u);
}

}  // namespace
}  // namespace korvane2::textio
