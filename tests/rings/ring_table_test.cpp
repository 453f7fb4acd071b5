// The ring table through the built program: which record each ring takes, records over
// several lines or with surplus values, unreadable fields (one warning, same results as
// the table cut before the field), body counts below 1, and the ring summary file of one
// run used as the ring table of the next.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/initial_data.hpp"
#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

constexpr double kG = 6.67259e-11;
constexpr double kAU = 149597870691.0;
constexpr double kDay = 86400.0;
constexpr double kYsid = 365.25636042;
constexpr double kPi = 3.141592653589793;
constexpr double kStep2Factor = 1.0499999523162842;  // single-precision 1.05
constexpr double kOkf0 = 0.95;

// The parameter file of these tests: rings of 4, 6, 8, 10 bodies at 1, 1.5, 2, 2.5 AU
// from the formulas; EPS 0.05, so that every ring's iteration closes at step 2, where
// the relative change is (1.0499999523162842 - 1) / 1.0499999523162842 = 0.0476, and the
// report shows the start it was given as okf1; everything else as the default file
// (Mstr 2e30 kg, Fcen 0.999, Ecc 0.1, okf0 0.95, Ctilt 0.3).
ParameterFile parameters(int NRing) {
  ParameterFile p;
  p.set(1, std::to_string(NRing)).set(2, "4").set(11, "0.05");
  return p;
}
const double kMcen = 0.999 * 2.0e30;
const double kMbrFormula = (2.0e30 - 0.999 * 2.0e30) / 4;

// What one ring of a report section says.
struct RingSection {
  int N3 = 0;
  double Tyear = 0.0;
  int I1m = 0;
  double okf = 0.0, okf1 = 0.0;
};

std::vector<RingSection> ring_sections(const std::string& report) {
  std::vector<RingSection> rings;
  std::vector<std::string> lines = split_lines(report);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string& l = lines[n];
    if (l.rfind(" ******  Parameters of ", 0) == 0 && l.find("all structure") == std::string::npos) {
      rings.emplace_back();
    } else if (l.rfind(" Period in sideral years = ", 0) == 0 && !rings.empty() && l.size() == 72) {
      rings.back().Tyear = number_in(l.substr(27, 24));
      rings.back().N3 = std::stoi(l.substr(61, 11));
    } else if (l.rfind(" Last step of itrrtn I1m", 0) == 0 && !rings.empty() && n + 1 < lines.size()) {
      rings.back().I1m = std::stoi(l.substr(24, 11));
      rings.back().okf = number_in(lines[n + 1].substr(0, 24));
      rings.back().okf1 = number_in(lines[n + 1].substr(24));
    }
  }
  return rings;
}

// Period in sidereal years of a conic of semi-major axis a (m) about a mass M (kg).
double period_years(double a, double M) { return 2.0 * kPi * std::sqrt(a * a * a / (kG * M)) / (kDay * kYsid); }

// Pull of the other bodies of a regular N-gon on one corner, in units of one body at the
// centre: sum over m = 1 .. N-1 of 1 / (4 sin(m pi / N)).
double force_sum(int N) {
  double s = 0.0;
  for (int m = 1; m < N; ++m) s += 0.25 / std::sin(m * kPi / N);
  return s;
}

bool near(double a, double b, double rel) { return std::fabs(a - b) <= rel * std::fabs(b); }

// The values a ring must have been built with.
struct RingValues {
  int N3;
  double start;  // starting coefficient: from the table, or okf0
  double Ctilt;
  double Rring;  // m
  double Mbr;    // kg
};

const RingValues kRec1{5, 0.4, 0.2, 1.6e11, 1.0e26};
const RingValues kRec2{7, 0.6, 0.25, 2.1e11, 2.0e26};
const RingValues kRec3{9, 0.8, 0.35, 2.9e11, 3.0e26};
const std::string kLine1 = "1 5 0.4 0.2 1.6e11 1.0e26\r\n";
const std::string kLine2 = "2 7 0.6 0.25 2.1e11 2.0e26\r\n";
const std::string kLine3 = "3 9 0.8 0.35 2.9e11 3.0e26\r\n";

