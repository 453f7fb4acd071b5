// Physics of the computed rings: every body moves on a Kepler conic of the ring's
// eccentricity and semi-major axis about the mass inside the ring plus the pull of the
// ring's other bodies; the force sum of a regular polygon; the body counters and masses
// of successive rings; and the placement of the bodies into the structure.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "driver/parameters.hpp"
#include "rings/ring_iteration.hpp"
#include "rings/ring_placement.hpp"
#include "rings/ring_quantities.hpp"

#include "support/structure_setup.hpp"

namespace korvane2 {
namespace {

constexpr double kG = 6.67259e-11;
constexpr double kAU = 149597870691.0;
constexpr double kPi = 3.141592653589793;

using testing::structure_state;
using Structure = testing::StructureParameters;

// One pass of the ring loop up to the placement; `N3` > 0 replaces the body count as a
// ring-table record would.
void build_ring(RunState& s, int Iring, int N3 = 0) {
  start_ring(s, Iring);
  if (N3 > 0) s.N3 = N3;
  compute_ring_quantities(s, Iring);
  ASSERT_TRUE(iterate_ring(s));
  place_ring(s, Iring);
}

// The force sum of a regular polygon, summed independently in long double.
double polygon_force_sum(int n) {
  long double sum = 0.0L;
  for (int m = 1; m < n; ++m) sum += 1.0L / (4.0L * std::sin(static_cast<long double>(m) * 3.14159265358979323846L / n));
  return static_cast<double>(sum);
}

// ---------------------------------------------------------------------------------
// Every ring body is on the ring's Kepler conic.

struct KeplerCase {
  const char* name;
  int N3;
  double Ecc, Ctilt, okf0, EPS, R1au;
};

void PrintTo(const KeplerCase& c, std::ostream* os) { *os << c.name; }

const KeplerCase kKeplerRings[] = {
    {"N3_1_circular", 1, 0.0, 0.3, 0.9, 1e-10, 1.0},
    {"N3_2_eccentric", 2, 0.3, 0.3, 0.9, 1e-10, 1.0},
    {"N3_12_circular", 12, 0.0, 0.3, 0.9, 1e-10, 1.0},
    {"N3_12_ecc01", 12, 0.1, 0.3, 0.9, 1e-10, 2.5},
    {"N3_12_ecc06_tilted", 12, 0.6, -0.7, 0.9, 1e-10, 1.0},
    {"N3_40_ecc_minus03", 40, -0.3, 1.0, 0.9, 0.05, 1.0},
    {"N3_97_ecc005", 97, 0.05, 0.3, 0.9, 1e-10, 7.0},
    {"N3_500_ecc02", 500, 0.2, 0.3, 0.9, 1e-10, 5.0},
};

class RingPhysicsKepler : public ::testing::TestWithParam<KeplerCase> {};

TEST_P(RingPhysicsKepler, EveryBodyMovesOnTheRingConic) {
  const KeplerCase& c = GetParam();
  Structure p;
  p.N30 = c.N3;
  p.Ecc = c.Ecc;
  p.Ctilt = c.Ctilt;
  p.okf0 = c.okf0;
  p.EPS = c.EPS;
  p.R1au = c.R1au;
  RunState s = structure_state(p);
  build_ring(s, 1);
  ASSERT_EQ(s.N3, c.N3);

  const double a = c.R1au * kAU;
  const double Mbr = (p.Mstr - p.Fcen * p.Mstr) / c.N3;
  const double mu = kG * (p.Fcen * p.Mstr + polygon_force_sum(c.N3) * Mbr);
  const double e = c.Ecc;

  // The conic's own elements.
  EXPECT_NEAR(s.Rper, a * (1.0 - e), a * 1e-15);
  EXPECT_NEAR(s.Vper, std::sqrt(mu * (1.0 + e) / (a * (1.0 - e))), s.Vper * 1e-13);
  EXPECT_NEAR(s.Tper, 2.0 * kPi * std::sqrt(a * a * a / mu), s.Tper * 1e-13);

  for (int col = 2; col <= s.N3 + 2; ++col) {
    SCOPED_TRACE("column " + std::to_string(col));
    const double r[3] = {s.Xr(1, col), s.Yr(1, col), s.Zr(1, col)};
    const double v[3] = {s.Xr(2, col), s.Yr(2, col), s.Zr(2, col)};
    const double rr = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
    const double v2 = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
    const double rv = r[0] * v[0] + r[1] * v[1] + r[2] * v[2];
    // Energy gives the semi-major axis.
    const double energy = 0.5 * v2 - mu / rr;
    EXPECT_NEAR(-mu / (2.0 * energy), a, a * 1e-10);
    // Eccentricity vector ((v^2 - mu/r) r - (r.v) v) / mu.
    double ev[3];
    for (int k = 0; k < 3; ++k) ev[k] = ((v2 - mu / rr) * r[k] - rv * v[k]) / mu;
    const double emag = std::sqrt(ev[0] * ev[0] + ev[1] * ev[1] + ev[2] * ev[2]);
    EXPECT_NEAR(emag, std::fabs(e), 1e-10);
    // Body c sits at true anomaly (c-2) Delta measured from the pericentre.
    if (e > 0.0) {
      const double cosNu = (ev[0] * r[0] + ev[1] * r[1] + ev[2] * r[2]) / (emag * rr);
      EXPECT_NEAR(cosNu, std::cos((col - 2) * 2.0 * kPi / c.N3), 1e-8);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(RingPhysicsRings, RingPhysicsKepler, ::testing::ValuesIn(kKeplerRings),
                         [](const ::testing::TestParamInfo<KeplerCase>& info) { return std::string(info.param.name); });

TEST(RingPhysicsPeriod, CircularRingPeriodIsCircumferenceOverSpeed) {
  for (int N3 : {1, 2, 12, 97}) {
    SCOPED_TRACE(N3);
    Structure p;
    p.N30 = N3;
    p.Ecc = 0.0;
    RunState s = structure_state(p);
    start_ring(s, 1);
    compute_ring_quantities(s, 1);
    EXPECT_EQ(s.Rper, s.Rring);
    EXPECT_NEAR(s.Tper, 2.0 * kPi * s.Rring / s.Vper, s.Tper * 4e-16);
    EXPECT_EQ(s.Tper1, s.Tper);
    EXPECT_NEAR(s.Tyear, s.Tper / (86400.0 * 365.25636042), s.Tyear * 4e-16);
  }
}

// ---------------------------------------------------------------------------------
// The force sum of the ring.

struct ForceSumCase {
  int N3;
  double expected;
};

TEST(RingPhysicsForceSum, RegularPolygonSums) {
  const ForceSumCase cases[] = {
      {1, 0.0},
      {2, 0.25},
      {3, 1.0 / std::sqrt(3.0)},
      {4, 1.0 / std::sqrt(2.0) + 0.25},
      {6, 1.0 + 1.0 / std::sqrt(3.0) + 0.25},
      {12, polygon_force_sum(12)},
      {97, polygon_force_sum(97)},
      {500, polygon_force_sum(500)},
  };
  for (const ForceSumCase& c : cases) {
    SCOPED_TRACE(c.N3);
    Structure p;
    p.N30 = c.N3;
    RunState s = structure_state(p);
    start_ring(s, 1);
    compute_ring_quantities(s, 1);
    ASSERT_EQ(s.N3, c.N3);
    if (c.N3 <= 2)
      EXPECT_EQ(s.Fsum, c.expected);
    else
      EXPECT_NEAR(s.Fsum, c.expected, c.expected * 1e-13);
    EXPECT_EQ(s.Delta, s.Pi2 / c.N3);
    // The conic's mass is the inner mass plus the force sum times the body mass.
    EXPECT_NEAR(s.Gmu, -kG * (s.Mint + c.expected * s.Mbr), kG * s.Mint * 1e-14);
  }
}

// ---------------------------------------------------------------------------------
// Counters and masses of successive rings.

TEST(RingPhysicsCounters, SuccessiveRingsGrowWithTheSemiMajorAxis) {
  Structure p;
  p.NRing = 3;
  RunState s = structure_state(p);
  const double Mcen = p.Fcen * p.Mstr, Mbr = (p.Mstr - p.Fcen * p.Mstr) / 12.0;
  struct Expected {
    double R;  // in AU
    int N3, NBprev, NB;
    double Mint;
  };
  const Expected rings[] = {
      {1.0, 12, 0, 13, Mcen},
      {1.5, 18, 13, 31, Mcen + 12.0 * Mbr},
      {2.0, 24, 31, 55, Mcen + 30.0 * Mbr},
  };
  for (int Iring = 1; Iring <= 3; ++Iring) {
    SCOPED_TRACE(Iring);
    const Expected& e = rings[Iring - 1];
    start_ring(s, Iring);
    compute_ring_quantities(s, Iring);
    EXPECT_NEAR(s.Rring, e.R * kAU, e.R * kAU * 1e-15);
    EXPECT_EQ(s.N3, e.N3);
    EXPECT_EQ(s.NBprev, e.NBprev);
    EXPECT_EQ(s.NB, e.NB);
    EXPECT_NEAR(s.Mint, e.Mint, e.Mint * 1e-15);
    EXPECT_EQ(s.Mbr, Mbr);
    EXPECT_NEAR(s.Fi, (Iring - 1) * 2.0 * kPi / 3.0, 1e-15);
    ASSERT_TRUE(iterate_ring(s));
    place_ring(s, Iring);
  }
  // Ring 1's period is kept for the time unit.
  Structure one = p;
  one.NRing = 1;
  RunState r1 = structure_state(one);
  start_ring(r1, 1);
  compute_ring_quantities(r1, 1);
  EXPECT_EQ(s.Tper1, r1.Tper);
}

TEST(RingPhysicsCounters, FractionalBodyCountTruncates) {
  Structure p;
  p.N30 = 5;
  p.FN3 = 0.5;
  RunState s = structure_state(p);
  start_ring(s, 1);
  EXPECT_EQ(s.N3, 2);
  compute_ring_quantities(s, 1);
  EXPECT_EQ(s.NB, 3);
  EXPECT_EQ(s.Fsum, 0.25);
}

// ---------------------------------------------------------------------------------
// Placement of the bodies into the structure.

// Ring 2 with N3 = 5 after ring 1 with N3 = 6: bodies 1..7 from ring 1's columns 1..7,
// bodies 8..12 from ring 2's columns 2..6, each with its ring's body mass.
TEST(RingPhysicsPlacement, SecondRingFollowsTheFirst) {
  Structure p;
  p.NRing = 2;
  p.N30 = 6;
  RunState s = structure_state(p);
  build_ring(s, 1);
  ASSERT_EQ(s.NB, 7);
  const RunState ring1 = s;
  build_ring(s, 2, 5);
  ASSERT_EQ(s.NBprev, 7);
  ASSERT_EQ(s.NB, 12);
  ASSERT_GE(s.Xb.size(), 13u);
  for (int jb = 1; jb <= 7; ++jb) {
    SCOPED_TRACE("body " + std::to_string(jb));
    EXPECT_EQ(s.Mb[jb], ring1.Mbr);
    EXPECT_EQ(s.Xb[jb], ring1.Xr(1, jb));
    EXPECT_EQ(s.Yb[jb], ring1.Yr(1, jb));
    EXPECT_EQ(s.Zb[jb], ring1.Zr(1, jb));
    EXPECT_EQ(s.VXb[jb], ring1.Xr(2, jb));
    EXPECT_EQ(s.VYb[jb], ring1.Yr(2, jb));
    EXPECT_EQ(s.VZb[jb], ring1.Zr(2, jb));
  }
  for (int jb = 8; jb <= 12; ++jb) {
    SCOPED_TRACE("body " + std::to_string(jb));
    const int col = jb - 6;
    EXPECT_EQ(s.Mb[jb], s.Mbr);
    EXPECT_EQ(s.Xb[jb], s.Xr(1, col));
    EXPECT_EQ(s.Yb[jb], s.Yr(1, col));
    EXPECT_EQ(s.Zb[jb], s.Zr(1, col));
    EXPECT_EQ(s.VXb[jb], s.Xr(2, col));
    EXPECT_EQ(s.VYb[jb], s.Yr(2, col));
    EXPECT_EQ(s.VZb[jb], s.Zr(2, col));
  }
  // Body 8 is ring 2's body 1 at its pericentre, not ring 1's closing point.
  EXPECT_EQ(s.Xb[8], s.Rper);
  EXPECT_EQ(s.VYb[8], s.Vper);
}

// With Irot and four rings, ring 2 is turned by -pi/2 and ring 3 by -pi about x;
// ring 1 stays as built, and the ring states themselves are not turned.
TEST(RingPhysicsPlacement, RingAngleTurnsLaterRingsAboutX) {
  Structure p;
  p.NRing = 4;
  p.N30 = 6;
  p.Irot = 1;
  RunState s = structure_state(p);
  build_ring(s, 1);
  for (int jb = 1; jb <= 7; ++jb) EXPECT_EQ(s.Yb[jb], s.Yr(1, jb));

  for (int Iring = 2; Iring <= 3; ++Iring) {
    SCOPED_TRACE(Iring);
    start_ring(s, Iring);
    compute_ring_quantities(s, Iring);
    ASSERT_TRUE(iterate_ring(s));
    // A body with (y, z) = (1, 0) and velocity (0, v, 0), as the example puts it.
    s.Xr(1, 3) = 0.5, s.Yr(1, 3) = 1.0, s.Zr(1, 3) = 0.0;
    s.Xr(2, 3) = 0.0, s.Yr(2, 3) = 3.0e4, s.Zr(2, 3) = 0.0;
    const RunState before = s;
    place_ring(s, Iring);
    EXPECT_EQ(s.Yr.row[0], before.Yr.row[0]);
    EXPECT_EQ(s.Zr.row[1], before.Zr.row[1]);
    const int body = s.NBprev + 2;  // column 3
    const double sign = Iring == 2 ? 1.0 : -1.0;
    if (Iring == 2) {
      EXPECT_NEAR(s.Yb[body], 0.0, 1e-15);
      EXPECT_NEAR(s.Zb[body], -1.0, 1e-15);
      EXPECT_NEAR(s.VYb[body], 0.0, 3.0e4 * 1e-15);
      EXPECT_NEAR(s.VZb[body], -3.0e4, 3.0e4 * 1e-15);
    } else {
      EXPECT_NEAR(s.Yb[body], -1.0, 1e-15);
      EXPECT_NEAR(s.Zb[body], 0.0, 1e-15);
    }
    for (int col = 2; col <= s.N3 + 1; ++col) {
      SCOPED_TRACE("column " + std::to_string(col));
      const int jb = s.NBprev + col - 1;
      const double scale = std::fabs(s.Xr(1, 2)), vscale = s.Vper * 2.0;
      EXPECT_EQ(s.Xb[jb], s.Xr(1, col));
      EXPECT_EQ(s.VXb[jb], s.Xr(2, col));
      if (Iring == 2) {  // (y, z) -> (z, -y)
        EXPECT_NEAR(s.Yb[jb], s.Zr(1, col), scale * 1e-15);
        EXPECT_NEAR(s.Zb[jb], -s.Yr(1, col), scale * 1e-15);
        EXPECT_NEAR(s.VYb[jb], s.Zr(2, col), vscale * 1e-15);
        EXPECT_NEAR(s.VZb[jb], -s.Yr(2, col), vscale * 1e-15);
      } else {  // (y, z) -> (-y, -z)
        EXPECT_NEAR(s.Yb[jb], sign * s.Yr(1, col), scale * 1e-15);
        EXPECT_NEAR(s.Zb[jb], sign * s.Zr(1, col), scale * 1e-15);
        EXPECT_NEAR(s.VYb[jb], sign * s.Yr(2, col), vscale * 1e-15);
        EXPECT_NEAR(s.VZb[jb], sign * s.Zr(2, col), vscale * 1e-15);
      }
    }
  }
}

TEST(RingPhysicsPlacement, SingleRingIsNotTurned) {
  Structure p;
  p.Irot = 1;
  RunState s = structure_state(p);
  build_ring(s, 1);
  for (int jb = 1; jb <= s.N3 + 1; ++jb) {
    EXPECT_EQ(s.Yb[jb], s.Yr(1, jb));
    EXPECT_EQ(s.Zb[jb], s.Zr(1, jb));
    EXPECT_EQ(s.VYb[jb], s.Yr(2, jb));
    EXPECT_EQ(s.VZb[jb], s.Zr(2, jb));
  }
}

TEST(RingPhysicsPlacement, CentralBodyAtRestAtTheOriginAfterTheRingLoop) {
  Structure p;
  p.NRing = 3;
  p.Irot = 1;
  RunState s = structure_state(p);
  build_ring(s, 1);
  const double ring1Mbr = s.Mbr;
  build_ring(s, 2, 7);
  build_ring(s, 3);
  EXPECT_EQ(s.NB, 1 + 12 + 7 + 24);
  EXPECT_EQ(s.Mb[1], ring1Mbr);
  for (double v : {s.Xb[1], s.Yb[1], s.Zb[1], s.VXb[1], s.VYb[1], s.VZb[1]}) EXPECT_EQ(v, 0.0);
  // Every other body is a ring body, away from the centre.
  for (int jb = 2; jb <= s.NB; ++jb) EXPECT_GT(std::hypot(s.Xb[jb], s.Yb[jb], s.Zb[jb]), 0.5 * kAU);
}

}  // namespace
}  // namespace korvane2
