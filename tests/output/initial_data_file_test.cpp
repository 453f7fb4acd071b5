// The initial-data file through the built program, read back with the system's own
// free-format reader: record and line counts, fixed items, and the physics of the
// structure it describes (masses, barycentre, angular momentum, radii, Kepler orbits of
// the ring bodies, the turn by Incl, invariance under a change of mass or length scale),
// massless tracers, the zero-density stop and the ways of naming a blank file.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
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
constexpr double kPi = 3.141592653589793;

using Vec = std::array<double, 3>;

Vec sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double norm(const Vec& a) { return std::sqrt(dot(a, a)); }
Vec cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
// Rotation about the x axis: +y turns toward +z.
Vec turn_x(const Vec& v, double a) {
  return {v[0], std::cos(a) * v[1] - std::sin(a) * v[2], std::sin(a) * v[1] + std::cos(a) * v[2]};
}
Vec pos(const BodyRecord& b) { return {b.x(0), b.x(1), b.x(2)}; }
Vec vel(const BodyRecord& b) { return {b.v(0), b.v(1), b.v(2)}; }

double force_sum(int N) {
  double s = 0.0;
  for (int m = 1; m < N; ++m) s += 0.25 / std::sin(m * kPi / N);
  return s;
}

std::string example_parameters() {
  std::filesystem::path p = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "examples" /
                            "Korvane2.dat";
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// ---- the structures of the cases, as the parameters and the ring table give them

struct Ring {
  int N3;
  double Rring;  // m
  double Mbr;    // kg
};

struct FileCase {
  const char* name;
  std::string parameters;
  std::string table;  // empty: no ring table
  double Mcen, Ecc, Incl, Rho, Phead;
  int Ntail;
  bool Irot;
  std::vector<Ring> rings;
  int NB, Ncub;
};
void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

// Default parameter file: Mstr 2e30 kg, Fcen 0.999, R1au 1, Ecc 0.1, dRr 0.5, FN3 1.
const double kMcen = 0.999 * 2.0e30;
const double kMrng = 2.0e30 - 0.999 * 2.0e30;

FileCase one_ring_of_six() {
  ParameterFile p;
  p.set(2, "6").set(14, "0.3").set(16, "2.5").set(18, "7");
  return {"OneRingOfSix", p.text(), "", kMcen, 0.1, 0.3, 2000.0, 2.5, 7, false, {{6, kAU, kMrng / 6}}, 7, 2};
}

FileCase example_file() {
  const double Mstr = 2.002002e30, Mbr = (Mstr - 0.999 * Mstr) / 12;
  return {"ExampleFile", example_parameters(), "", 0.999 * Mstr, 0.1, 0.1, 2000.0, 0.0, 0,
          false, {{12, kAU, Mbr}, {18, 1.5 * kAU, Mbr}, {24, 2.0 * kAU, Mbr}}, 55, 4};
}

FileCase four_turned_rings() {
  ParameterFile p;
  p.set(1, "4").set(2, "4").set(7, "1.0").set(12, "1").set(14, "0.2").set(16, "-1.5").set(18, "-5");
  const double Mbr = kMrng / 4;
  return {"FourTurnedRings", p.text(), "", kMcen, 0.1, 0.2, 2000.0, -1.5, -5, true,
          {{4, kAU, Mbr}, {8, 2 * kAU, Mbr}, {12, 3 * kAU, Mbr}, {16, 4 * kAU, Mbr}}, 41, 3};
}

FileCase ring_table() {
  ParameterFile p;
  p.set(1, "2").set(14, "-0.4").set(15, "5500.0");
  return {"RingTableWithMasslessRing", p.text(), "1 10 0.95 0.3 1.6e11 1.0e27\r\n2 15 0.9 0.25 2.4e11 0.0\r\n",
          kMcen, 0.1, -0.4, 5500.0, 0.0, 0, false, {{10, 1.6e11, 1.0e27}, {15, 2.4e11, 0.0}}, 26, 3};
}

FileCase massless_ring() {
  ParameterFile p;
  p.set(2, "41").set(4, "1.0").set(6, "0.3").set(14, "1.0");
  return {"MasslessRing", p.text(), "", 2.0e30, 0.3, 1.0, 2000.0, 0.0, 0, false, {{41, kAU, 0.0}}, 42, 4};
}

struct Outcome {
  ProgramResult result;
  InitialData data;
  std::string bytes;
  std::vector<std::string> report;
};

Outcome run_case(const FileCase& c) {
  TempDir dir;
  dir.write("Korvane2.dat", c.parameters);
  if (!c.table.empty()) dir.write("rngtbinp.dat", c.table);
  Outcome o;
  o.result = run_korvane2(dir);
  o.bytes = dir.read("ring.ini");
  o.data = read_initial_data(o.bytes);
  o.report = split_lines(dir.read("Korvane2Err"));
  return o;
}

class InitialDataFile : public ::testing::TestWithParam<FileCase> {
 protected:
  // One run per case, shared by the tests of that case.
  static const Outcome& outcome(const FileCase& c) {
    static std::map<std::string, Outcome> cache;
    auto at = cache.find(c.name);
    if (at == cache.end()) at = cache.emplace(c.name, run_case(c)).first;
    return at->second;
  }
  void SetUp() override {
    o_ = &outcome(GetParam());
    ASSERT_EQ(o_->result.status, 0) << o_->result.err;
    ASSERT_TRUE(o_->data.complete) << o_->data.failure;
    ASSERT_EQ(o_->data.bodies.size(), static_cast<std::size_t>(GetParam().NB));
  }
  const InitialData& d() const { return o_->data; }
  const std::vector<BodyRecord>& bodies() const { return o_->data.bodies; }
  double Mtot() const {
    double M = GetParam().Mcen;
    for (const Ring& r : GetParam().rings) M += r.N3 * r.Mbr;
    return M;
  }
  // Mass the bodies of ring i feel (kg): everything inside it plus the ring's own pull.
  double ring_mass(std::size_t i) const {
    double Mint = GetParam().Mcen;
    for (std::size_t k = 0; k < i; ++k) Mint += GetParam().rings[k].N3 * GetParam().rings[k].Mbr;
    return Mint + force_sum(GetParam().rings[i].N3) * GetParam().rings[i].Mbr;
  }
  int first_body(std::size_t i) const {  // 0-based index of ring i's first body
    int j = 1;
    for (std::size_t k = 0; k < i; ++k) j += GetParam().rings[k].N3;
    return j;
  }

  const Outcome* o_ = nullptr;
};

TEST_P(InitialDataFile, RecordCountsAndFixedItems) {
  const FileCase& c = GetParam();
  const InitialData& f = d();
  EXPECT_FALSE(f.bytesAfterTrailer);
  bool crlf = false;
  EXPECT_EQ(split_lines(o_->bytes, &crlf).size(), static_cast<std::size_t>(5 * c.NB + 11));
  EXPECT_TRUE(crlf);

  EXPECT_EQ(f.header.one1, 1);
  EXPECT_EQ(f.header.one2, 1);
  EXPECT_EQ(f.header.NB, c.NB);
  EXPECT_EQ(f.header.hd[0], 1.0);
  EXPECT_EQ(f.header.hd[1], 0.5);
  EXPECT_EQ(f.header.hd[2], 0.25);
  EXPECT_EQ(f.header.Ncub, c.Ncub);
  EXPECT_EQ(f.header.Phead(), c.Phead);
  for (int item : {1, 3, 4, 11, 12, 13, 14, 15, 16}) EXPECT_EQ(f.header.d[item - 1], 0.0) << "header item " << item;

  EXPECT_EQ(f.trailer.Ntail, c.Ntail);
  EXPECT_EQ(f.trailer.NB, c.NB);
  for (std::int32_t z : f.trailer.zeros) EXPECT_EQ(z, 0);
  EXPECT_NEAR(f.trailer.Mtot, Mtot(), 1e-15 * Mtot());

  for (const BodyRecord& b : bodies())
    for (int item : {8, 9, 10, 11, 12, 13, 15}) EXPECT_EQ(b.item[item - 1], 0.0) << "body item " << item;
}

TEST_P(InitialDataFile, MassesAddUpToOneAndTheBarycentreIsAtRest) {
  const FileCase& c = GetParam();
  double msum = 0.0, mmax = 0.0, mx = 0.0, mv = 0.0;
  Vec X{0, 0, 0}, P{0, 0, 0};
  for (const BodyRecord& b : bodies()) {
    msum += b.m();
    mmax = std::max(mmax, b.m());
    mx += b.m() * norm(pos(b));
    mv += b.m() * norm(vel(b));
    for (int k = 0; k < 3; ++k) X[k] += b.m() * b.x(k), P[k] += b.m() * b.v(k);
  }
  EXPECT_NEAR(msum, 1.0, 1e-14);
  EXPECT_EQ(d().header.Mmax(), mmax);
  EXPECT_NEAR(bodies()[0].m(), c.Mcen / Mtot(), 1e-15);
  for (std::size_t i = 0; i < c.rings.size(); ++i)
    for (int j = first_body(i); j < first_body(i) + c.rings[i].N3; ++j)
      EXPECT_NEAR(bodies()[j].m(), c.rings[i].Mbr / Mtot(), 1e-15 * c.rings[i].Mbr / Mtot()) << "body " << j + 1;
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(X[k], 0.0, 1e-14 * mx) << k;
    EXPECT_NEAR(P[k], 0.0, 1e-14 * mv) << k;
    EXPECT_NEAR(d().header.momentum(k), 0.0, 1e-14 * mv) << k;
  }
}