RingValues formula_ring(int Iring, double Ctilt, double Mbr) {
  const double factor = 1.0 + 0.5 * (Iring - 1);
  return {static_cast<int>(factor * 4), kOkf0, Ctilt, factor * 1.0 * kAU, Mbr};
}

struct TableCase {
  const char* name;
  std::string table;  // empty: no ring table at all
  std::vector<RingValues> rings;
  // 4 where two rings take one record and so lie on each other: the run warns and says so.
  int status = 0;
};

// Standard error holds warning lines only, and some exactly when `warned`.
void expect_only_warnings(const std::string& err, bool warned) {
  EXPECT_EQ(err.empty(), !warned) << err;
  for (const std::string& line : split_lines(err))
    EXPECT_EQ(line.rfind("korvane2: warning: ", 0), 0u) << line;
}
void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

class RingTableRecords : public ::testing::TestWithParam<TableCase> {};

// Every ring's summary record, body count, iteration start and period agree with the
// values it should have taken: the iteration closes at step 2 with okf1 = the start and
// okf = 1.0499999523162842 times it, which shows the start that was used.
TEST_P(RingTableRecords, EveryRingTakesItsValues) {
  const TableCase& c = GetParam();
  TempDir dir;
  dir.write("Korvane2.dat", parameters(static_cast<int>(c.rings.size())).text());
  if (!c.table.empty()) dir.write("rngtbinp.dat", c.table);
  ProgramResult r = run_korvane2(dir);
  ASSERT_EQ(r.status, c.status) << r.err;
  expect_only_warnings(r.err, c.status != 0);
  EXPECT_EQ(r.out, "");

  bool complete = false;
  std::vector<SummaryRecord> summary = read_ring_summary(dir.read("rngtbout.dat"), &complete);
  std::vector<RingSection> report = ring_sections(dir.read("Korvane2Err"));
  EXPECT_TRUE(complete);
  ASSERT_EQ(summary.size(), c.rings.size());
  ASSERT_EQ(report.size(), c.rings.size());

  double Mint = kMcen;
  for (std::size_t i = 0; i < c.rings.size(); ++i) {
    SCOPED_TRACE("ring " + std::to_string(i + 1));
    const RingValues& want = c.rings[i];
    const SummaryRecord& s = summary[i];
    EXPECT_EQ(s.Iring, static_cast<int>(i + 1));
    EXPECT_EQ(s.N3, want.N3);
    EXPECT_EQ(report[i].N3, want.N3);
    EXPECT_TRUE(near(s.Ctilt, want.Ctilt, 1e-15)) << s.Ctilt;
    EXPECT_TRUE(near(s.Rring, want.Rring, 1e-15)) << s.Rring;
    EXPECT_TRUE(near(s.Mbr, want.Mbr, 1e-15)) << s.Mbr;
    EXPECT_EQ(report[i].I1m, 2);
    EXPECT_EQ(report[i].okf1, want.start);
    EXPECT_TRUE(near(report[i].okf, want.start * kStep2Factor, 1e-15)) << report[i].okf;
    EXPECT_EQ(s.okf, report[i].okf);
    // The conic uses the ring's semi-major axis, body count and body mass.
    const double M = Mint + force_sum(want.N3) * want.Mbr;
    EXPECT_TRUE(near(report[i].Tyear, period_years(want.Rring, M), 1e-12)) << report[i].Tyear;
    Mint = Mint + want.N3 * want.Mbr;
  }
}

