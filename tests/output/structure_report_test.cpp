// The closing section of the report file through the built program: its eleven records
// line by line, their values against the ring sections and the initial-data file, and
// the parameter echo with the tilt coefficient last read from the ring table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "support/initial_data.hpp"
#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

std::string int11(int v) {
  char b[32];
  std::snprintf(b, sizeof b, "%11d", v);
  return b;
}

const std::string kClosing = " ******  Parameters of all structure   ******";
const std::string kTable = "1 5 0.95 0.2 1.5e11 1e26\r\n2 7 0.95 0.45 2.2e11 2e26\r\n";

ParameterFile two_rings() {
  ParameterFile p;
  p.set(1, "2").set(2, "5").set(14, "0.25").set(16, "-1.5").set(18, "42");
  return p;
}

struct Result {
  ProgramResult run;
  std::vector<std::string> report;
  InitialData data;
};

Result run_with(const ParameterFile& p, const std::string& table) {
  TempDir dir;
  dir.write("Korvane2.dat", p.text());
  if (!table.empty()) dir.write("rngtbinp.dat", table);
  Result r{run_korvane2(dir), split_lines(dir.read("Korvane2Err")), {}};
  r.data = read_initial_data(dir.read(dir.exists("ring.ini") ? "ring.ini" : "abcdefgh.ini"));
  return r;
}

// The lines of the closing section: from its header to the end of the file.
std::vector<std::string> closing_section(const std::vector<std::string>& report) {
  auto at = std::find(report.begin(), report.end(), kClosing);
  return {at, report.end()};
}

TEST(StructureReport, ElevenRecordsLineByLine) {
  Result r = run_with(two_rings(), kTable);
  ASSERT_EQ(r.run.status, 0) << r.run.err;
  ASSERT_TRUE(r.data.complete) << r.data.failure;
  const std::vector<std::string> L = closing_section(r.report);
  ASSERT_EQ(L.size(), 16u);

  // Record 2: the smallest of the rings' minimal distances, its pair and its ring (a
  // later ring wins a tie), in two lines.
  struct Minimum {
    std::string pair, text;
    double value;
    int ring;
  };
  std::vector<Minimum> minima;
  for (std::size_t n = 0; n + 1 < r.report.size(); ++n)
    if (r.report[n].rfind(" Minimal distance between bodies ", 0) == 0)
      minima.push_back({r.report[n].substr(33, 27), r.report[n + 1], number_in(r.report[n + 1]),
                        static_cast<int>(minima.size()) + 1});
  ASSERT_EQ(minima.size(), 2u);
  Minimum best = minima[0];
  for (const Minimum& m : minima)
    if (m.value <= best.value) best = m;
  EXPECT_EQ(L[1], " The minimal distance between bodies " + best.pair + " Rminn = ");
  EXPECT_EQ(L[1].size(), 73u);
  EXPECT_EQ(L[2], best.text + " is in " + int11(best.ring) + " ring.");
  EXPECT_EQ(L[2].size(), 48u);

  EXPECT_EQ(L[3], " Coordinates and velocities of the system baricentre");
  EXPECT_EQ(L[6], " Initial undimensional coordinates and velocities");
  EXPECT_EQ(L[7], "              of the 1-st body");
  EXPECT_EQ(L[10], " Initial data in file Korvane2.dat");

  for (int n : {4, 5, 8, 9}) ASSERT_EQ(L[n].size(), 75u) << L[n];
  auto item = [&](int line, int k) { return number_in(L[line].substr(25 * k, 25)); };
  const BodyRecord &centre = r.data.bodies[0], &first = r.data.bodies[1];
  for (int k = 0; k < 3; ++k) {
    // Record 4, the barycentre: the central body (at the origin before the move) is at
    // minus the barycentre. Record 5: the momentum left, as in the header.
    EXPECT_EQ(item(4, k), -centre.x(k)) << k;
    EXPECT_EQ(item(5, k), r.data.header.momentum(k)) << k;
    // Records 8 and 9: ring 1's first body before the move to the barycentre.
    EXPECT_NEAR(item(8, k), first.x(k) - centre.x(k), 1e-15 * first.x(0)) << k;
    EXPECT_NEAR(item(9, k), first.v(k) - centre.v(k), 1e-15 * first.v(1)) << k;
  }
  EXPECT_EQ(L[8].substr(25), "   0.000000000000000E+000   0.000000000000000E+000");
  EXPECT_EQ(L[9].substr(0, 25), "   0.000000000000000E+000");

  // Record 11: every parameter in file order over five lines; Ctilt is that of the last
  // ring-table record read, not of the parameter file; the name follows Phead directly.
  EXPECT_EQ(L[11], "           2           5   2.000000000000000E+030   9.990000000000000E-001");
  EXPECT_EQ(L[12], "        1.000000000000000   1.000000000000000E-001   5.000000000000000E-001");
  EXPECT_EQ(L[13], "        1.000000000000000   9.500000000000000E-001   4.500000000000000E-001");
  EXPECT_EQ(L[14], "   1.000000000000000E-010           0           0   2.500000000000000E-001");
  EXPECT_EQ(L[15], "     2000.000000000000000       -1.500000000000000ring.ini             42");
}

TEST(StructureReport, ANameOfTwelveCharactersAndANegativeTrailerValue) {
  ParameterFile p = two_rings();
  p.set(17, "abcdefgh.ini").set(18, "-7").set(12, "1").set(13, "1");
  Result r = run_with(p, "");
  ASSERT_EQ(r.run.status, 0) << r.run.err;
  const std::vector<std::string> L = closing_section(r.report);
  ASSERT_EQ(L.size(), 16u);
  EXPECT_EQ(L[13], "        1.000000000000000   9.500000000000000E-001   3.000000000000000E-001");
  EXPECT_EQ(L[14], "   1.000000000000000E-010           1           1   2.500000000000000E-001");
  EXPECT_EQ(L[15], "     2000.000000000000000       -1.500000000000000abcdefgh.ini         -7");
  EXPECT_TRUE(r.data.complete) << r.data.failure;
}

struct TiltCase {
  const char* name;
  std::string table;
  int NRing;
  const char* Ctilt;  // its text in record 11
  int status = 0;     // 4 when two rings take one record and lie on each other
};
void PrintTo(const TiltCase& c, std::ostream* os) { *os << c.name; }

class StructureReportTilt : public ::testing::TestWithParam<TiltCase> {};

TEST_P(StructureReportTilt, EchoesTheTiltLastInForce) {
  const TiltCase& c = GetParam();
  ParameterFile p = two_rings();
  p.set(1, std::to_string(c.NRing));
  Result r = run_with(p, c.table);
  ASSERT_EQ(r.run.status, c.status) << r.run.err;
  const std::vector<std::string> L = closing_section(r.report);
  ASSERT_EQ(L.size(), 16u);
  EXPECT_EQ(L[13].substr(50), c.Ctilt);
}

INSTANTIATE_TEST_SUITE_P(
    StructureReport, StructureReportTilt,
    ::testing::Values(TiltCase{"NoTable", "", 2, "   3.000000000000000E-001"},
                      TiltCase{"TwoRecords", kTable, 2, "   4.500000000000000E-001"},
                      TiltCase{"OneRecordForThreeRings", "1 5 0.95 0.2 1.5e11 1e26\r\n", 3, "   2.000000000000000E-001", 4},
                      TiltCase{"RecordFailingAfterTheTilt", "1 5 0.95 0.45 abc 1e26\r\n", 1,
                               "   4.500000000000000E-001"}),
    [](const ::testing::TestParamInfo<TiltCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvane2::testing