TEST_P(InitialDataFile, HeaderAngularMomentumIsThatOfTheBodies) {
  Vec L{0, 0, 0};
  double scale = 0.0;
  for (const BodyRecord& b : bodies()) {
    Vec l = cross(pos(b), vel(b));
    for (int k = 0; k < 3; ++k) L[k] += b.m() * l[k];
    scale += b.m() * norm(pos(b)) * norm(vel(b));
  }
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(d().header.Amom(k), L[k], 1e-13 * scale + 1e-300) << k;
}

TEST_P(InitialDataFile, EveryRadiusGivesBackItsMass) {
  const double Runit = d().trailer.Runit;
  const double RHOu = GetParam().Rho * Runit * Runit * Runit / d().trailer.Mtot;
  for (std::size_t j = 0; j < bodies().size(); ++j) {
    const BodyRecord& b = bodies()[j];
    if (b.m() == 0.0) {
      EXPECT_EQ(b.rad(), 0.0) << "body " << j + 1;
    } else {
      EXPECT_NEAR(4.0 / 3.0 * kPi * b.rad() * b.rad() * b.rad() * RHOu, b.m(), 1e-13 * b.m()) << "body " << j + 1;
    }
  }
}

// Relative to the central body, every ring body moves on a conic of eccentricity Ecc and
// semi-major axis Rring about the mass of the ring quantities (G = 1, mass unit Mtot);
// ring 1 takes 0.01 time units (the time unit is 100 periods of ring 1).
TEST_P(InitialDataFile, RingBodiesMoveOnTheirKeplerConics) {
  const FileCase& c = GetParam();
  const BodyRecord& centre = bodies()[0];
  for (std::size_t i = 0; i < c.rings.size(); ++i) {
    const double mu = ring_mass(i) / d().trailer.Mtot;
    for (int j = first_body(i); j < first_body(i) + c.rings[i].N3; ++j) {
      SCOPED_TRACE("ring " + std::to_string(i + 1) + ", body " + std::to_string(j + 1));
      const Vec r = sub(pos(bodies()[j]), pos(centre)), v = sub(vel(bodies()[j]), vel(centre));
      const double rn = norm(r), v2 = dot(v, v), rv = dot(r, v);
      Vec e;
      for (int k = 0; k < 3; ++k) e[k] = ((v2 - mu / rn) * r[k] - rv * v[k]) / mu;
      EXPECT_NEAR(norm(e), c.Ecc, 1e-9);
      const double a = 1.0 / (2.0 / rn - v2 / mu);  // vis-viva
      EXPECT_NEAR(a, c.rings[i].Rring / d().trailer.Runit, 1e-9 * a);
      if (i == 0) {
        EXPECT_NEAR(2 * kPi * std::sqrt(a * a * a / mu), 0.01, 1e-11);
      }
    }
  }
}