INSTANTIATE_TEST_SUITE_P(
    RingTable, RingTableRecords,
    ::testing::Values(
        TableCase{"NoTable", "", {formula_ring(1, 0.3, kMbrFormula), formula_ring(2, 0.3, kMbrFormula),
                                  formula_ring(3, 0.3, kMbrFormula)}},
        TableCase{"ExactlyNRingRecords", kLine1 + kLine2 + kLine3, {kRec1, kRec2, kRec3}},
        TableCase{"TwoRecordsForFourRings", kLine1 + kLine2, {kRec1, kRec2, kRec2, formula_ring(4, 0.25, 2.0e26)}, 4},
        TableCase{"OneRecordForThreeRings", kLine1, {kRec1, kRec1, formula_ring(3, 0.2, 1.0e26)}, 4},
        TableCase{"RecordOverTwoLines", "1 5\r\n0.4 0.2 1.6e11 1.0e26\r\n" + kLine2, {kRec1, kRec2}},
        TableCase{"RecordOverLinesWithABlankOne", "1 5\r\n0.4 0.2 1.6e11\r\n\r\n 1.0e26\r\n" + kLine2, {kRec1, kRec2}},
        TableCase{"LineWithMoreThanSixValues", "1 5 0.4 0.2 1.6e11 1.0e26 8 0.9 0.7 1 1\r\n" + kLine2,
                  {kRec1, kRec2}},
        TableCase{"CommasAndLfOnlyLines", "1,5,0.4,0.2,1.6e11,1.0e26\n2, 7 ,0.6 0.25,2.1e11,2.0e26", {kRec1, kRec2}},
        TableCase{"RingNumberFieldHasNoEffect",
                  "99 5 0.4 0.2 1.6e11 1.0e26\r\n99 7 0.6 0.25 2.1e11 2.0e26\r\n99 9 0.8 0.35 2.9e11 3.0e26\r\n",
                  {kRec1, kRec2, kRec3}}),
    [](const ::testing::TestParamInfo<TableCase>& info) { return std::string(info.param.name); });

TEST(RingTable, AnEmptyTableFileIsLikeNoTable) {
  std::string results[2][3];
  for (int withFile = 0; withFile < 2; ++withFile) {
    TempDir dir;
    dir.write("Korvane2.dat", parameters(2).text());
    if (withFile) dir.write("rngtbinp.dat", "");
    ProgramResult r = run_korvane2(dir);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    results[withFile][0] = dir.read("Korvane2Err");
    results[withFile][1] = dir.read("rngtbout.dat");
    results[withFile][2] = dir.read("ring.ini");
  }
  for (int f = 0; f < 3; ++f) EXPECT_EQ(results[1][f], results[0][f]) << f;
}

// A table that ends after record k while NRing > k: ring k + 1 repeats record k, later
// rings take the formulas with the tilt and body mass in force. One warning for ring
// k + 1 (none for the later rings, an empty or missing table, or NRing = k), and the
// files of the run with the table written out to NRing records, which is silent: record
// k again, then the formula values (rings of 4 (1 + (Iring - 1) / 2) bodies at
// 1 + (Iring - 1) / 2 AU, okf0 0.95) with the tilt and body mass in force.
struct ShortTableCase {
  const char* name;
  std::optional<std::string> table;       // nullopt: no ring table at all
  std::optional<std::string> writtenOut;  // the same rings, record by record
  int NRing;
  std::vector<std::string> warned;  // what the one warning line names, or empty: none
};
void PrintTo(const ShortTableCase& c, std::ostream* os) { *os << c.name; }

class RingTableShort : public ::testing::TestWithParam<ShortTableCase> {};

TEST_P(RingTableShort, WarnsOnceForTheRingThatRepeatsTheLastRecord) {
  const ShortTableCase& c = GetParam();
  TempDir run, written;
  for (const TempDir* d : {&run, &written}) d->write("Korvane2.dat", parameters(c.NRing).text());
  if (c.table) run.write("rngtbinp.dat", *c.table);
  if (c.writtenOut) written.write("rngtbinp.dat", *c.writtenOut);
  ProgramResult r = run_korvane2(run);
  ProgramResult w = run_korvane2(written);
  // The written-out table builds the same structure: the same status and the same
  // warnings about the structure (a repeated ring lies on the one before it). The short
  // table adds its own line, first.
  EXPECT_EQ(r.status, w.status) << r.err;
  EXPECT_EQ(w.err.find("rngtbinp.dat"), std::string::npos) << w.err;
  EXPECT_EQ(r.out, "");
  if (c.warned.empty()) {
    EXPECT_EQ(r.err, w.err);
  } else {
    const std::size_t end = r.err.find('\n');
    ASSERT_NE(end, std::string::npos) << r.err;
    const std::string line = r.err.substr(0, end + 1);
    EXPECT_EQ(line.rfind("korvane2: warning: rngtbinp.dat ends ", 0), 0u) << r.err;
    for (const std::string& word : c.warned) EXPECT_NE(line.find(word), std::string::npos) << word << "\n" << line;
    EXPECT_EQ(r.err.substr(end + 1), w.err);
  }
  for (const char* f : {"Korvane2Err", "rngtbout.dat", "ring.ini"}) EXPECT_EQ(run.read(f), written.read(f)) << f;
}

