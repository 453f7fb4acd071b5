// The distance search within a ring against the literal double loop over every ordered
// pair: the same smallest distance bit for bit, the same recorded pair (among equal
// distances the pair visited last), the same distance of columns 2 and 3 and the same
// smallest distance of the run, on computed rings and on point sets built to tie.
#include <gtest/gtest.h>
#include <omp.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "driver/parameters.hpp"
#include "rings/literal_ring.hpp"
#include "support/structure_setup.hpp"
#include "support/thread_count_guard.hpp"
#include "rings/ring_distances.hpp"
#include "rings/ring_iteration.hpp"
#include "rings/ring_quantities.hpp"

namespace korvane2 {
namespace {

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

using testing::ThreadCountGuard;

// Positions of a ring by column: 1 the centre, 2 .. n+1 the bodies, n+2 the closing point.
struct Points {
  std::vector<double> x, y, z;
  int n() const { return static_cast<int>(x.size()) - 3; }
};

// n bodies from a generator of the body's position; the centre and the closing point
// sit on body 1, so that measuring either of them would show as a zero distance.
Points make_points(int n, const std::function<void(int, double&, double&, double&)>& body) {
  Points p;
  p.x.assign(static_cast<std::size_t>(n) + 3, 0.0);
  p.y = p.x;
  p.z = p.x;
  for (int b = 1; b <= n; ++b) body(b, p.x[b + 1], p.y[b + 1], p.z[b + 1]);
  for (int c : {1, n + 2}) {
    p.x[c] = p.x[2];
    p.y[c] = p.y[2];
    p.z[c] = p.z[2];
  }
  return p;
}

// A fixed permutation of 1..n (multiplication by a unit modulo n), to break any order
// of the columns along x.
int shuffled(int b, int n) {
  int step = 37;
  while (std::gcd(step, n) != 1) ++step;
  return static_cast<int>((static_cast<long>(b - 1) * step) % n) + 1;
}

// Deterministic pseudo-random integers.
struct Lcg {
  std::uint64_t state;
  int next(int range) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(range));
  }
};

// Loads positions into the ring state arrays of a record, as the iteration leaves them.
void load_ring(RunState& s, const Points& p) {
  s.N3 = p.n();
  for (RowPair* a : {&s.Xr, &s.Yr, &s.Zr}) a->resize(static_cast<std::size_t>(p.n()) + 2);
  for (int c = 1; c <= p.n() + 2; ++c) {
    s.Xr(1, c) = p.x[c];
    s.Yr(1, c) = p.y[c];
    s.Zr(1, c) = p.z[c];
  }
}

void expect_same_state(const RunState& f, const literal::DistanceState& L) {
  EXPECT_EQ(bits(f.Rmin), bits(L.Rmin)) << f.Rmin << " vs " << L.Rmin;
  EXPECT_EQ(f.imin, L.imin);
  EXPECT_EQ(f.jmin, L.jmin);
  EXPECT_EQ(bits(f.d23), bits(L.d23)) << f.d23 << " vs " << L.d23;
  EXPECT_EQ(bits(f.Rminn), bits(L.Rminn)) << f.Rminn << " vs " << L.Rminn;
  EXPECT_EQ(f.iRminn, L.iRminn);
  EXPECT_EQ(f.jRminn, L.jRminn);
  EXPECT_EQ(f.ringRminn, L.ringRminn);
}

// Runs closest_pair and measure_ring_distances for 1, 2 and 4 threads on the ring held
// in `start` and compares both with the literal double loop.
void expect_matches_literal(const RunState& start, int Iring) {
  const int N3 = start.N3;
  literal::DistanceState L = literal::distance_state(start);
  literal::ring_distances(start.Xr.row[0].data(), start.Yr.row[0].data(), start.Zr.row[0].data(), N3, Iring, L);

  ThreadCountGuard guard;
  for (int threads : {1, 2, 4}) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    omp_set_num_threads(threads);
    ClosestPair p =
        closest_pair(start.Xr.row[0].data(), start.Yr.row[0].data(), start.Zr.row[0].data(), 2, N3 + 1);
    EXPECT_EQ(p.found, N3 >= 2);
    if (N3 >= 2) {
      EXPECT_EQ(bits(p.dist), bits(L.Rmin)) << p.dist << " vs " << L.Rmin;
      EXPECT_EQ(p.i, L.imin);
      EXPECT_EQ(p.j, L.jmin);
    }
    RunState f = start;
    measure_ring_distances(f, Iring);
    expect_same_state(f, L);
  }
}

