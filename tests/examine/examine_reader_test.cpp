// Reading initial-data files back: the header, the body records counted from the file
// itself rather than from the header, the trailer found by its item types, and the line,
// record and item at which an unreadable file stops.
#include "examine/initial_data_reader.hpp"

#include <gtest/gtest.h>

#include <string>

#include "examine/ring_membership.hpp"
#include "textio/read_status.hpp"

namespace korvane2::examine {
namespace {

// Free format needs no columns: each record is written on one line here.
const std::string kHeader =
    "0 0.5 0 0 0 0 0 0 0 0.25 0 0 0 0 0 0 7.5 1 1 2 1.0 0.5 0.25 1\n";
const std::string kBody1 = "0.5 0.5 0 0 0 0.5 0 0 0 0 0 0 0 0.01 0\n";
const std::string kBody2 = "0.5 -0.5 0 0 0 -0.5 0 0 0 0 0 0 0 0.01 0\n";
const std::string kTrailer = "3 2 2.0E30 1.5E11 2.5E-4 0 0 0 0 0 0 0 0 0 0\n";

TEST(InspectReader, ReadsHeaderBodiesAndTrailer) {
  InitialData d;
  ASSERT_FALSE(read_initial_data(kHeader + kBody1 + kBody2 + kTrailer, d).has_value());
  EXPECT_EQ(d.header_NB(), 2);
  EXPECT_EQ(d.header_item(17), 7.5);
  EXPECT_EQ(d.header_item(22), 0.5);
  ASSERT_EQ(d.bodies.size(), 2u);
  EXPECT_EQ(d.bodies[1].mass(), 0.5);
  EXPECT_EQ(d.bodies[1].x(0), -0.5);
  EXPECT_EQ(d.bodies[1].v(1), -0.5);
  EXPECT_EQ(d.bodies[1].radius(), 0.01);
  EXPECT_EQ(d.bodies[1].line, 3);
  EXPECT_EQ(d.trailer_item(1), 3.0);
  EXPECT_EQ(d.Mtot(), 2.0e30);
  EXPECT_EQ(d.Runit(), 1.5e11);
  EXPECT_EQ(d.Vfac(), 2.5e-4);
  EXPECT_EQ(d.trailerLine, 4);
  EXPECT_EQ(d.recordsAfterTrailer, 0);
}

TEST(InspectReader, RecordsSpanLinesAndTrailingBlankLinesEndTheFile) {
  // The writer's layout: at most three doubles a line.
  std::string body = "0.5 0.5 0\n0 0 0.5\n0 0 0\n0 0 0\n0 0.01 0\n";
  InitialData d;
  ASSERT_FALSE(read_initial_data(kHeader + body + kBody2 + kTrailer + "\n   \n", d).has_value());
  ASSERT_EQ(d.bodies.size(), 2u);
  EXPECT_EQ(d.bodies[0].v(1), 0.5);
  EXPECT_EQ(d.bodies[1].line, 7);
}

TEST(InspectReader, CountsTheBodyRecordsTheFileHolds) {
  InitialData d;
  ASSERT_FALSE(read_initial_data(kHeader + kBody1 + kTrailer, d).has_value());
  EXPECT_EQ(d.header_NB(), 2);
  EXPECT_EQ(d.bodies.size(), 1u);
  EXPECT_EQ(d.trailer_NB(), 2);
}

TEST(InspectReader, FindsTheTrailerAfterHeaderNBBodiesWhenRecordsFollowIt) {
  InitialData d;
  ASSERT_FALSE(read_initial_data(kHeader + kBody1 + kBody2 + kTrailer + kBody2, d).has_value());
  EXPECT_EQ(d.bodies.size(), 2u);
  EXPECT_EQ(d.recordsAfterTrailer, 1);
  EXPECT_EQ(d.Runit(), 1.5e11);
}

struct FailureCase {
  const char* name;
  std::string bytes;
  long line;
  const char* record;
  int item;
  int status;
};

class InspectReaderFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(InspectReaderFailure, NamesLineRecordAndItem) {
  const FailureCase& c = GetParam();
  InitialData d;
  const auto f = read_initial_data(c.bytes, d);
  ASSERT_TRUE(f.has_value());
  EXPECT_EQ(f->line, c.line) << f->text();
  EXPECT_EQ(f->record, c.record) << f->text();
  EXPECT_EQ(f->item, c.item) << f->text();
  EXPECT_EQ(f->status, c.status) << f->text();
}

INSTANTIATE_TEST_SUITE_P(
    Inspect, InspectReaderFailure,
    ::testing::Values(
        FailureCase{"EmptyFile", "", 1, "header", 1, textio::kReadEndOfFile},
        FailureCase{"HeaderCutShort", "0 0.5 0\n", 2, "header", 4, textio::kReadEndOfFile},
        FailureCase{"RealWhereTheHeaderHasAnInteger",
                    "0 0.5 0 0 0 0 0 0 0 0.25 0 0 0 0 0 0 7.5 1.0 1 2 1.0 0.5 0.25 1\n", 1, "header", 18,
                    textio::kReadInvalidInteger},
        FailureCase{"LetterInABodyValue", kHeader + kBody1 + "0.5 -0.5 0 0 0 -0.5X 0 0 0 0 0 0 0 0.01 0\n" + kTrailer,
                    3, "body record 2", 6, textio::kReadInvalidReal},
        FailureCase{"FileEndsInsideABodyRecord", kHeader + kBody1 + "0.5 -0.5 0\n", 4, "body record 2", 4,
                    textio::kReadEndOfFile},
        FailureCase{"NothingAfterTheHeader", kHeader, 2, "trailer", 1, textio::kReadEndOfFile},
        FailureCase{"LastRecordIsNoTrailer", kHeader + kBody1 + kBody2 + kBody2, 4, "trailer (the last record)", 1,
                    textio::kReadInvalidInteger}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InspectReaderRings, ReadsRingRecordsAndNumbersTheBodiesByRing) {
  std::vector<RingRecord> rings;
  ASSERT_FALSE(read_ring_summary("1 2 0.95 0.3\n 1.5E11 1.0E26\n2 3 0.9 0.3 2.0E11 2.0E26\n", rings).has_value());
  ASSERT_EQ(rings.size(), 2u);
  EXPECT_EQ(rings[1].N3, 3);
  EXPECT_EQ(rings[1].Mbr, 2.0e26);
  EXPECT_EQ(rings[0].Rring, 1.5e11);
  const RingMembership m = assign_rings(rings, 7);
  EXPECT_EQ(m.ringBodies, 6);
  EXPECT_EQ(m.ringOfBody, (std::vector<int>{kCentralBody, 1, 1, 2, 2, 2, kNoRing}));
}

TEST(InspectReaderRings, AnUnreadableRingRecordNamesItsLineAndItem) {
  std::vector<RingRecord> rings;
  const auto f = read_ring_summary("1 2 0.95 0.3 1.5E11 1.0E26\n2 3.0 0.9 0.3 2.0E11 2.0E26\n", rings);
  ASSERT_TRUE(f.has_value());
  EXPECT_EQ(f->line, 2);
  EXPECT_EQ(f->record, "ring record 2");
  EXPECT_EQ(f->item, 2);
}

}  // namespace
}  // namespace korvane2::examine
