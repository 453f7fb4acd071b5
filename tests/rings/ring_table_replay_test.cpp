// The ring table read once and replayed, ring by ring, against the table re-read from
// its top for every ring: the same six values in force, the same body-count origin, unit
// 7 left open by the same rings, and the same failed read (status, item, line) for the
// warnings, over tables of every shape and many rings.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "driver/run_state.hpp"
#include "rings/literal_ring_table.hpp"
#include "rings/ring_table_records.hpp"

namespace korvane2::testing {
namespace {

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// Replays `table` for rings 1..NRing and compares every ring with the re-reading. Each
// ring starts with its own formula values of N3, okf and Rring, as a ring start sets
// them; Irtb, Ctilt and Mbr carry over from ring to ring.
void expect_replay_matches_rereading(const std::string& table, int NRing) {
  RingTableRecords records(std::make_unique<textio::MemorySource>(table));
  literal::RingTableRereading judge(table);
  RunState s;
  literal::TableVariables v;
  s.Ctilt = v.Ctilt = 0.3;
  s.Mbr = v.Mbr = 1.5e26;
  bool unitOpen = false;
  for (int Iring = 1; Iring <= NRing; ++Iring) {
    SCOPED_TRACE("ring " + std::to_string(Iring));
    s.N3 = v.N3 = 3 + Iring % 4;
    s.okf = v.okf = 0.5 + Iring;
    s.Rring = v.Rring = 1.0e11 * Iring;
    const TableReads reads = records.replay(unitOpen, Iring, s);
    const literal::TableReadsResult want = judge.read_ring(Iring, v);

    EXPECT_EQ(s.Irtb, v.Irtb);
    EXPECT_EQ(s.N3, v.N3);
    EXPECT_EQ(bits(s.okf), bits(v.okf)) << s.okf << " vs " << v.okf;
    EXPECT_EQ(bits(s.Ctilt), bits(v.Ctilt)) << s.Ctilt << " vs " << v.Ctilt;
    EXPECT_EQ(bits(s.Rring), bits(v.Rring)) << s.Rring << " vs " << v.Rring;
    EXPECT_EQ(bits(s.Mbr), bits(v.Mbr)) << s.Mbr << " vs " << v.Mbr;
    EXPECT_EQ(s.ringN3FromTable, v.N3FromTable);
    EXPECT_EQ(reads.fromTop, want.fromTop);
    EXPECT_EQ(reads.completeRecords, want.completeRecords);
    ASSERT_EQ(reads.failed != nullptr, want.unitOpen);
    if (reads.failed) {
      EXPECT_EQ(reads.failed->status, want.status);
      EXPECT_EQ(reads.failed->item, want.item);
      EXPECT_EQ(reads.failed->line, want.line);
    }
    unitOpen = want.unitOpen;
  }
}

struct ShapeCase {
  const char* name;
  std::string table;
};
void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }

const std::string kRec1 = "1 5 -0.4 0.2 1.6e11 1.0e26\r\n";
const std::string kRec2 = "2 7 -0.6 0.25 2.1e11 2.0e26\r\n";
const std::string kRec3 = "3 9 -0.8 0.35 2.9e11 3.0e26\r\n";

class RingTableReplay : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(RingTableReplay, MatchesTheRereadingForEveryRing) {
  for (int NRing : {1, 2, 3, 4, 5, 9, 16}) {
    SCOPED_TRACE("NRing " + std::to_string(NRing));
    expect_replay_matches_rereading(GetParam().table, NRing);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, RingTableReplay,
    ::testing::Values(
        ShapeCase{"Empty", ""}, ShapeCase{"BlankLinesOnly", "\r\n  \r\n\t\r\n"},
        ShapeCase{"OneRecord", kRec1}, ShapeCase{"ThreeRecords", kRec1 + kRec2 + kRec3},
        ShapeCase{"NoLfAfterTheLastRecord", kRec1 + "2 7 -0.6 0.25 2.1e11 2.0e26"},
        ShapeCase{"BlankLinesAfterTheLastRecord", kRec1 + kRec2 + "\r\n\r\n   \r\n"},
        ShapeCase{"BodyCountEqualToTheFormula", "1 5 0.1 0.2 1e11 1e26\r\n2 6 0.1 0.2 1e11 1e26\r\n3 6 0.1 0.2 1e11 1e26\r\n"},
        ShapeCase{"BadFieldInTheMiddle", kRec1 + "2 7 0.9 x 2e11 2e26\r\n" + kRec3 + kRec1 + kRec2},
        ShapeCase{"BadFirstFieldOfEveryOtherLine", kRec1 + "1.5 7 0 0 0 0\r\n" + kRec2 + "q\r\n" + kRec3 + kRec1},
        ShapeCase{"RecordOverTwoLines", "1 5\r\n-0.4 0.2 1.6e11 1.0e26\r\n" + kRec2 + "3 9 -0.8\r\n\r\n 0.35 2.9e11\r\n3e26\r\n"},
        ShapeCase{"MoreThanSixValues", "1 5 -0.4 0.2 1.6e11 1.0e26 8 -0.9 0.7 1 1\r\n" + kRec2},
        ShapeCase{"NullValues", "1,,0.5,,2e11,\r\n,8,,0.1,,7e25\r\n,,,,,\r\n" + kRec3},
        ShapeCase{"CommaAfterBlank", "1 , 6 ,0.5, 0.1 ,2e11 , 3e26\r\n, 9 , , , , \r\n"},
        ShapeCase{"Slashes", "1 12 0.5 / 7 7\r\n/\r\n2 8 /\r\n" + kRec3 + "4 10 0.7 0.1 1e11 /\r\n"},
        ShapeCase{"RepeatCounts", "2*3 4*1.5\r\n1 2*6 0.1 2*2e11\r\n2* 0.3 0.1 1e11 1e26\r\n6*\r\n"},
        ShapeCase{"BadRepeatCounts", kRec1 + "0*5 1 1 1 1 1\r\n2*3*4 1 1 1 1\r\n" + kRec2 + kRec3},
        ShapeCase{"EndInsideARecord", kRec1 + kRec2 + "3 9 0.1"},
        ShapeCase{"EndInsideTheFirstRecord", "1 9 0.1\r\n"},
        ShapeCase{"QuotedAndParenthesised", kRec1 + "'a' 1 1 1 1 1\r\n(1,2) 1 1 1 1 1\r\n" + kRec2},
        ShapeCase{"Overflows", kRec1 + "2 99999999999 1 1 1 1\r\n3 7 1e400 1 1 1\r\n" + kRec2 + kRec3},
        ShapeCase{"CrInsideALine", "1 5 -0.4\r 0.2 1.6e11 1.0e26\r\n7 8 9\r\n" + kRec2},
        ShapeCase{"SummaryOfARun", " 1 12 0.95000000000000000 0.3 149597870691.00000 1.6658333333333335E+26\r\n"
                                   " 2 18 0.93 0.3 224396806036.50000 1.6658333333333335E+26\r\n"}),
    [](const ::testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.name); });

// Tables put together from the pieces of every rule, from a fixed seed: many shapes
// that no one would write by hand.
TEST(RingTableReplay, MatchesTheRereadingOnTablesOfRandomPieces) {
  const char* const pieces[] = {"1",  "7",  "-3", "0",    "0.5", "2.5E3", "1.5-3", "x",     "/",  ",",  " ,",
                                "2*", "3*0.5", "0*1", "'q'", "(1", " ",   "  ",    "\t",    "\r\n", "\n", "\r",
                                "16#1F", "+", ".", "1e999", "2147483648"};
  std::mt19937 random(20261211u);
  std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
  std::uniform_int_distribution<int> length(0, 60);
  for (int t = 0; t < 300; ++t) {
    std::string table;
    for (int n = length(random); n > 0; --n) {
      table += pieces[piece(random)];
      if (random() % 2) table += ' ';
    }
    SCOPED_TRACE("table \"" + table + "\"");
    expect_replay_matches_rereading(table, 12);
    if (::testing::Test::HasFailure()) break;
  }
}

}  // namespace
}  // namespace korvane2::testing