// The first body of every ring sits at the pericentre (Rper, 0, 0) and moves along +y
// at Vper, turned by the ring angle (about x, by minus the angle) when Irot is on, then
// by Incl with the whole structure; positions about the central body.
TEST_P(InitialDataFile, FirstBodyOfEveryRingIsAtItsPericentre) {
  const FileCase& c = GetParam();
  const BodyRecord& centre = bodies()[0];
  for (std::size_t i = 0; i < c.rings.size(); ++i) {
    SCOPED_TRACE("ring " + std::to_string(i + 1));
    const double a = c.rings[i].Rring, Rper = a * (1 - c.Ecc);
    const double Vper = std::sqrt(kG * ring_mass(i) * (1 + c.Ecc) / (a * (1 - c.Ecc)));
    const double Fi = c.Irot ? i * (2 * kPi / c.rings.size()) : 0.0;
    const Vec wantX{Rper / d().trailer.Runit, 0, 0};
    const Vec wantV = turn_x(turn_x({0, Vper * d().trailer.Vfac, 0}, -Fi), c.Incl);
    const BodyRecord& b = bodies()[first_body(i)];
    const Vec x = sub(pos(b), pos(centre)), v = sub(vel(b), vel(centre));
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(x[k], wantX[k], 1e-13 * norm(wantX)) << k;
      EXPECT_NEAR(v[k], wantV[k], 1e-13 * norm(wantV)) << k;
    }
  }
}