INSTANTIATE_TEST_SUITE_P(
    RingTable, RingTableShort,
    ::testing::Values(
        ShortTableCase{"AsManyRecordsAsRings", kLine1 + kLine2, kLine1 + kLine2, 2, {}},
        ShortTableCase{"OneRingMore", kLine1 + kLine2, kLine1 + kLine2 + kLine2, 3,
                       {"record 2 (line 2)", "NRing = 3", "ring 3 repeats record 2", "add a record for ring 3", "lower NRing to 2"}},
        ShortTableCase{"ThreeRingsMore", kLine1 + kLine2,
                       kLine1 + kLine2 + kLine2 + "4 10 0.95 0.25 373994676727.5 2.0e26\r\n" +
                           "5 12 0.95 0.25 448793612073.0 2.0e26\r\n",
                       5,
                       {"record 2 (line 2)", "ring 3 repeats record 2", "rings 4 to 5 take N3, okf and the semi-major axis",
                        "add records for rings 3 to 5", "lower NRing to 2"}},
        ShortTableCase{"BlankLinesAfterTheLastRecord", kLine1 + "\r\n  \r\n",
                       kLine1 + kLine1 + "3 8 0.95 0.2 299195741382.0 1.0e26\r\n", 3,
                       {"record 1 (line 1)", "ring 2 repeats record 1", "ring 3 takes"}},
        ShortTableCase{"EmptyTable", "", std::nullopt, 3, {}},
        ShortTableCase{"NoTable", std::nullopt, "", 3, {}},
        // The end inside a record: ring 2 takes the three values of record 2 over record
        // 1, rings 3 and 4 meet the end at once.
        ShortTableCase{"EndInsideARecord", kLine1 + "2 7 -0.6\r\n",
                       kLine1 + "2 7 -0.6 0.2 1.6e11 1.0e26\r\n3 8 0.95 0.2 299195741382.0 1.0e26\r\n" +
                           "4 10 0.95 0.2 373994676727.5 1.0e26\r\n",
                       4,
                       {"ends inside a record while ring 2 reads its records", "with the items of the cut record",
                        "rings 3 to 4 take N3, okf and the semi-major axis", "add records for rings 2 to 4"}}),
    [](const ::testing::TestParamInfo<ShortTableCase>& info) { return std::string(info.param.name); });

// A bad record is warned about as unreadable; the reads after it go on from where it
// stopped, not from the top: ring 3 takes record 3 and then meets the end, which is
// warned about too, and rings 4 and 5 take the formulas.
TEST(RingTable, ABadRecordAndTheEndAfterItAreWarnedAbout) {
  TempDir dir;
  dir.write("Korvane2.dat", parameters(5).text());
  dir.write("rngtbinp.dat", kLine1 + "2 7 0.9 0.25 2e11 x\r\n" + kLine3);
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 0);
  const std::vector<std::string> lines = split_lines(r.err);
  ASSERT_EQ(lines.size(), 2u) << r.err;
  EXPECT_EQ(lines[0].rfind("korvane2: warning: rngtbinp.dat line 2: item 6 (Mbr) cannot be read", 0), 0u) << r.err;
  EXPECT_EQ(lines[1].rfind("korvane2: warning: rngtbinp.dat ends while ring 3 reads its records from where "
                           "an unreadable record left the table: ring 3 takes the values of the last complete record",
                           0),
            0u)
      << r.err;
  std::vector<SummaryRecord> summary = read_ring_summary(dir.read("rngtbout.dat"), nullptr);
  ASSERT_EQ(summary.size(), 5u);
  EXPECT_EQ(summary[2].N3, kRec3.N3);
  EXPECT_EQ(summary[2].Rring, kRec3.Rring);
}

// An unreadable field: one warning line, and otherwise exactly the run of the table cut
// just before that field (which is silent).
struct BadRecordCase {
  const char* name;
  std::string badTable;
  std::string cutTable;
  int NRing;
  int line;
  const char* item;
  int ring;
};
void PrintTo(const BadRecordCase& c, std::ostream* os) { *os << c.name; }