// A record prepared for the distance search of one ring, as after its quantities.
RunState ring_record(const Points& p) {
  RunState s;
  set_constants(s);
  load_ring(s, p);
  s.Rmin = 1e99;
  return s;
}

// ---------------------------------------------------------------------------------
// Computed rings.

struct ComputedRing {
  const char* name;
  int N3;
  double Ecc, Ctilt, okf0, EPS;
};

void PrintTo(const ComputedRing& c, std::ostream* os) { *os << c.name; }

const ComputedRing kComputedRings[] = {
    {"N3_2", 2, 0.1, 0.3, 0.9, 1e-10},
    {"N3_3_tilt1", 3, 0.0, 1.0, 0.9, 0.05},
    {"N3_12_eccentric", 12, 0.6, -0.7, 0.9, 1e-10},
    {"N3_12_flat_circle", 12, 0.0, 0.0, 0.7, 1e-10},
    {"N3_97", 97, 0.1, 0.3, 0.9, 1e-10},
    {"N3_500_flat_circle", 500, 0.0, 0.0, 0.45, 1e-12},
    {"N3_500_ecc_minus03", 500, -0.3, 1.0, 0.5, -1.0},
    {"N3_3000", 3000, 0.1, 0.3, 0.9, 1e-10},
    {"N3_3000_flat_eccentric", 3000, 0.6, 0.0, 0.9, 0.05},
};

class RingDistancesComputedRing : public ::testing::TestWithParam<ComputedRing> {};

TEST_P(RingDistancesComputedRing, MatchesTheDoubleLoop) {
  const ComputedRing& c = GetParam();
  testing::StructureParameters p;
  p.N30 = c.N3;
  p.Ecc = c.Ecc;
  p.okf0 = c.okf0;
  p.Ctilt = c.Ctilt;
  p.EPS = c.EPS;
  RunState s = testing::first_ring_state(p);
  ASSERT_EQ(s.N3, c.N3);
  ASSERT_TRUE(iterate_ring(s));
  expect_matches_literal(s, 1);
}