// Closing report records 8 and 9: (Rper/Runit, 0, 0) and (0, Vper Vfac cos Incl,
// Vper Vfac sin Incl) for ring 1's first body.
TEST_P(InitialDataFile, ClosingReportShowsTheFirstRingBody) {
  const FileCase& c = GetParam();
  const auto& L = o_->report;
  auto at = std::find(L.begin(), L.end(), "              of the 1-st body");
  ASSERT_TRUE(at != L.end() && L.end() - at > 2);
  const std::string &r8 = at[1], &r9 = at[2];
  ASSERT_EQ(r8.size(), 75u) << r8;
  ASSERT_EQ(r9.size(), 75u) << r9;
  const double a = c.rings[0].Rring, Rper = a * (1 - c.Ecc);
  const double Vper = std::sqrt(kG * ring_mass(0) * (1 + c.Ecc) / (a * (1 - c.Ecc)));
  const double Vs = Vper * d().trailer.Vfac;
  EXPECT_NEAR(number_in(r8.substr(0, 25)), Rper / d().trailer.Runit, 1e-14 * Rper / d().trailer.Runit);
  EXPECT_EQ(number_in(r8.substr(25, 25)), 0.0);
  EXPECT_EQ(number_in(r8.substr(50)), 0.0);
  EXPECT_EQ(number_in(r9.substr(0, 25)), 0.0);
  EXPECT_NEAR(number_in(r9.substr(25, 25)), Vs * std::cos(c.Incl), 1e-14 * Vs);
  EXPECT_NEAR(number_in(r9.substr(50)), Vs * std::sin(c.Incl), 1e-14 * Vs);
}