// The text holds `word` followed by the number n, and no further digit.
bool names_number(const std::string& text, const std::string& word, int n) {
  const std::string w = word + std::to_string(n);
  for (std::size_t at = text.find(w); at != std::string::npos; at = text.find(w, at + 1)) {
    const std::size_t end = at + w.size();
    if (end == text.size() || text[end] < '0' || text[end] > '9') return true;
  }
  return false;
}

class RingTableBadRecord : public ::testing::TestWithParam<BadRecordCase> {};

TEST_P(RingTableBadRecord, WarnsOnceAndRunsLikeTheCutTable) {
  const BadRecordCase& c = GetParam();
  TempDir bad, cut;
  for (const TempDir* d : {&bad, &cut}) d->write("Korvane2.dat", parameters(c.NRing).text());
  bad.write("rngtbinp.dat", c.badTable);
  cut.write("rngtbinp.dat", c.cutTable);
  ProgramResult rb = run_korvane2(bad);
  ProgramResult rc = run_korvane2(cut);

  EXPECT_EQ(rc.status, 0);
  // The cut table ends inside a record: at most the warning that it ends.
  EXPECT_LE(std::count(rc.err.begin(), rc.err.end(), '\n'), 1) << rc.err;
  if (!rc.err.empty()) {
    EXPECT_EQ(rc.err.rfind("korvane2: warning: rngtbinp.dat ends inside a record ", 0), 0u) << rc.err;
  }
  EXPECT_EQ(rb.status, rc.status);
  EXPECT_EQ(rb.out, "");
  ASSERT_EQ(std::count(rb.err.begin(), rb.err.end(), '\n'), 1) << rb.err;
  EXPECT_EQ(rb.err.back(), '\n');
  EXPECT_TRUE(names_number(rb.err, "line ", c.line)) << rb.err;
  EXPECT_TRUE(names_number(rb.err, "ring ", c.ring)) << rb.err;
  EXPECT_NE(rb.err.find(c.item), std::string::npos) << rb.err;
  for (const char* f : {"Korvane2Err", "rngtbout.dat", "ring.ini"}) EXPECT_EQ(bad.read(f), cut.read(f)) << f;
  EXPECT_EQ(bad.entries(), cut.entries());
}

INSTANTIATE_TEST_SUITE_P(
    RingTable, RingTableBadRecord,
    ::testing::Values(BadRecordCase{"LettersForTheCoefficient", "1 7 abc 0.3 1.5e11 1e27\r\n", "1 7\r\n", 2, 1, "okf", 1},
                      BadRecordCase{"RealForTheBodyCount", "1 7.5 0.9 0.3 1.5e11 1e27\r\n", "1\r\n", 2, 1, "N3", 1},
                      BadRecordCase{"LetterForTheMassInRecordTwo", kLine1 + "2 7 0.9 0.25 2e11 x\r\n",
                                    kLine1 + "2 7 0.9 0.25 2e11\r\n", 4, 2, "Mbr", 2}),
    [](const ::testing::TestParamInfo<BadRecordCase>& info) { return std::string(info.param.name); });

// A body count below 1 refuses the ring: one line on standard error (besides a warning
// about a table that ends before NRing), status 2, and the report and summary files
// hold exactly what a run that stops before that ring writes for the rings before it.
struct RefusalCase {
  const char* name;
  int N30;
  const char* FN3;
  std::string table;
  int NRing;
  int refusedRing;
  int earlierRingsStatus = 0;  // of a run of the rings before the refused one
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class RingTableRefusedBodyCount : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RingTableRefusedBodyCount, KeepsTheEarlierRingsRecords) {
  const RefusalCase& c = GetParam();
  auto params = [&](int NRing) {
    ParameterFile p = parameters(NRing);
    p.set(2, std::to_string(c.N30)).set(8, c.FN3);
    return p.text();
  };
  TempDir dir;
  dir.write("Korvane2.dat", params(c.NRing));
  dir.write("rngtbinp.dat", c.table);
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  std::vector<std::string> refusals;
  for (const std::string& line : split_lines(r.err))
    if (line.rfind("korvane2: warning: ", 0) != 0) refusals.push_back(line);
  EXPECT_EQ(refusals.size(), 1u) << r.err;
  EXPECT_FALSE(dir.exists("ring.ini"));

  std::string wantReport, wantSummary;
  if (c.refusedRing > 1) {
    TempDir ref;
    ref.write("Korvane2.dat", params(c.refusedRing - 1));
    ref.write("rngtbinp.dat", c.table);
    ProgramResult rr = run_korvane2(ref);
    ASSERT_EQ(rr.status, c.earlierRingsStatus) << rr.err;
    wantReport = ref.read("Korvane2Err");
    std::size_t closing = wantReport.find(" ******  Parameters of all structure");
    ASSERT_NE(closing, std::string::npos);
    wantReport.resize(closing);
    wantSummary = ref.read("rngtbout.dat");
  }
  EXPECT_EQ(dir.read("Korvane2Err"), wantReport);
  EXPECT_EQ(dir.read("rngtbout.dat"), wantSummary);
  EXPECT_EQ(ring_sections(dir.read("Korvane2Err")).size(), static_cast<std::size_t>(c.refusedRing - 1));
}