INSTANTIATE_TEST_SUITE_P(RingDistancesCases, RingDistancesComputedRing, ::testing::ValuesIn(kComputedRings),
                         [](const ::testing::TestParamInfo<ComputedRing>& info) {
                           return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------
// Constructed point sets: exact ties, duplicates, both sides of the sweep threshold.

struct PointSetCase {
  const char* name;
  std::function<Points()> make;
};

void PrintTo(const PointSetCase& c, std::ostream* os) { *os << c.name; }

Points regular_polygon(int n, double radius) {
  return make_points(n, [=](int b, double& x, double& y, double& z) {
    double phi = 6.283185307179586 * static_cast<double>(b - 1) / static_cast<double>(n);
    x = radius * std::cos(phi);
    y = radius * std::sin(phi);
    z = 0.0;
  });
}

// Integer lattice k x k (x k when 3D), spacing `h`, columns in shuffled order.
Points lattice(int k, bool threeD, double h, bool shuffle) {
  const int n = threeD ? k * k * k : k * k;
  return make_points(n, [=](int b, double& x, double& y, double& z) {
    int m = (shuffle ? shuffled(b, n) : b) - 1;
    x = h * static_cast<double>(m % k);
    y = h * static_cast<double>((m / k) % k);
    z = threeD ? h * static_cast<double>(m / (k * k)) : 0.0;
  });
}

// Equally spaced along one axis (0 x, 1 y, 2 z), exactly representable coordinates.
Points line(int n, int axis, bool shuffle) {
  return make_points(n, [=](int b, double& x, double& y, double& z) {
    double t = 0.25 * static_cast<double>(shuffle ? shuffled(b, n) : b) - 3.0;
    x = axis == 0 ? t : 1.5;
    y = axis == 1 ? t : -2.0;
    z = axis == 2 ? t : 0.5;
  });
}

// Random integer points in a small cube: many exactly equal distances.
Points quantized_cloud(int n, int range, std::uint64_t seed) {
  Lcg rng{seed};
  std::vector<double> xs, ys, zs;
  for (int b = 0; b < n; ++b) {
    xs.push_back(rng.next(range));
    ys.push_back(rng.next(range));
    zs.push_back(rng.next(range));
  }
  return make_points(n, [&](int b, double& x, double& y, double& z) {
    x = xs[b - 1];
    y = ys[b - 1];
    z = zs[b - 1];
  });
}

// Irregular points of a ring's size with body `copy` moved onto body `of`.
Points with_duplicate(int n, int copy, int of) {
  Points p = make_points(n, [=](int b, double& x, double& y, double& z) {
    double t = static_cast<double>(b);
    x = 1e11 * std::cos(0.37 * t * t);
    y = 1e11 * std::sin(0.37 * t * t);
    z = 1e9 * std::sin(1.3 * t);
  });
  p.x[copy + 1] = p.x[of + 1];
  p.y[copy + 1] = p.y[of + 1];
  p.z[copy + 1] = p.z[of + 1];
  return p;
}

// Every body twice: columns b and b + n/2 (apart) or b and b+1 (neighbours).
Points all_doubled(int n, bool neighbours) {
  return make_points(n, [=](int b, double& x, double& y, double& z) {
    int m = neighbours ? (b + 1) / 2 : (b - 1) % (n / 2) + 1;
    double t = static_cast<double>(m);
    x = 3e10 * std::cos(0.9 * t);
    y = 3e10 * std::sin(0.9 * t);
    z = 1e8 * t;
  });
}

const PointSetCase kPointSets[] = {
    {"Square_exact_ties", [] { return lattice(2, false, 2.0, false); }},
    {"Polygon_5", [] { return regular_polygon(5, 1.5e11); }},
    {"Polygon_12", [] { return regular_polygon(12, 1.5e11); }},
    {"Polygon_63", [] { return regular_polygon(63, 1.5e11); }},
    {"Polygon_64", [] { return regular_polygon(64, 1.5e11); }},
    {"Polygon_65", [] { return regular_polygon(65, 1.0); }},
    {"Polygon_400", [] { return regular_polygon(400, 2.0e11); }},
    {"Lattice_7x7", [] { return lattice(7, false, 1.0, false); }},
    {"Lattice_8x8", [] { return lattice(8, false, 1.0, false); }},
    {"Lattice_8x8_shuffled", [] { return lattice(8, false, 0.5, true); }},
    {"Lattice_12x12_shuffled", [] { return lattice(12, false, 3.0, true); }},
    {"Cube_4x4x4_shuffled", [] { return lattice(4, true, 0.5, true); }},
    {"Cube_6x6x6", [] { return lattice(6, true, 2.0, false); }},
    {"Line_x_10", [] { return line(10, 0, false); }},
    {"Line_x_100", [] { return line(100, 0, false); }},
    {"Line_x_100_shuffled", [] { return line(100, 0, true); }},
    {"Line_y_100_shuffled", [] { return line(100, 1, true); }},
    {"Line_z_63", [] { return line(63, 2, false); }},
    {"Line_z_64_shuffled", [] { return line(64, 2, true); }},
    {"Duplicate_far_apart_100", [] { return with_duplicate(100, 83, 17); }},
    {"Duplicate_far_apart_30", [] { return with_duplicate(30, 25, 4); }},
    {"Duplicate_neighbours_100", [] { return with_duplicate(100, 51, 50); }},
    {"All_doubled_apart_100", [] { return all_doubled(100, false); }},
    {"All_doubled_neighbours_100", [] { return all_doubled(100, true); }},
    {"All_doubled_apart_20", [] { return all_doubled(20, false); }},
    {"All_identical_70", [] { return make_points(70, [](int, double& x, double& y, double& z) { x = 1.0, y = 2.0, z = 3.0; }); }},
    {"Quantized_cloud_50", [] { return quantized_cloud(50, 6, 11); }},
    {"Quantized_cloud_300", [] { return quantized_cloud(300, 12, 12345); }},
    {"Quantized_cloud_1000", [] { return quantized_cloud(1000, 20, 99); }},
    // Two pairs whose separations are so small that their squares underflow to zero,
    // the pair with the larger columns further along x, the other bodies far apart.
    {"Underflowing_separations_80",
     [] {
       Points p = make_points(80, [](int b, double& x, double& y, double& z) {
         x = static_cast<double>(b + 1) * 1e-130;
         y = 0.0;
         z = 0.0;
       });
       p.x[20] = 0.0, p.y[20] = 1e-130;
       p.x[30] = 1e-170, p.y[30] = 1e-130;
       p.x[40] = 2e-170, p.y[40] = 2e-130;
       p.x[70] = 3e-170, p.y[70] = 2e-130;
       return p;
     }},
    // Two pairs whose squared separations are subnormal: the coarse rounding there makes
    // their distances equal (and smaller than their x differences by far more than the
    // rounding of normal numbers would).
    {"Subnormal_square_ties_80",
     [] {
       Points p = make_points(80, [](int b, double& x, double& y, double& z) {
         x = static_cast<double>(b + 1) * 1e-130;
         y = 0.0;
         z = 0.0;
       });
       p.x[20] = 0.0, p.y[20] = 1e-130;
       p.x[30] = 1e-158, p.y[30] = 1e-130;
       p.x[40] = 2e-158, p.y[40] = 2e-130;
       p.x[70] = 2e-158 + 1e-158 * (1.0 + 1e-9), p.y[70] = 2e-130;
       return p;
     }},
};

class RingDistancesPointSet : public ::testing::TestWithParam<PointSetCase> {};

TEST_P(RingDistancesPointSet, MatchesTheDoubleLoop) {
  RunState s = ring_record(GetParam().make());
  s.Rminn = 1e99;
  expect_matches_literal(s, 1);
  // As a later ring of the run, against a smaller minimum already recorded.
  s.Rminn = 1e-300;
  s.iRminn = 9, s.jRminn = 8, s.ringRminn = 1;
  expect_matches_literal(s, 2);
}

INSTANTIATE_TEST_SUITE_P(RingDistancesSets, RingDistancesPointSet, ::testing::ValuesIn(kPointSets),
                         [](const ::testing::TestParamInfo<PointSetCase>& info) {
                           return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------
// Recorded values, worked out by hand.

// Exact ties: the pair visited last wins, the largest first column, then the largest
// second column.
TEST(RingDistancesTieRule, EqualSpacingOnALineRecordsTheLastPair) {
  RunState s = ring_record(line(10, 0, false));
  s.Rminn = 1e99;
  measure_ring_distances(s, 1);
  EXPECT_EQ(s.Rmin, 0.25);
  EXPECT_EQ(s.imin, 11);
  EXPECT_EQ(s.jmin, 10);
  EXPECT_EQ(s.d23, 0.25);
}

TEST(RingDistancesTieRule, AllBodiesAtOnePointRecordTheLastTwoColumns) {
  for (int n : {20, 70}) {
    SCOPED_TRACE(n);
    RunState s = ring_record(make_points(n, [](int, double& x, double& y, double& z) { x = 1.0, y = 2.0, z = 3.0; }));
    s.Rminn = 1e99;
    measure_ring_distances(s, 1);
    EXPECT_EQ(s.Rmin, 0.0);
    EXPECT_EQ(s.imin, n + 1);
    EXPECT_EQ(s.jmin, n);
  }
}

TEST(RingDistancesTieRule, UniqueMinimalPairIsRecordedLargerColumnFirst) {
  for (int n : {30, 100}) {
    SCOPED_TRACE(n);
    RunState s = ring_record(with_duplicate(n, n - 5, 3));
    s.Rminn = 1e99;
    measure_ring_distances(s, 1);
    EXPECT_EQ(s.Rmin, 0.0);
    EXPECT_EQ(s.imin, n - 4);  // body n-5 is column n-4
    EXPECT_EQ(s.jmin, 4);
  }
}

TEST(RingDistancesTwoBodies, OnlyPairIsColumns3And2) {
  Points p = make_points(2, [](int b, double& x, double& y, double& z) {
    x = b == 1 ? 3.0 : 0.0;
    y = b == 1 ? 0.0 : 4.0;
    z = 0.0;
  });
  RunState s = ring_record(p);
  s.Rminn = 1e99;
  measure_ring_distances(s, 1);
  EXPECT_EQ(s.d23, 5.0);
  EXPECT_EQ(s.Rmin, 5.0);
  EXPECT_EQ(s.imin, 3);
  EXPECT_EQ(s.jmin, 2);
  EXPECT_EQ(s.Rminn, 5.0);
  EXPECT_EQ(s.iRminn, 3);
  EXPECT_EQ(s.jRminn, 2);
  EXPECT_EQ(s.ringRminn, 1);
}

// One body: no pair. Rmin stays 1e99, the previous ring's columns and d23 stay, and
// the run's minimum takes them over while it is still 1e99 itself.
TEST(RingDistancesOneBody, NoPairKeepsStaleValuesAndStillUpdatesAnUnsetRunMinimum) {
  RunState s = ring_record(make_points(1, [](int, double& x, double& y, double& z) { x = 1e11, y = 0.0, z = 0.0; }));
  s.imin = 5, s.jmin = 4, s.d23 = 3.5;
  s.Rminn = 1e99;
  literal::DistanceState L = literal::distance_state(s);
  literal::ring_distances(s.Xr.row[0].data(), s.Yr.row[0].data(), s.Zr.row[0].data(), 1, 3, L);
  measure_ring_distances(s, 3);
  EXPECT_EQ(s.Rmin, 1e99);
  EXPECT_EQ(s.imin, 5);
  EXPECT_EQ(s.jmin, 4);
  EXPECT_EQ(s.d23, 3.5);
  EXPECT_EQ(s.Rminn, 1e99);
  EXPECT_EQ(s.iRminn, 5);
  EXPECT_EQ(s.jRminn, 4);
  EXPECT_EQ(s.ringRminn, 3);
  expect_same_state(s, L);
  EXPECT_FALSE(closest_pair(s.Xr.row[0].data(), s.Yr.row[0].data(), s.Zr.row[0].data(), 2, 2).found);
}

TEST(RingDistancesOneBody, NoPairLeavesASetRunMinimumAlone) {
  RunState s = ring_record(make_points(1, [](int, double& x, double& y, double& z) { x = 1e11, y = 0.0, z = 0.0; }));
  s.Rminn = 2.0e9, s.iRminn = 7, s.jRminn = 6, s.ringRminn = 1;
  measure_ring_distances(s, 2);
  EXPECT_EQ(s.Rmin, 1e99);
  EXPECT_EQ(s.Rminn, 2.0e9);
  EXPECT_EQ(s.iRminn, 7);
  EXPECT_EQ(s.jRminn, 6);
  EXPECT_EQ(s.ringRminn, 1);
}

// Over the run: a later ring with the same minimum takes over, a larger one does not.
TEST(RingDistancesRunMinimum, EqualMinimumNamesTheLaterRing) {
  for (int n : {12, 80}) {
    SCOPED_TRACE(n);
    RunState s;
    set_constants(s);
    EXPECT_EQ(s.Rminn, 1e99);
    load_ring(s, line(n, 0, false));
    s.Rmin = 1e99;
    measure_ring_distances(s, 1);
    EXPECT_EQ(s.ringRminn, 1);
    EXPECT_EQ(s.Rminn, 0.25);

    // Ring 2: the same spacing on another axis, fewer bodies.
    load_ring(s, line(n - 3, 1, true));
    s.Rmin = 1e99;
    measure_ring_distances(s, 2);
    EXPECT_EQ(s.Rminn, 0.25);
    EXPECT_EQ(s.ringRminn, 2);
    EXPECT_EQ(s.iRminn, s.imin);
    EXPECT_EQ(s.jRminn, s.jmin);

    // Ring 3: wider spacing leaves the run's minimum with ring 2.
    const int i2 = s.iRminn, j2 = s.jRminn;
    load_ring(s, lattice(5, false, 1.0, false));
    s.Rmin = 1e99;
    measure_ring_distances(s, 3);
    EXPECT_EQ(s.Rmin, 1.0);
    EXPECT_EQ(s.Rminn, 0.25);
    EXPECT_EQ(s.ringRminn, 2);
    EXPECT_EQ(s.iRminn, i2);
    EXPECT_EQ(s.jRminn, j2);
  }
}

}  // namespace
}  // namespace korvane2