INSTANTIATE_TEST_SUITE_P(InitialDataFile, InitialDataFile,
                         ::testing::Values(one_ring_of_six(), example_file(), four_turned_rings(), ring_table(),
                                           massless_ring()),
                         [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

// ---- single runs

struct FileRun {
  ProgramResult result;
  InitialData data;
};

FileRun run_parameters(const ParameterFile& p) {
  TempDir dir;
  dir.write("Korvane2.dat", p.text());
  FileRun r{run_korvane2(dir), {}};
  r.data = read_initial_data(dir.read("ring.ini"));
  return r;
}

ParameterFile two_rings() {
  ParameterFile p;
  p.set(1, "2").set(2, "5");
  return p;
}

double largest_component(const InitialData& f, bool velocity) {
  double m = 0.0;
  for (const BodyRecord& b : f.bodies)
    for (int k = 0; k < 3; ++k) m = std::max(m, std::fabs(velocity ? b.v(k) : b.x(k)));
  return m;
}

TEST(InitialDataFileIncl, TurningByInclKeepsTheOrbitsAndTurnsTheirPlane) {
  FileRun flat = run_parameters(two_rings());
  ASSERT_EQ(flat.result.status, 0);
  ASSERT_TRUE(flat.data.complete);
  const double xs = largest_component(flat.data, false), vs = largest_component(flat.data, true);
  for (const char* text : {"0.7", "1.570796327", "-1.2", "3.0"}) {
    SCOPED_TRACE(std::string("Incl = ") + text);
    const double incl = std::stod(text);
    ParameterFile p = two_rings();
    p.set(14, text);
    FileRun turned = run_parameters(p);
    ASSERT_EQ(turned.result.status, 0);
    ASSERT_TRUE(turned.data.complete);
    ASSERT_EQ(turned.data.bodies.size(), flat.data.bodies.size());
    for (std::size_t j = 0; j < flat.data.bodies.size(); ++j) {
      const BodyRecord &b0 = flat.data.bodies[j], &b1 = turned.data.bodies[j];
      EXPECT_EQ(b1.m(), b0.m());
      EXPECT_EQ(b1.rad(), b0.rad());
      const Vec x = turn_x(pos(b0), incl), v = turn_x(vel(b0), incl);
      for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(b1.x(k), x[k], 1e-13 * xs) << "body " << j + 1 << " k " << k;
        EXPECT_NEAR(b1.v(k), v[k], 1e-13 * vs) << "body " << j + 1 << " k " << k;
      }
    }
    Vec L0{flat.data.header.Amom(0), flat.data.header.Amom(1), flat.data.header.Amom(2)};
    Vec L1 = turn_x(L0, incl);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(turned.data.header.Amom(k), L1[k], 1e-13 * norm(L0)) << k;
  }
}

// Incl = 0 leaves ring 1's first body at (Rper, 0, 0) moving along +y; Incl = pi/2 moves
// a body at (x, y, z) to (x, -z, y), so that body moves along +z.
TEST(InitialDataFileIncl, ZeroAndHalfPiMoveKnownBodiesAsTheFrameSays) {
  FileRun flat = run_parameters(two_rings());
  ParameterFile p = two_rings();
  p.set(14, "1.570796327");
  FileRun up = run_parameters(p);
  ASSERT_TRUE(flat.data.complete && up.data.complete);
  const std::vector<BodyRecord>&B0 = flat.data.bodies, &B1 = up.data.bodies;
  const Vec x2 = sub(pos(B0[1]), pos(B0[0])), v2 = sub(vel(B0[1]), vel(B0[0]));
  EXPECT_GT(x2[0], 0.0);
  EXPECT_EQ(x2[1], 0.0);
  EXPECT_EQ(x2[2], 0.0);
  EXPECT_EQ(v2[0], 0.0);
  EXPECT_GT(v2[1], 0.0);
  EXPECT_EQ(v2[2], 0.0);
  const Vec v2up = sub(vel(B1[1]), vel(B1[0]));
  EXPECT_NEAR(v2up[1], 0.0, 1e-9 * v2[1]);
  EXPECT_NEAR(v2up[2], v2[1], 1e-9 * v2[1]);
  for (int j : {2, 7}) {  // a body of ring 1 and one of ring 2, about the central body
    const Vec x = sub(pos(B0[j]), pos(B0[0])), xu = sub(pos(B1[j]), pos(B1[0]));
    const double s = norm(x);
    EXPECT_NEAR(xu[0], x[0], 1e-9 * s);
    EXPECT_NEAR(xu[1], -x[2], 1e-9 * s);
    EXPECT_NEAR(xu[2], x[1], 1e-9 * s);
  }
}

// The file is dimensionless: 8 times the mass leaves every mass bit for bit the same and
// every position and velocity the same to rounding; so does 4 times the length.
TEST(InitialDataFileScale, MassAndLengthScalesLeaveTheFileUnchanged) {
  ParameterFile base = two_rings();
  base.set(14, "0.4");
  FileRun ref = run_parameters(base);
  ASSERT_EQ(ref.result.status, 0);
  ASSERT_TRUE(ref.data.complete);
  const double xs = largest_component(ref.data, false), vs = largest_component(ref.data, true);
  struct Scaled {
    int line;
    const char* text;
    bool massesBitForBit;
  };
  for (const Scaled& s : {Scaled{3, "1.6D31", true}, Scaled{5, "4.0", false}}) {
    SCOPED_TRACE(std::string("line ") + std::to_string(s.line) + " = " + s.text);
    ParameterFile p = base;
    p.set(s.line, s.text);
    FileRun run = run_parameters(p);
    ASSERT_EQ(run.result.status, 0);
    ASSERT_TRUE(run.data.complete);
    ASSERT_EQ(run.data.bodies.size(), ref.data.bodies.size());
    for (std::size_t j = 0; j < ref.data.bodies.size(); ++j) {
      const BodyRecord &a = ref.data.bodies[j], &b = run.data.bodies[j];
      if (s.massesBitForBit) {
        EXPECT_EQ(b.m(), a.m()) << "body " << j + 1;
      }
      for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(b.x(k), a.x(k), 1e-12 * xs) << "body " << j + 1;
        EXPECT_NEAR(b.v(k), a.v(k), 1e-12 * vs) << "body " << j + 1;
      }
    }
  }
}