INSTANTIATE_TEST_SUITE_P(
    RingTable, RingTableRefusedBodyCount,
    ::testing::Values(RefusalCase{"ZeroFromTheTableInRingTwo", 4, "1.0", kLine1 + "2 0 0.9 0.3 2e11 2e26\r\n", 3, 2},
                      RefusalCase{"NegativeFromTheTableInRingTwo", 4, "1.0", kLine1 + "2 -3 0.9 0.3 2e11 2e26\r\n", 2, 2},
                      RefusalCase{"ZeroFromTheTableInRingOne", 4, "1.0", "1 0 0.9 0.3 2e11 2e26\r\n", 2, 1},
                      // Rings 1 and 2 take record 1, so they share their first body; ring
                      // 3 gets trunc(2 * 1 * 0.4) = 0.
                      RefusalCase{"ZeroFromTheFormulaAfterTheTable", 1, "0.4", kLine1, 3, 3, 4}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

// The summary file of one run, used as the ring table of the next: every ring starts at
// the coefficient the first run ended with and ends there again within EPS; a parameter
// file whose okf0 = 0 would stop the iteration shows that okf0 is not used.
TEST(RingTable, SummaryOfOneRunServesAsTheTableOfTheNext) {
  const double EPS = 1e-10;
  TempDir first;
  first.write("Korvane2.dat", parameters(3).set(11, "1.0D-10").text());
  ProgramResult r1 = run_korvane2(first);
  ASSERT_EQ(r1.status, 0) << r1.err;
  const std::string summary = first.read("rngtbout.dat");
  bool complete = false;
  std::vector<SummaryRecord> s1 = read_ring_summary(summary, &complete);
  ASSERT_TRUE(complete);
  ASSERT_EQ(s1.size(), 3u);

  for (const char* okf0 : {"0.95", "0.0"}) {
    SCOPED_TRACE(std::string("okf0 = ") + okf0);
    TempDir next;
    ParameterFile p = parameters(3);
    p.set(9, okf0).set(11, "1.0D-10");
    next.write("Korvane2.dat", p.text());
    next.write("rngtbinp.dat", summary);
    ProgramResult r2 = run_korvane2(next);
    ASSERT_EQ(r2.status, 0) << r2.out << r2.err;
    EXPECT_EQ(r2.err, "");
    std::vector<SummaryRecord> s2 = read_ring_summary(next.read("rngtbout.dat"), &complete);
    EXPECT_TRUE(complete);
    ASSERT_EQ(s2.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(s2[i].Iring, s1[i].Iring);
      EXPECT_EQ(s2[i].N3, s1[i].N3);
      EXPECT_TRUE(near(s2[i].Ctilt, s1[i].Ctilt, 1e-15));
      EXPECT_TRUE(near(s2[i].Rring, s1[i].Rring, 1e-15));
      EXPECT_TRUE(near(s2[i].Mbr, s1[i].Mbr, 1e-15));
      EXPECT_TRUE(near(s2[i].okf, s1[i].okf, EPS)) << s2[i].okf << " vs " << s1[i].okf;
    }
  }
}

}  // namespace
}  // namespace korvane2::testing
