// The sweeps for bodies at the same place and for overlapping bodies find exactly the
// pairs that a plain loop over all pairs finds, and show the same pair, on constructed
// and random structures; tracers never count; the overlap count stops past its limit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "structure/body_pairs.hpp"

namespace korvane2 {
namespace {

struct Bodies {
  BodyVectors Xs;
  std::vector<double> Mb{0.0}, Rad{0.0};  // index 0 unused
  int NB = 0;

  Bodies() { Xs.resize(0); }
  void add(double x, double y, double z, double m = 1.0, double r = 0.0) {
    Xs.v.push_back({x, y, z});
    Mb.push_back(m);
    Rad.push_back(r);
    ++NB;
  }
  BodyPlaces places() const { return {Xs, Mb, Rad, NB}; }
};

double dist(const Bodies& b, int i, int j) {
  return std::hypot(b.Xs(i, 1) - b.Xs(j, 1), b.Xs(i, 2) - b.Xs(j, 2), b.Xs(i, 3) - b.Xs(j, 3));
}
double from_centre(const Bodies& b, int i) { return std::hypot(b.Xs(i, 1), b.Xs(i, 2), b.Xs(i, 3)); }

// The judges: every pair i < j of bodies of positive mass, in body order; `accept` says
// whether a pair counts, and the pair shown is the first that counts or, with
// `closestFirst`, the closest (of equal distances the first).
template <class Accept>
BodyPairs all_pairs(const Bodies& b, Accept accept, bool closestFirst) {
  BodyPairs p;
  for (int i = 1; i <= b.NB; ++i)
    for (int j = i + 1; j <= b.NB; ++j) {
      if (!(b.Mb[i] > 0.0 && b.Mb[j] > 0.0)) continue;
      const double d = dist(b, i, j);
      if (!accept(i, j, d)) continue;
      if (p.count++ == 0 || (closestFirst && d < p.distance)) p.i = i, p.j = j, p.distance = d;
    }
  return p;
}
BodyPairs all_pairs_same_place(const Bodies& b) {
  return all_pairs(
      b, [&](int i, int j, double d) { return d <= 1e-9 * std::max(from_centre(b, i), from_centre(b, j)); }, false);
}
BodyPairs all_pairs_overlapping(const Bodies& b) {
  return all_pairs(b, [&](int i, int j, double d) { return d < b.Rad[i] + b.Rad[j]; }, true);
}

void expect_same(const BodyPairs& got, const BodyPairs& want, const std::string& what) {
  EXPECT_EQ(got.count, want.count) << what;
  EXPECT_EQ(got.i, want.i) << what;
  EXPECT_EQ(got.j, want.j) << what;
  EXPECT_EQ(got.distance, want.distance) << what;
}

void expect_judged(const Bodies& b) {
  expect_same(find_same_place_pairs(b.places()), all_pairs_same_place(b), "same place");
  expect_same(find_overlapping_pairs(b.places(), 1 << 30), all_pairs_overlapping(b), "overlaps");
}

TEST(BodyPairs, NoBodiesAndOneBodyHaveNoPair) {
  Bodies b;
  expect_same(find_same_place_pairs(b.places()), {}, "none");
  b.add(0.0, 0.0, 0.0, 1.0, 5.0);
  expect_same(find_same_place_pairs(b.places()), {}, "one");
  expect_same(find_overlapping_pairs(b.places(), 10), {}, "one");
}

// A ring of bodies, three of them copied: once exactly, once a rounding error away
// (1e-15 of the distance from the centre), once 3e-9 of it away (apart, but within the
// sweep's reach along the axis); two bodies at the barycentre itself; two tracers on
// one spot.
TEST(BodyPairs, ConstructedCopiesAreFoundAsTheLoopFindsThem) {
  Bodies b;
  const int n = 40;
  for (int k = 0; k < n; ++k) {
    const double a = 2.0 * M_PI * k / n;
    b.add(std::cos(a), std::sin(a), 0.01 * k, 1e-3, 1e-3);
  }
  b.add(b.Xs(5, 1), b.Xs(5, 2), b.Xs(5, 3), 1e-3, 1e-3);
  b.add(b.Xs(9, 1) * (1 + 1e-15), b.Xs(9, 2), b.Xs(9, 3), 1e-3, 1e-3);
  b.add(b.Xs(17, 1) + 3e-9 * from_centre(b, 17), b.Xs(17, 2), b.Xs(17, 3), 1e-3, 1e-3);
  b.add(0.0, 0.0, 0.0, 1.0, 0.0);
  b.add(0.0, 0.0, 0.0, 1.0, 0.0);
  b.add(0.3, 0.3, 0.3, 0.0, 1.0);
  b.add(0.3, 0.3, 0.3, 0.0, 1.0);
  const BodyPairs same = find_same_place_pairs(b.places());
  EXPECT_EQ(same.count, 3);  // 5 and its copy, 9 and its near copy, the two at the centre
  EXPECT_EQ(same.i, 5);
  EXPECT_EQ(same.j, n + 1);
  expect_judged(b);
}

// Bodies at the same place stay at the same place, and overlapping ones overlapping,
// when the whole structure is scaled by 1e-150 or 1e150: no square underflows or
// overflows on the way.
TEST(BodyPairs, ScalingTheStructureChangesNoPair) {
  for (double scale : {1e-150, 1.0, 1e150}) {
    Bodies b;
    b.add(1.0 * scale, 2.0 * scale, 0.0, 1.0, 0.5 * scale);
    b.add(1.0 * scale, 2.0 * scale, 1e-12 * scale, 1.0, 0.5 * scale);
    b.add(1.8 * scale, 2.0 * scale, 0.0, 1.0, 0.5 * scale);
    b.add(5.0 * scale, 2.0 * scale, 0.0, 1.0, 0.5 * scale);
    const BodyPairs same = find_same_place_pairs(b.places());
    EXPECT_EQ(same.count, 1) << scale;
    EXPECT_EQ(same.i, 1);
    EXPECT_EQ(same.j, 2);
    const BodyPairs over = find_overlapping_pairs(b.places(), 100);
    EXPECT_EQ(over.count, 3) << scale;  // 1-2, 1-3 and 2-3; body 4 is 3.2 away
    EXPECT_EQ(over.i, 1);
    EXPECT_EQ(over.j, 2);
  }
}

TEST(BodyPairs, OverlapCountStopsPastItsLimit) {
  Bodies b;
  for (int k = 0; k < 200; ++k) b.add(k * 1e-3, 0.0, 0.0, 1.0, 10.0);  // every pair overlaps
  const BodyPairs over = find_overlapping_pairs(b.places(), 1000);
  EXPECT_EQ(over.count, 1001);
  EXPECT_LT(over.distance, 1e-3 * 1.5);  // a closest pair found is one step apart
}

// Random clouds with planted copies and random radii, some bodies massless, on lines,
// planes and in space, against the judges.
TEST(BodyPairs, RandomStructuresAgreeWithTheLoopOverAllPairs) {
  std::mt19937_64 rng(20261211);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int trial = 0; trial < 60; ++trial) {
    Bodies b;
    const int n = 50 + trial * 7;
    const int flat = trial % 3;  // 0: space, 1: a plane, 2: a line
    for (int k = 0; k < n; ++k) {
      const double x = u(rng), y = flat == 2 ? 0.0 : u(rng), z = flat >= 1 ? 0.0 : u(rng);
      b.add(x, y, z, k % 7 == 0 ? 0.0 : 1.0, 0.02 * (1.0 + u(rng)));
    }
    for (int c = 0; c < trial % 5; ++c) {
      const int k = 1 + static_cast<int>((u(rng) + 1.0) * 0.5 * (n - 1));
      b.add(b.Xs(k, 1), b.Xs(k, 2) * (1 + 1e-13), b.Xs(k, 3), 1.0, 0.01);
    }
    SCOPED_TRACE("trial " + std::to_string(trial));
    expect_judged(b);
  }
}

}  // namespace
}  // namespace korvane2
