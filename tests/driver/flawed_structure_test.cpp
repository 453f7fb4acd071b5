// Runs whose structure is not the one asked for: a ring not closed to EPS and bodies at
// the same place end a complete run with status 4, overlapping bodies only warn; every
// case writes exactly the files of a run whose standard error is ignored.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "support/initial_data.hpp"
#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

// The example's parameter file (three rings of 12, 18 and 30 bodies from 1 AU about a
// star of 2e30 kg, Ecc 0.1, okf0 0.95, Ctilt 0.3, EPS 1e-10, Incl 0.1, Rho 2000).
ParameterFile example() {
  ParameterFile p;
  p.set(1, "3").set(2, "12").set(3, "2.002002D30").set(4, "0.999").set(5, "1.0").set(6, "0.1").set(7, "0.5");
  p.set(8, "1.0").set(9, "0.95").set(10, "0.3").set(11, "1.0D-10").set(12, "0").set(13, "1").set(14, "0.1");
  return p;
}
const std::string kExampleTable =
    "1  12  0.95  0.3  1.49597870691E+11   1.668335E+26\n"
    "2  18  0.95  0.3  2.243968060365E+11  1.668335E+26\n"
    "3  30  0.95  0.2  2.99195741382E+11   1.0E+26\n";

// The kinds of warning, told apart by their wording.
const char* const kNotClosed = "is not closed";
const char* const kSamePlace = "at the same place";
const char* const kOverlap = "closer than the sum of their radii";
const char* const kShortTable = "rngtbinp.dat ends after record";

struct FlawCase {
  const char* name;
  ParameterFile params;
  std::string table;  // empty: no ring table
  int status;
  std::set<std::string> kinds;        // of the warnings, each once
  std::vector<std::string> mentions;  // texts the warnings hold
};
void PrintTo(const FlawCase& c, std::ostream* os) { *os << c.name; }

class FlawedStructure : public ::testing::TestWithParam<FlawCase> {};

TEST_P(FlawedStructure, WarnsAndEndsWithItsStatus) {
  const FlawCase& c = GetParam();
  TempDir dir, quiet;
  for (const TempDir* d : {&dir, &quiet}) {
    d->write("Korvane2.dat", c.params.text());
    if (!c.table.empty()) d->write("rngtbinp.dat", c.table);
  }
  const ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_EQ(r.out, "");

  std::multiset<std::string> kinds;
  for (const std::string& line : split_lines(r.err)) {
    EXPECT_EQ(line.rfind("korvane2: warning: ", 0), 0u) << line;
    int found = 0;
    for (const char* kind : {kNotClosed, kSamePlace, kOverlap, kShortTable})
      if (line.find(kind) != std::string::npos) kinds.insert(kind), ++found;
    EXPECT_EQ(found, 1) << line;
  }
  EXPECT_EQ(kinds, std::multiset<std::string>(c.kinds.begin(), c.kinds.end())) << r.err;
  for (const std::string& text : c.mentions) EXPECT_NE(r.err.find(text), std::string::npos) << text << "\n" << r.err;

  // The warnings change no byte of any file, and standard error going nowhere changes
  // neither the files nor the status.
  const ProgramResult q = run_program("/bin/sh", quiet, {.args = {"-c", "exec \"$0\" 2>/dev/null", KORVANE2_EXE}});
  EXPECT_EQ(q.status, c.status);
  EXPECT_EQ(quiet.entries(), dir.entries());
  for (const char* f : {"Korvane2Err", "rngtbout.dat", "ring.ini"}) {
    ASSERT_TRUE(dir.exists(f)) << f;
    EXPECT_EQ(quiet.read(f), dir.read(f)) << f;
  }
  const InitialData d = read_initial_data(dir.read("ring.ini"));
  EXPECT_TRUE(d.complete) << d.failure;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlawedStructure,
    ::testing::Values(
        FlawCase{"ConvergedRing", ParameterFile(), "", 0, {}, {}},
        // From 1.2 the secant steps to okf = -1.024 at step 5, whose change divided by the
        // negative okf2 passes the iteration's own test.
        FlawCase{"SecantStepsToANegativeCoefficient",
                 example().set(1, "1").set(2, "40").set(9, "1.2"),
                 "",
                 4,
                 {kNotClosed},
                 {"ring 1 (bodies 2 to 41 ", "step 5", "-1.024"}},
        // A secant that keeps moving: 20 steps, none within a negative EPS.
        FlawCase{"NegativeToleranceRunsAllSteps",
                 ParameterFile().set(2, "3").set(9, "0.5").set(10, "1.0").set(11, "-1.0"),
                 "",
                 4,
                 {kNotClosed},
                 {"ring 1 (bodies 2 to 4 ", "all 20 steps"}},
        // A negative start stops at step 2 with the change (1.05 - 1) / 1.05 = 0.0476
        // divided by a negative okf2: the ring is closed only when 0.0476 is within EPS.
        FlawCase{"NegativeStartBeyondTolerance",
                 ParameterFile().set(9, "-0.5").set(11, "0.01"),
                 "",
                 4,
                 {kNotClosed},
                 {"step 2", "0.0476"}},
        FlawCase{"NegativeStartWithinTolerance", ParameterFile().set(9, "-0.5").set(11, "0.05"), "", 0, {}, {}},
        // With Ctilt 0 and Ecc 0 the ring closes at okf = 1: body b lies at the angle
        // (b - 1) * 2 * 60 degrees, so ring bodies 1-4, 2-5 and 3-6 coincide.
        FlawCase{"FlatRingRetracesItself",
                 ParameterFile().set(2, "6").set(6, "0.0").set(10, "0.0"),
                 "",
                 4,
                 {kSamePlace, kOverlap},
                 {"3 pairs of bodies at the same place", "bodies 2 and 5 "}},
        // Three rings of one semi-major axis have one body count and lie on each other:
        // each of the 12 places holds three bodies, three pairs.
        FlawCase{"RingsOfOneSemiMajorAxis",
                 example().set(7, "0.0").set(13, "0"),
                 "",
                 4,
                 {kSamePlace, kOverlap},
                 {"36 pairs of bodies at the same place", "bodies 2 and 14 "}},
        // Five rings on a table of three: ring 4 repeats record 3 and lies on ring 3, its 30
        // bodies on ring 3's (bodies 32 to 61).
        FlawCase{"ShortTableRepeatsARing",
                 example().set(1, "5"),
                 kExampleTable,
                 4,
                 {kShortTable, kSamePlace, kOverlap},
                 {"30 pairs of bodies at the same place", "bodies 32 and 62 "}},
        // Turned by its ring angle about x, ring 4 leaves ring 3 but for the pericentre
        // body, which lies on the x axis and so stays where ring 3's is.
        FlawCase{"ShortTableRepeatsATurnedRing",
                 example().set(1, "5").set(12, "1"),
                 kExampleTable,
                 4,
                 {kShortTable, kSamePlace, kOverlap},
                 {"1 pair of bodies at the same place", "bodies 32 and 62 "}},
        // Bodies of 1e-20 kg/m3 are larger than the rings.
        FlawCase{"TinyDensity", example().set(15, "1.0D-20"), kExampleTable, 0, {kOverlap}, {}},
        // Fcen 1: the ring bodies are massless tracers, which may lie on each other.
        FlawCase{"CoincidingTracers", ParameterFile().set(2, "6").set(4, "1.0").set(6, "0.0").set(10, "0.0"), "",
                 0, {}, {}}),
    [](const ::testing::TestParamInfo<FlawCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvane2::testing