// Fcen = 1: every ring body is a massless tracer about the central body of mass 1, which
// is the barycentre: its record carries its own position and velocity, and radius 0.
TEST(InitialDataFileTracers, MasslessRingAboutTheCentralBody) {
  ParameterFile p;
  p.set(2, "8").set(4, "1.0").set(14, "0.5");
  FileRun run = run_parameters(p);
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  ASSERT_TRUE(run.data.complete);
  const InitialData& f = run.data;
  ASSERT_EQ(f.bodies.size(), 9u);
  EXPECT_EQ(f.bodies[0].m(), 1.0);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(f.bodies[0].x(k), 0.0);
    EXPECT_EQ(f.bodies[0].v(k), 0.0);
    EXPECT_EQ(f.header.Amom(k), 0.0);
    EXPECT_EQ(f.header.momentum(k), 0.0);
  }
  EXPECT_EQ(f.header.Mmax(), 1.0);
  const double a = kAU / f.trailer.Runit;
  for (std::size_t j = 1; j < f.bodies.size(); ++j) {
    const BodyRecord& b = f.bodies[j];
    EXPECT_EQ(b.m(), 0.0);
    EXPECT_EQ(b.rad(), 0.0);
    const double r = norm(pos(b));
    EXPECT_GE(r, a * 0.9 * (1 - 1e-12)) << "body " << j + 1;  // between pericentre and apocentre
    EXPECT_LE(r, a * 1.1 * (1 + 1e-12)) << "body " << j + 1;
    // vis-viva about the unit mass: v^2 = 2/r - 1/a
    EXPECT_NEAR(dot(vel(b), vel(b)), 2 / r - 1 / a, 1e-12 * (2 / r)) << "body " << j + 1;
  }
}

