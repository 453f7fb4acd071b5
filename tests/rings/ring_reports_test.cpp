// The report section of a ring and the ring summary file, through the built program:
// every record of a small ring checked against a ring built here from the textbook
// conic and the step rotation, the 20-step warning, the five records without the table,
// and the summary records one per ring.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
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
constexpr double kStep2Factor = 1.0499999523162842;

using Vec = std::array<double, 3>;

std::string int11(int v) {
  char b[32];
  std::snprintf(b, sizeof b, "%11d", v);
  return b;
}
std::string int12(int v) {  // an integer after another number: separator and field
  char b[32];
  std::snprintf(b, sizeof b, "%12d", v);
  return b;
}
std::string int4(int v) {
  char b[32];
  std::snprintf(b, sizeof b, "%4d", v);
  return b;
}

bool digits(const std::string& s, std::size_t from, std::size_t count) {
  if (from + count > s.size()) return false;
  for (std::size_t i = from; i < from + count; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

// A double in its 24-column free-format field: blanks, an optional "-", then the fixed
// form (1 to 8 digits, ".", 15 digits) or the exponent form (d.ddddddddddddddd E sdd d).
bool is_double_field(const std::string& f) {
  if (f.size() != 24) return false;
  std::size_t i = f.find_first_not_of(' ');
  if (i == std::string::npos) return false;
  if (f[i] == '-') ++i;
  const std::string t = f.substr(i);
  const std::size_t point = t.find('.');
  if (point == std::string::npos || point < 1 || !digits(t, 0, point) || !digits(t, point + 1, 15)) return false;
  if (t.size() == point + 16) return point <= 8;
  return point == 1 && t.size() == 22 && t[17] == 'E' && (t[18] == '+' || t[18] == '-') && digits(t, 19, 3);
}

// A D13.6 field of a table row: " ", " " or "-", ".", six digits, "D", sign, two digits.
bool is_d13(const std::string& f) {
  return f.size() == 13 && f[0] == ' ' && (f[1] == ' ' || f[1] == '-') && f[2] == '.' && digits(f, 3, 6) &&
         f[9] == 'D' && (f[10] == '+' || f[10] == '-') && digits(f, 11, 2);
}
const std::string kD13Zero = "  .000000D+00";

// The field shows `want` to six significant digits, or lies within `slack` of it (for
// components that are zero up to the rounding of a long chain of rotations).
::testing::AssertionResult d13_shows(const std::string& f, double want, double slack) {
  if (!is_d13(f)) return ::testing::AssertionFailure() << "not a D13.6 field: [" << f << "]";
  std::string t = f;
  t[t.find('D')] = 'E';
  const double got = number_in(t);
  const int X = std::stoi(f.substr(f.find('D') + 1));
  const double halfUnit = 0.5 * std::pow(10.0, X - 6) * (1 + 1e-9);
  if (std::fabs(got - want) <= halfUnit + slack) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "[" << f << "] is not " << want;
}

// ---- the ring built here: textbook conic, then the step rotation applied again and again

struct RingModel {
  double a, e, mu;  // semi-major axis (m), eccentricity, G times the mass the ring feels
  int N3;
  double okf, Ctilt;
  double Rper() const { return a * (1 - e); }
  // vis-viva at pericentre: v^2 = mu (1 + e) / r_p
  double Vper() const { return std::sqrt(mu * (1 + e) / (a * (1 - e))); }
  double Delta() const { return 2 * kPi / N3; }

  // Tilt by Ctilt*Delta about x, then turn by okf*Delta about z.
  Vec step(const Vec& v) const {
    const double ax = Ctilt * Delta(), az = okf * Delta();
    const double y1 = v[1] * std::cos(ax) - v[2] * std::sin(ax);
    const double z1 = v[1] * std::sin(ax) + v[2] * std::cos(ax);
    return {v[0] * std::cos(az) - y1 * std::sin(az), v[0] * std::sin(az) + y1 * std::cos(az), z1};
  }
  // State of ring column c (1 = centre, 2 = body 1, ..., N3+2 = closing point): the conic
  // point at true anomaly (c-2)*Delta turned c-2 times. r = p / (1 + e cos theta).
  void column(int c, Vec& x, Vec& v) const {
    if (c == 1) {
      x = v = Vec{0, 0, 0};
      return;
    }
    const double th = (c - 2) * Delta(), p = a * (1 - e * e), r = p / (1 + e * std::cos(th));
    const double k = std::sqrt(mu / p);
    x = {r * std::cos(th), r * std::sin(th), 0};
    v = {-k * std::sin(th), k * (e + std::cos(th)), 0};
    for (int n = 0; n < c - 2; ++n) {
      x = step(x);
      v = step(v);
    }
  }
  double distance(int i, int j) const {
    Vec xi, vi, xj, vj;
    column(i, xi, vi);
    column(j, xj, vj);
    return std::hypot(xi[0] - xj[0], xi[1] - xj[1], xi[2] - xj[2]);
  }
};

double force_sum(int N) {
  double s = 0.0;
  for (int m = 1; m < N; ++m) s += 0.25 / std::sin(m * kPi / N);
  return s;
}

// Ring 1 of the default parameter file with N30 bodies: M = Mcen + Fsum * Mbr.
RingModel ring_one(int N3, double okf, double Ctilt) {
  const double Mstr = 2.0e30, Fcen = 0.999;
  const double Mcen = Fcen * Mstr, Mbr = (Mstr - Fcen * Mstr) / N3;
  return {1.0 * kAU, 0.1, kG * (Mcen + force_sum(N3) * Mbr), N3, okf, Ctilt};
}

struct RunFiles {
  int status;
  std::string err;
  std::vector<std::string> report;
  std::string summary;
};

RunFiles run_with(const ParameterFile& p) {
  TempDir dir;
  dir.write("Korvane2.dat", p.text());
  ProgramResult r = run_korvane2(dir);
  return {r.status, r.err, split_lines(dir.read("Korvane2Err")), dir.read("rngtbout.dat")};
}

ParameterFile small_ring(int N3, bool table) {
  ParameterFile p;
  p.set(2, std::to_string(N3)).set(13, table ? "1" : "0");
  return p;
}

const std::string kHeader1 = " ******  Parameters of           1 ring   ******";
const std::string kWarning = " On 20th step error EPS is no received";

TEST(RingReports, SectionOfASmallRingRecordByRecord) {
  const int N3 = 3;
  RunFiles run = run_with(small_ring(N3, true));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string>& L = run.report;
  const std::size_t rows = 2 * (N3 + 2);
  ASSERT_GE(L.size(), 1 + rows + 6 + 1);
  EXPECT_EQ(L[1 + rows + 6], " ******  Parameters of all structure   ******");

  EXPECT_EQ(L[0], kHeader1);

  // The iteration record first: its okf rebuilds the ring here.
  const std::string& it1 = L[1 + rows + 4];
  const std::string& it2 = L[1 + rows + 5];
  ASSERT_EQ(it1.size(), 56u) << it1;
  EXPECT_EQ(it1.substr(0, 24), " Last step of itrrtn I1m");
  EXPECT_EQ(it1.substr(35), " and coef-ts okf,okf1");
  const int I1m = std::stoi(it1.substr(24, 11));
  EXPECT_EQ(it1.substr(24, 11), int11(I1m));
  EXPECT_GE(I1m, 3);
  EXPECT_LE(I1m, 19);
  ASSERT_EQ(it2.size(), 49u) << it2;
  EXPECT_TRUE(is_double_field(it2.substr(0, 24))) << it2;
  EXPECT_EQ(it2[24], ' ');
  EXPECT_TRUE(is_double_field(it2.substr(25))) << it2;
  const double okf = number_in(it2.substr(0, 24)), okf1 = number_in(it2.substr(24));
  EXPECT_LE(std::fabs(okf - okf1), 1e-10 * std::fabs(okf));

  const RingModel ring = ring_one(N3, okf, 0.3);
  const double Rper = ring.Rper(), Vper = ring.Vper();

  // The table: columns 1 .. N3+2, a position row then a velocity row, 43 characters.
  for (std::size_t n = 0; n < rows; ++n) {
    const std::string& row = L[1 + n];
    const int c = static_cast<int>(n / 2) + 1;
    SCOPED_TRACE("row " + std::to_string(n + 1) + ": " + row);
    ASSERT_EQ(row.size(), 43u);
    EXPECT_EQ(row.substr(0, 4), int4(c));
    Vec x, v;
    ring.column(c, x, v);
    const Vec& want = n % 2 == 0 ? x : v;
    const double scale = n % 2 == 0 ? Rper : Vper;
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(d13_shows(row.substr(4 + 13 * k, 13), want[k], 1e-9 * scale)) << k;
  }
  EXPECT_EQ(L[1], "   1" + kD13Zero + kD13Zero + kD13Zero);
  EXPECT_EQ(L[2], "   1" + kD13Zero + kD13Zero + kD13Zero);
  EXPECT_TRUE(d13_shows(L[3].substr(4, 13), Rper, 0.0));
  EXPECT_EQ(L[3].substr(17), kD13Zero + kD13Zero);
  EXPECT_EQ(L[4].substr(0, 17), "   2" + kD13Zero);
  EXPECT_TRUE(d13_shows(L[4].substr(17, 13), Vper, 0.0));
  EXPECT_EQ(L[4].substr(30), kD13Zero);
  // The closing point is the pericentre state turned N3 times and lies on the x-z plane.
  Vec xc, vc;
  ring.column(N3 + 2, xc, vc);
  EXPECT_LE(std::fabs(xc[1]), 1e-6 * Rper);

  // Period record: text, double, text, integer on one line.
  const std::string& per = L[1 + rows];
  ASSERT_EQ(per.size(), 72u) << per;
  EXPECT_EQ(per.substr(0, 27), " Period in sideral years = ");
  EXPECT_TRUE(is_double_field(per.substr(27, 24))) << per;
  EXPECT_EQ(per.substr(51), " and N3 = " + int11(N3));
  const double Tyear = 2 * kPi * std::sqrt(ring.a * ring.a * ring.a / ring.mu) / (kDay * kYsid);
  EXPECT_NEAR(number_in(per.substr(27, 24)), Tyear, 1e-13 * Tyear);

  // Distance between columns 2 and 3.
  const std::string& d23 = L[1 + rows + 1];
  ASSERT_EQ(d23.size(), 56u) << d23;
  EXPECT_EQ(d23.substr(0, 32), " Distance between bodies 2 and 3");
  EXPECT_TRUE(is_double_field(d23.substr(32))) << d23;
  EXPECT_NEAR(number_in(d23.substr(32)), ring.distance(2, 3), 1e-9 * ring.distance(2, 3));

  // Minimum over the pairs, every pair visited as (i, j) and (j, i), the later visit of
  // an equal distance winning: a unique closest pair {a < b} is shown as b and a.
  int imin = 0, jmin = 0;
  double Rmin = 1e99;
  for (int i = 2; i <= N3 + 1; ++i)
    for (int j = 2; j <= N3 + 1; ++j)
      if (i != j && ring.distance(i, j) <= Rmin) Rmin = ring.distance(i, j), imin = i, jmin = j;
  const std::string& m1 = L[1 + rows + 2];
  const std::string& m2 = L[1 + rows + 3];
  EXPECT_EQ(m1, " Minimal distance between bodies " + int11(imin) + " and " + int11(jmin) + " ");
  ASSERT_TRUE(is_double_field(m2)) << m2;
  EXPECT_NEAR(number_in(m2), Rmin, 1e-9 * Rmin);
}

// The warning record stands right after the header exactly when the iteration ran 20
// steps; without the table a section has five records (six with the warning).
struct WarningCase {
  const char* name;
  const char* EPS;
  const char* Ctilt;
  const char* okf0;
  bool table;
  bool warning;
  int I1m;  // 0: any step from 3 to 19
  int status;  // 4 for a ring that never met EPS: it is not closed
};
void PrintTo(const WarningCase& c, std::ostream* os) { *os << c.name; }

class RingReportsWarning : public ::testing::TestWithParam<WarningCase> {};

TEST_P(RingReportsWarning, RecordsOfTheSection) {
  const WarningCase& c = GetParam();
  const int N3 = 3;
  ParameterFile p = small_ring(N3, c.table);
  p.set(11, c.EPS).set(10, c.Ctilt).set(9, c.okf0);
  RunFiles run = run_with(p);
  ASSERT_EQ(run.status, c.status) << run.err;
  const std::vector<std::string>& L = run.report;
  const std::size_t w = c.warning ? 1 : 0, rows = c.table ? 2 * (N3 + 2) : 0;
  ASSERT_GE(L.size(), 1 + w + rows + 6 + 1);
  EXPECT_EQ(L[0], kHeader1);
  int warnings = 0;
  for (const std::string& l : L) warnings += l == kWarning;
  EXPECT_EQ(warnings, c.warning ? 1 : 0);
  if (c.warning) {
    EXPECT_EQ(L[1], kWarning);
  }
  for (std::size_t n = 0; n < rows; ++n) EXPECT_EQ(L[1 + w + n].substr(0, 4), int4(static_cast<int>(n / 2) + 1));
  const std::size_t s = 1 + w + rows;
  EXPECT_EQ(L[s].substr(0, 27), " Period in sideral years = ");
  EXPECT_EQ(L[s + 1].substr(0, 32), " Distance between bodies 2 and 3");
  EXPECT_EQ(L[s + 2].substr(0, 33), " Minimal distance between bodies ");
  EXPECT_EQ(L[s + 4].substr(0, 24), " Last step of itrrtn I1m");
  EXPECT_EQ(L[s + 6], " ******  Parameters of all structure   ******");
  const int I1m = std::stoi(L[s + 4].substr(24, 11));
  if (c.I1m != 0) {
    EXPECT_EQ(I1m, c.I1m);
  } else {
    EXPECT_GE(I1m, 3);
    EXPECT_LE(I1m, 19);
  }
  if (c.I1m == 2) {  // stopped at step 2: okf = 0.95 * 1.0499999523162842, okf1 = 0.95
    EXPECT_NEAR(number_in(L[s + 5].substr(0, 24)), 0.95 * kStep2Factor, 1e-16);
    EXPECT_EQ(number_in(L[s + 5].substr(24)), 0.95);
  }
}

INSTANTIATE_TEST_SUITE_P(
    RingReports, RingReportsWarning,
    ::testing::Values(WarningCase{"NeverConvergesWithTable", "-1.0", "1.0", "0.5", true, true, 20, 4},
                      WarningCase{"NeverConvergesWithoutTable", "-1.0", "1.0", "0.5", false, true, 20, 4},
                      WarningCase{"ConvergesWithTable", "1.0D-10", "0.3", "0.95", true, false, 0, 0},
                      WarningCase{"ConvergesWithoutTable", "1.0D-10", "0.3", "0.95", false, false, 0, 0},
                      WarningCase{"StopsAtStepTwo", "0.05", "0.3", "0.95", false, false, 2, 0}),
    [](const ::testing::TestParamInfo<WarningCase>& info) { return std::string(info.param.name); });

// rngtbout.dat: one record per ring, in ring order, each of two lines: two integers and
// two doubles (74 characters), then two doubles (50); the coefficient is the one of the iteration record.
TEST(RingReports, SummaryHasOneRecordPerRingInRingOrder) {
  ParameterFile p = small_ring(3, false);
  p.set(1, "3");
  TempDir dir;
  dir.write("Korvane2.dat", p.text());
  ProgramResult r = run_korvane2(dir);
  ASSERT_EQ(r.status, 0) << r.err;
  bool crlf = false;
  std::vector<std::string> S = split_lines(dir.read("rngtbout.dat"), &crlf);
  EXPECT_TRUE(crlf);
  ASSERT_EQ(S.size(), 6u);

  std::vector<std::string> R = split_lines(dir.read("Korvane2Err"));
  std::vector<int> N3s;
  std::vector<std::string> okfTexts;
  for (std::size_t n = 0; n + 1 < R.size(); ++n) {
    if (R[n].rfind(" Period in sideral years = ", 0) == 0) N3s.push_back(std::stoi(R[n].substr(61)));
    if (R[n].rfind(" Last step of itrrtn I1m", 0) == 0) okfTexts.push_back(R[n + 1].substr(0, 24));
  }
  ASSERT_EQ(N3s.size(), 3u);
  ASSERT_EQ(okfTexts.size(), 3u);
  // Body counts from the formula: 3 * 1, 3 * 1.5, 3 * 2 truncated.
  EXPECT_EQ(N3s, (std::vector<int>{3, 4, 6}));

  const double Mbr = (2.0e30 - 0.999 * 2.0e30) / 3;
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE("ring " + std::to_string(i + 1));
    const std::string& a = S[2 * i];
    const std::string& b = S[2 * i + 1];
    ASSERT_EQ(a.size(), 74u) << a;
    ASSERT_EQ(b.size(), 50u) << b;
    EXPECT_EQ(a.substr(0, 12), int12(i + 1));
    EXPECT_EQ(a.substr(12, 12), int12(N3s[i]));
    EXPECT_EQ(a[24], ' ');
    EXPECT_EQ(a.substr(25, 24), okfTexts[i]);
    EXPECT_EQ(a.substr(49), "   3.000000000000000E-001");
    // The line break falls between two numbers: the separator blank opens line 2.
    EXPECT_EQ(b[0], ' ');
    EXPECT_TRUE(is_double_field(b.substr(1, 24))) << b;
    EXPECT_EQ(b[25], ' ');
    EXPECT_TRUE(is_double_field(b.substr(26))) << b;
    EXPECT_NEAR(number_in(b.substr(1, 24)), (1.0 + 0.5 * i) * kAU, 1e-15 * kAU * 2);
    EXPECT_NEAR(number_in(b.substr(26)), Mbr, 1e-15 * Mbr);
  }
}

}  // namespace
}  // namespace korvane2::testing
