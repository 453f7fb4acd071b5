// Tests of the free-format read statement as the ring table uses it: separators, null
// values, "/", repeat counts, records over several lines and where the next one starts.
#include "textio/free_format_reader.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "textio/char_source.hpp"
#include "textio/read_status.hpp"

namespace korvane2::textio {
namespace {

// The six items of a ring-table record, with sentinels that show which were not set.
struct Record {
  std::int32_t irtb = -111;
  std::int32_t n3 = -222;
  double okf = -3.25;
  double ctilt = -4.25;
  double rring = -5.25;
  double mbr = -6.25;
};

struct Outcome {
  int begin = 99;
  int failedItem = 0;  // 1..6, or 7 for the end step, 0 when all steps succeeded
  int status = 0;      // status of the failing step
};

Outcome read_record(FreeFormatReader& r, CharSource& src, Record& rec) {
  Outcome o;
  o.begin = r.begin_read(src);
  int s = r.read_integer(rec.irtb);
  if (s != kReadOk) return {o.begin, 1, s};
  s = r.read_integer(rec.n3);
  if (s != kReadOk) return {o.begin, 2, s};
  double* d[4] = {&rec.okf, &rec.ctilt, &rec.rring, &rec.mbr};
  for (int k = 0; k < 4; ++k) {
    s = r.read_double(*d[k]);
    if (s != kReadOk) return {o.begin, 3 + k, s};
  }
  s = r.end_read();
  if (s != kReadOk) return {o.begin, 7, s};
  return o;
}

void expect_ok(const Outcome& o) {
  EXPECT_EQ(o.begin, kReadOk);
  EXPECT_EQ(o.failedItem, 0) << "failed at step " << o.failedItem << " with status " << o.status;
}

void expect_record(const Record& rec, std::int32_t irtb, std::int32_t n3, double okf,
                   double ctilt, double rring, double mbr) {
  EXPECT_EQ(rec.irtb, irtb);
  EXPECT_EQ(rec.n3, n3);
  EXPECT_EQ(rec.okf, okf);
  EXPECT_EQ(rec.ctilt, ctilt);
  EXPECT_EQ(rec.rring, rring);
  EXPECT_EQ(rec.mbr, mbr);
}

// A second statement reading "8 9 ..." shows where the next statement started.
const char* kNext = "8 9 8.5 9.5 10.5 11.5\n";
void expect_next_statement_reads_marker(FreeFormatReader& r, CharSource& src) {
  Record rec;
  expect_ok(read_record(r, src, rec));
  expect_record(rec, 8, 9, 8.5, 9.5, 10.5, 11.5);
}

// ---------------------------------------------------------------------------------------
// Complete records

struct RecordCase {
  const char* name;
  std::string text;  // followed by kNext
  Record expected;
};

class CompleteRecord : public ::testing::TestWithParam<RecordCase> {};

TEST_P(CompleteRecord, FillsTheItemsAndTheNextStatementStartsOnTheNextLine) {
  const RecordCase& c = GetParam();
  MemorySource src(c.text + kNext);
  FreeFormatReader r;
  Record rec;
  expect_ok(read_record(r, src, rec));
  const Record& e = c.expected;
  expect_record(rec, e.irtb, e.n3, e.okf, e.ctilt, e.rring, e.mbr);
  expect_next_statement_reads_marker(r, src);
}

const Record kRing{1, 12, 0.5, 0.1, 2.0, 3.5e20};

INSTANTIATE_TEST_SUITE_P(
    Table, CompleteRecord,
    ::testing::Values(
        RecordCase{"OneLine", "1 12 0.5 0.1 2.0 3.5E+20\n", kRing},
        RecordCase{"TwoLines", "1 12\n0.5 0.1 2.0 3.5E+20\n", kRing},
        RecordCase{"OneValuePerLine", "1\n12\n0.5\n0.1\n2.0\n3.5E+20\n", kRing},
        RecordCase{"BlankAndEmptyLinesInside", "\n  \n1 12\n\n \t \n0.5 0.1\n 2.0   3.5E+20\n",
                   kRing},
        RecordCase{"CommasAndSurplus", "1,12,0.5,0.1,2.0,3.5E+20,999\n", kRing},
        RecordCase{"SurplusValuesSkipped", "1 12 0.5 0.1 2.0 3.5E+20 7 7 7 'x' (1\n", kRing},
        RecordCase{"CrLf", "1 12 0.5 0.1 2.0 3.5E+20\r\n", kRing},
        RecordCase{"BlankBeforeCrLf", "1 12 0.5 0.1 2.0 3.5E+20 \r\n", kRing},
        RecordCase{"CommaAtLineEnd", "1 12 0.5,\n0.1, 2.0 ,3.5E+20,\n", kRing},
        RecordCase{"Tabs", "\t1\t12\t0.5\t0.1\t2.0\t3.5E+20\t\n", kRing},
        RecordCase{"CrEndsTheUsableLine", "1 12 0.5\r 77 77 77\n0.1 2.0 3.5E+20\n", kRing},
        RecordCase{"SpacedCommas", "1 , 12 ,0.5, 0.1 , 2.0,3.5E+20\n", kRing},
        RecordCase{"OtherForms", "+1 16#C .5 1.0-1 2. 35E19\n", kRing},
        RecordCase{"Repeat", "1 12 3*2.5 9\n", Record{1, 12, 2.5, 2.5, 2.5, 9.0}},
        RecordCase{"RepeatOfIntegers", "2*7 3*2.5 9\n", Record{7, 7, 2.5, 2.5, 2.5, 9.0}},
        RecordCase{"RepeatOverTheStatementEnd", "1 12 0.5 0.1 2.0 5*3.5\n",
                   Record{1, 12, 0.5, 0.1, 2.0, 3.5}},
        RecordCase{"NullValues", "1,,0.5,,2.0,3.5E+20\n", Record{1, -222, 0.5, -4.25, 2.0, 3.5e20}},
        RecordCase{"LeadingComma", ",12,0.5,0.1,2.0,3.5E+20\n", Record{-111, 12, 0.5, 0.1, 2.0, 3.5e20}},
        RecordCase{"LeadingBlankComma", "  , 12 0.5 0.1 2.0 3.5E+20\n",
                   Record{-111, 12, 0.5, 0.1, 2.0, 3.5e20}},
        RecordCase{"RepeatedNull", "1 12 2* 2.0 3.5E+20\n", Record{1, 12, -3.25, -4.25, 2.0, 3.5e20}},
        RecordCase{"RepeatedNullBeforeComma", "1 12 2*, 2.0 3.5E+20\n",
                   Record{1, 12, -3.25, -4.25, 2.0, 3.5e20}},
        RecordCase{"SlashEndsTheRecord", "1 12 0.5 / 7 7\n", Record{1, 12, 0.5, -4.25, -5.25, -6.25}},
        RecordCase{"SlashRightAfterAValue", "1 12 0.5/7 7\n", Record{1, 12, 0.5, -4.25, -5.25, -6.25}},
        RecordCase{"SlashAtStart", "/ 1 2 3\n", Record{}},
        RecordCase{"SlashOnALaterLine", "1 12\n/ 5 5\n", Record{1, 12, -3.25, -4.25, -5.25, -6.25}},
        RecordCase{"RepeatBeforeSlash", "1 12 2*0.5/ 9\n", Record{1, 12, 0.5, 0.5, -5.25, -6.25}},
        RecordCase{"SignAloneIsZeroForAnInteger", "- + 0.5 0.1 2.0 3.5E+20\n",
                   Record{0, 0, 0.5, 0.1, 2.0, 3.5e20}}),
    [](const ::testing::TestParamInfo<RecordCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Failures

struct FailureCase {
  const char* name;
  std::string text;
  int failedItem;
  int status;
};

class FailingRecord : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailingRecord, FailsAtTheItemAndKeepsTheRest) {
  const FailureCase& c = GetParam();
  MemorySource src(c.text);
  FreeFormatReader r;
  Record rec;
  const Record before;
  Outcome o = read_record(r, src, rec);
  EXPECT_EQ(o.begin, kReadOk);
  EXPECT_EQ(o.failedItem, c.failedItem);
  EXPECT_EQ(o.status, c.status) << read_status_text(o.status);
  // items from the failing one on keep their values
  if (c.failedItem <= 1) {
    EXPECT_EQ(rec.irtb, before.irtb);
  }
  if (c.failedItem <= 2) {
    EXPECT_EQ(rec.n3, before.n3);
  }
  if (c.failedItem <= 3) {
    EXPECT_EQ(rec.okf, before.okf);
  }
  if (c.failedItem <= 4) {
    EXPECT_EQ(rec.ctilt, before.ctilt);
  }
  if (c.failedItem <= 5) {
    EXPECT_EQ(rec.rring, before.rring);
  }
  if (c.failedItem <= 6) {
    EXPECT_EQ(rec.mbr, before.mbr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailingRecord,
    ::testing::Values(
        FailureCase{"RealForInteger", "1.0 12 0.5 0.1 2.0 3.5\n", 1, kReadInvalidInteger},
        FailureCase{"EmptyFile", "", 1, kReadEndOfFile},
        FailureCase{"BlankLines", "\n   \n\t\n\r\n", 1, kReadEndOfFile},
        FailureCase{"BlankLastLineWithoutLf", "\n   ", 1, kReadEndOfFile},
        FailureCase{"EndInsideTheRecord", "1 12 0.5\n", 4, kReadEndOfFile},
        FailureCase{"EndAfterCommas", "1 12 0.5,,,", 6, kReadEndOfFile},
        FailureCase{"ZeroRepeat", "1 12 0*5 1 1 1\n", 3, kReadBadRepeatCount},
        FailureCase{"NegativeRepeat", "1 12 -1*5 1 1 1\n", 3, kReadBadRepeatCount},
        FailureCase{"EmptyRepeat", "1 12 *5 1 1 1\n", 3, kReadBadRepeatCount},
        FailureCase{"SecondRepeat", "1 12 2*3*4 1 1\n", 3, kReadBadRepeatCount},
        FailureCase{"BadRepeatText", "1 12 2.0*4 1 1\n", 3, kReadInvalidInteger},
        FailureCase{"Apostrophe", "1 12 'abc' 1 1 1\n", 3, kReadQuotedValue},
        FailureCase{"Quote", "1 12 \"abc\" 1 1 1\n", 3, kReadQuotedValue},
        FailureCase{"Parenthesis", "1 12 (1.0,2.0) 1 1 1\n", 3, kReadQuotedValue},
        FailureCase{"QuoteAfterRepeat", "1 12 2*'a' 1 1\n", 3, kReadQuotedValue},
        FailureCase{"QuoteForInteger", "'1' 12\n", 1, kReadQuotedValue},
        FailureCase{"PointAlone", "1 12 . 1 1 1\n", 3, kReadInvalidReal},
        FailureCase{"SignAloneForDouble", "1 12 0.5 - 1 1\n", 4, kReadInvalidReal},
        FailureCase{"ExponentWithoutDigits", "1 12 0.5 0.1 1.5E 1\n", 5, kReadInvalidReal},
        FailureCase{"Letters", "1 12 0.5 0.1 2.0 ABC\n", 6, kReadInvalidReal},
        FailureCase{"IntegerOverflow", "1 99999999999 0.5 0.1 2.0 3.5\n", 2, kReadIntegerOverflow},
        FailureCase{"RealOverflow", "1 12 0.5 1D400 2.0 3.5\n", 4, kReadRealOverflow},
        FailureCase{"RepeatedOverflow", "1 12 2*1E999 3 3\n", 3, kReadRealOverflow},
        FailureCase{"QuoteInsideAValue", "1 12 0.5 0.1 2'0 3.5\n", 5, kReadInvalidReal},
        FailureCase{"InvalidRadix", "1 8#9 0.5\n", 2, kReadInvalidRadix},
        FailureCase{"Byte26", "1 12 \x1a\n", 3, kReadInvalidReal}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Statements one after the other

TEST(FreeFormatStatements, RecordsInSequenceAndEndOfFile) {
  MemorySource src("1 12 0.5 0.1 2.0 3.5E+20\n2 24\n 0.25 0.2 4.0 1.5E+20\n");
  FreeFormatReader r;
  Record rec;
  expect_ok(read_record(r, src, rec));
  expect_record(rec, 1, 12, 0.5, 0.1, 2.0, 3.5e20);
  expect_ok(read_record(r, src, rec));
  expect_record(rec, 2, 24, 0.25, 0.2, 4.0, 1.5e20);
  Outcome o = read_record(r, src, rec);
  EXPECT_EQ(o.failedItem, 1);
  EXPECT_EQ(o.status, kReadEndOfFile);
  expect_record(rec, 2, 24, 0.25, 0.2, 4.0, 1.5e20);
}

TEST(FreeFormatStatements, EndOfFileInsideARecordKeepsTheItemsAlreadyRead) {
  MemorySource src("5 6\n7.5\n");
  FreeFormatReader r;
  Record rec;
  Outcome o = read_record(r, src, rec);
  EXPECT_EQ(o.failedItem, 4);
  EXPECT_EQ(o.status, kReadEndOfFile);
  expect_record(rec, 5, 6, 7.5, -4.25, -5.25, -6.25);
  EXPECT_EQ(r.item_line(), 3);
}

TEST(FreeFormatStatements, LastLineWithoutLf) {
  MemorySource src("1 12 0.5 0.1 2.0 3.5E+20");
  FreeFormatReader r;
  Record rec;
  expect_ok(read_record(r, src, rec));
  expect_record(rec, 1, 12, 0.5, 0.1, 2.0, 3.5e20);
  EXPECT_EQ(read_record(r, src, rec).status, kReadEndOfFile);
}

TEST(FreeFormatStatements, RepeatCountDoesNotCarryOver) {
  MemorySource src(std::string("1 12 0.5 0.1 2.0 6*3.5\n") + kNext);
  FreeFormatReader r;
  Record rec;
  expect_ok(read_record(r, src, rec));
  EXPECT_EQ(rec.mbr, 3.5);
  expect_next_statement_reads_marker(r, src);
}

TEST(FreeFormatStatements, SlashStopsTheStatementAndTheLineIsSkipped) {
  MemorySource src(std::string("1 12 0.5 / 7 7\n") + kNext);
  FreeFormatReader r;
  Record rec;
  rec.ctilt = 0.75;
  expect_ok(read_record(r, src, rec));
  expect_record(rec, 1, 12, 0.5, 0.75, -5.25, -6.25);
  expect_next_statement_reads_marker(r, src);
}

TEST(FreeFormatStatements, ValueEndedByTheLineEndLeavesTheNextLineToTheNextStatement) {
  // the last value is followed directly by the line end: the line end is already passed
  MemorySource src(std::string("1 12 0.5 0.1 2.0 3.5E+20\n") + kNext + "1 2 3 4 5 6\n");
  FreeFormatReader r;
  Record rec;
  expect_ok(read_record(r, src, rec));
  expect_next_statement_reads_marker(r, src);
  expect_ok(read_record(r, src, rec));
  expect_record(rec, 1, 2, 3.0, 4.0, 5.0, 6.0);
}

TEST(FreeFormatStatements, RepeatedNullEndedByTheLineEndSkipsTheFollowingLine) {
  // "2*" at the end of its line is a null value, not a value text ended by the line end:
  // the end of the statement passes over the rest of the current line, which is the
  // line after it.
  MemorySource src(std::string("1 12 0.5 0.1 2*\nskipped line\n") + kNext);
  FreeFormatReader r;
  Record rec;
  expect_ok(read_record(r, src, rec));
  expect_record(rec, 1, 12, 0.5, 0.1, -5.25, -6.25);
  expect_next_statement_reads_marker(r, src);
}

TEST(FreeFormatStatements, PositionAfterAFailedItem) {
  // the failed value and the separator after it are consumed; a new statement goes on
  // from there, in the middle of the line
  MemorySource src("1 X 3 4 5.5 6.5 7.5 8.5\n9 10 11 12\n");
  FreeFormatReader r;
  Record rec;
  Outcome o = read_record(r, src, rec);
  EXPECT_EQ(o.failedItem, 2);
  EXPECT_EQ(o.status, kReadInvalidInteger);
  EXPECT_EQ(rec.irtb, 1);
  EXPECT_EQ(rec.n3, -222);
  EXPECT_EQ(r.item_line(), 1);
  Record next;
  expect_ok(read_record(r, src, next));
  expect_record(next, 3, 4, 5.5, 6.5, 7.5, 8.5);
  // 8.5 was ended by the line end, so the third statement starts on line 2
  o = read_record(r, src, next);
  EXPECT_EQ(o.failedItem, 5);
  EXPECT_EQ(o.status, kReadEndOfFile);
  expect_record(next, 9, 10, 11.0, 12.0, 7.5, 8.5);
}

TEST(FreeFormatStatements, ItemLineNamesTheLineOfTheFailingValue) {
  MemorySource src("1 12 0.5 0.1 2.0 3.5\n\n2 24\n\n0.5 0.1 2.0 bad\n");
  FreeFormatReader r;
  Record rec;
  expect_ok(read_record(r, src, rec));
  EXPECT_EQ(r.item_line(), 1);
  Outcome o = read_record(r, src, rec);
  EXPECT_EQ(o.failedItem, 6);
  EXPECT_EQ(o.status, kReadInvalidReal);
  EXPECT_EQ(r.item_line(), 5);
}

TEST(FreeFormatStatements, OverlongValueIsAnErrorAndTheFileGoesOn) {
  std::string text = "1 " + std::string(3000000, '7') + " 3 4 0.5 0.1 2.0 3.5\n" + kNext;
  MemorySource src(text);
  FreeFormatReader r;
  Record rec;
  Outcome o = read_record(r, src, rec);
  EXPECT_EQ(o.failedItem, 2);
  EXPECT_EQ(o.status, kReadValueTooLong);
  EXPECT_EQ(rec.irtb, 1);
  EXPECT_EQ(rec.n3, -222);
  // the next statement starts right after the long value and its separator
  Record next;
  expect_ok(read_record(r, src, next));
  expect_record(next, 3, 4, 0.5, 0.1, 2.0, 3.5);
  expect_next_statement_reads_marker(r, src);
}

TEST(FreeFormatStatements, ValueTextLimitIs4096Characters) {
  const std::string kept = "1." + std::string(4094, '0');  // 4096 characters
  MemorySource src("1 2 " + kept + " " + kept + "0 1 1\n");
  FreeFormatReader r;
  Record rec;
  Outcome o = read_record(r, src, rec);
  EXPECT_EQ(o.failedItem, 4);
  EXPECT_EQ(o.status, kReadValueTooLong);
  EXPECT_EQ(rec.okf, 1.0);
  EXPECT_EQ(rec.ctilt, -4.25);
}

TEST(FreeFormatStatements, RepeatOfAnOverlongValueFailsEveryTime) {
  MemorySource src("1 2 2*" + std::string(5000, '1') + " 1 1\n");
  FreeFormatReader r;
  Record rec;
  Outcome o = read_record(r, src, rec);
  EXPECT_EQ(o.failedItem, 3);
  EXPECT_EQ(o.status, kReadValueTooLong);
  double d = 0.5;
  EXPECT_EQ(r.read_double(d), kReadValueTooLong);  // the second use of the same value
  EXPECT_EQ(d, 0.5);
}

TEST(FreeFormatStatements, LongJunkAfterTheRecordIsSkipped) {
  MemorySource src("1 12 0.5 0.1 2.0 3.5E+20 " + std::string(5000000, 'x') + "\n" + kNext);
  FreeFormatReader r;
  Record rec;
  expect_ok(read_record(r, src, rec));
  expect_record(rec, 1, 12, 0.5, 0.1, 2.0, 3.5e20);
  expect_next_statement_reads_marker(r, src);
}

TEST(FreeFormatStatements, StatementWithoutItemsSkipsOneLine) {
  MemorySource src(std::string("1 2 3 4 5 6\n") + kNext);
  FreeFormatReader r;
  EXPECT_EQ(r.begin_read(src), kReadOk);
  EXPECT_EQ(r.end_read(), kReadOk);
  expect_next_statement_reads_marker(r, src);
}

}  // namespace
}  // namespace korvane2::textio