TEST(InitialDataFileStops, ZeroDensityEndsWithTheDivideByZeroReport) {
  ParameterFile p = two_rings();
  TempDir ok, zero;
  ok.write("Korvane2.dat", p.text());
  p.set(15, "0.0");
  zero.write("Korvane2.dat", p.text());
  ProgramResult rok = run_korvane2(ok);
  ProgramResult r = run_korvane2(zero);
  ASSERT_EQ(rok.status, 0);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "\r\nrun-time error M6103: MATH\r\n- floating-point error: divide by zero\r\n");
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(zero.exists("ring.ini"));
  // Every ring section, and nothing of the closing section.
  std::string want = ok.read("Korvane2Err");
  const std::size_t closing = want.find(" ******  Parameters of all structure");
  ASSERT_NE(closing, std::string::npos);
  want.resize(closing);
  EXPECT_EQ(zero.read("Korvane2Err"), want);
  EXPECT_NE(want.find("Parameters of           2 ring"), std::string::npos);
  EXPECT_EQ(zero.read("rngtbout.dat"), ok.read("rngtbout.dat"));
}

// ---- a blank name on line 17

class InitialDataFileBlankName : public ::testing::Test {
 protected:
  void SetUp() override {
    ParameterFile p;
    p.set(2, "5").set(17, "");
    dir_.write("Korvane2.dat", p.text());
  }
  TempDir dir_;
};

const std::string kQuestion = "File name missing or blank - please enter file name\r\nUNIT 5? ";

TEST_F(InitialDataFileBlankName, TheCommandLineArgumentNamesTheFile) {
  ProgramResult r = run_korvane2(dir_, {.args = {"arg.ini"}});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"Korvane2.dat", "Korvane2Err", "arg.ini", "rngtbout.dat"}));
  InitialData f = read_initial_data(dir_.read("arg.ini"));
  EXPECT_TRUE(f.complete) << f.failure;
  EXPECT_EQ(f.header.NB, 6);
}

TEST_F(InitialDataFileBlankName, WithoutArgumentTheConsoleAsksAndStandardInputAnswers) {
  ProgramResult r = run_korvane2(dir_, {.input = "piped.ini\n"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kQuestion);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"Korvane2.dat", "Korvane2Err", "piped.ini", "rngtbout.dat"}));
  InitialData f = read_initial_data(dir_.read("piped.ini"));
  EXPECT_TRUE(f.complete) << f.failure;
  // The same file as under a name from the command line.
  TempDir other;
  other.write("Korvane2.dat", dir_.read("Korvane2.dat"));
  ASSERT_EQ(run_korvane2(other, {.args = {"piped.ini"}}).status, 0);
  EXPECT_EQ(dir_.read("piped.ini"), other.read("piped.ini"));
}

TEST_F(InitialDataFileBlankName, EmptyStandardInputEndsTheRunWithoutAFile) {
  ProgramResult r = run_korvane2(dir_, {.input = ""});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.rfind(kQuestion, 0), 0u) << r.out;
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"Korvane2.dat", "Korvane2Err", "rngtbout.dat"}));
  // The report file was complete before the initial-data file was to be opened.
  EXPECT_NE(dir_.read("Korvane2Err").find(" Initial data in file Korvane2.dat\r\n"), std::string::npos);
}

TEST_F(InitialDataFileBlankName, AnswerNamingTheReportFileIsRefused) {
  TempDir ref;
  ref.write("Korvane2.dat", dir_.read("Korvane2.dat"));
  ASSERT_EQ(run_korvane2(ref, {.args = {"x.ini"}}).status, 0);
  ProgramResult r = run_korvane2(dir_, {.input = "Korvane2Err\n"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out.rfind(kQuestion, 0), 0u) << r.out;
  EXPECT_NE(r.err, "");
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"Korvane2.dat", "Korvane2Err", "rngtbout.dat"}));
  EXPECT_EQ(dir_.read("Korvane2Err"), ref.read("Korvane2Err"));  // not overwritten
}

}  // namespace
}  // namespace korvane2::testing
