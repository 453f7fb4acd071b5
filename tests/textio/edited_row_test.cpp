// Tests of the edited table row "(I4,3(D13.6))": the I4 and D13.6 fields and whole
// 43-column rows.
#include "textio/edited_row.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <limits>
#include <string>

#include "textio/collecting_sink.hpp"
#include "textio/double_text.hpp"

namespace korvane2::textio {
namespace {

using test_support::CollectingSink;

std::string row_text(std::int32_t number, double a, double b, double c) {
  CollectingSink sink;
  write_edited_row(sink, number, a, b, c);
  EXPECT_EQ(sink.lines.size(), 1u);
  return sink.lines.empty() ? std::string() : sink.lines.front();
}

std::string d_field(double value) {
  char out[13];
  format_d13_6(value, out);
  return std::string(out, 13);
}

struct DFieldCase {
  double value;
  const char* field;  // 13 columns
};

class D13FieldTest : public ::testing::TestWithParam<DFieldCase> {};

TEST_P(D13FieldTest, FieldMatches) {
  const DFieldCase& c = GetParam();
  EXPECT_EQ(d_field(c.value), c.field);
}

// The same field in each of the three double positions of a row.
TEST_P(D13FieldTest, FieldInEveryRowPosition) {
  const DFieldCase& c = GetParam();
  const std::string zero = "  .000000D+00";
  EXPECT_EQ(row_text(0, c.value, 0.0, 0.0), "   0" + std::string(c.field) + zero + zero);
  EXPECT_EQ(row_text(0, 0.0, c.value, 0.0), "   0" + zero + c.field + zero);
  EXPECT_EQ(row_text(0, 0.0, 0.0, c.value), "   0" + zero + zero + c.field);
}

const DFieldCase kDocumentedDFields[] = {
    {1.0, "  .100000D+01"},
    {-1.0, " -.100000D+01"},
    {0.0, "  .000000D+00"},
    {-0.0, "  .000000D+00"},
    {0.5, "  .500000D+00"},
    {1.0 / 3.0, "  .333333D+00"},
    {6.67259e-11, "  .667259D-10"},
    {123456.5, "  .123457D+06"},
    {0.9999995, "  .100000D+01"},
    {149597870691.0, "  .149598D+12"},
    {-149597870691.0, " -.149598D+12"},
    {1e99, "  .100000+100"},
    {1e-100, "  .100000D-99"},
};
INSTANTIATE_TEST_SUITE_P(Documented, D13FieldTest, ::testing::ValuesIn(kDocumentedDFields));

// Hand-checked: 17-digit forms in the comments.
const DFieldCase kHandDFields[] = {
    {-123456.5, " -.123457D+06"},           // tie at the 7th digit, away from zero
    {123456.49999999999, "  .123456D+06"},  // 12345649999999999: 7th digit 4
    {1e98, "  .100000D+99"},                // 1 x 10^99 after the first rounding
    {1e100, "  .100000+101"},
    {1e-101, "  .100000-100"},  // 10000000000000001 x 10^-100
    {-1e-101, " -.100000-100"},
    {6.0e24, "  .600000D+25"},         // 59999999999999999: carry at the 7th digit
    {-0.00225, " -.225000D-02"},       // 22499999999999998
    {1.0 - 0x1p-53, "  .100000D+01"},  // 99999999999999989: carry raises X to 1
    {0.0999999, "  .999999D-01"},
    {std::numeric_limits<double>::denorm_min(), "  .494066-323"},  // 49406564584124654
    {-std::numeric_limits<double>::denorm_min(), " -.494066-323"},
    {DBL_MIN, "  .222507-307"},  // 22250738585072014
    {DBL_MAX, "  .179769+309"},  // 17976931348623157
    {-DBL_MAX, " -.179769+309"},
    {0.68, "  .680000D+00"},
    {1e-6, "  .100000D-05"},  // 99999999999999995: carry raises X to -5
};
INSTANTIATE_TEST_SUITE_P(HandChecked, D13FieldTest, ::testing::ValuesIn(kHandDFields));

struct I4Case {
  std::int32_t number;
  const char* field;
};

class I4FieldTest : public ::testing::TestWithParam<I4Case> {};

TEST_P(I4FieldTest, FieldMatches) {
  const I4Case& c = GetParam();
  const std::string row = row_text(c.number, 0.0, 0.0, 0.0);
  ASSERT_EQ(row.size(), 43u);
  EXPECT_EQ(row.substr(0, 4), c.field);
  EXPECT_EQ(row.substr(4), "  .000000D+00  .000000D+00  .000000D+00");
}

const I4Case kI4Cases[] = {
    {1, "   1"},
    {-1, "  -1"},
    {9999, "9999"},
    {10000, "****"},
    {30002, "****"},
    {-1000, "****"},
    {0, "   0"},
    {-999, "-999"},
    {12, "  12"},
    {std::numeric_limits<std::int32_t>::max(), "****"},
    {std::numeric_limits<std::int32_t>::min(), "****"},
};
INSTANTIATE_TEST_SUITE_P(Cases, I4FieldTest, ::testing::ValuesIn(kI4Cases));

TEST(EditedRowTest, DocumentedRows) {
  EXPECT_EQ(row_text(12, 1.5, -0.00225, 6.0e24), "  12  .150000D+01 -.225000D-02  .600000D+25");
  EXPECT_EQ(row_text(1, 0.0, 0.0, 0.0), "   1  .000000D+00  .000000D+00  .000000D+00");
}

TEST(EditedRowTest, RowIsOneLineOfFortyThreeColumns) {
  CollectingSink sink;
  write_edited_row(sink, 30002, -DBL_MAX, -1e-300, -std::numeric_limits<double>::denorm_min());
  ASSERT_EQ(sink.lines.size(), 1u);
  EXPECT_EQ(sink.lines[0], "**** -.179769+309 -.100000-299 -.494066-323");
}

}  // namespace
}  // namespace korvane2::textio
