// What the inspector measures on a structure, against hand calculation: energies,
// virial ratio and angular momentum of a circular two-body orbit, the potential energy
// of a square, the closest pair against a search of all pairs (with ties), overlapping
// bodies, and sums that do not depend on the number of threads.
#include <gtest/gtest.h>
#include <omp.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "examine/pair_measures.hpp"
#include "examine/structure_measures.hpp"

namespace korvane2::examine {
namespace {

BodyRecord body(double m, Vec3 x, Vec3 v, double radius) {
  BodyRecord b;
  b.item[0] = m;
  for (int k = 0; k < 3; ++k) {
    b.item[static_cast<std::size_t>(1 + k)] = x[static_cast<std::size_t>(k)];
    b.item[static_cast<std::size_t>(4 + k)] = v[static_cast<std::size_t>(k)];
  }
  b.item[13] = radius;
  return b;
}

// Deterministic scattered points in the unit cube.
PairInput cloud(int n, std::uint64_t seed) {
  PairInput p;
  auto next = [&] {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(seed >> 11) / 9007199254740992.0;
  };
  for (int i = 0; i < n; ++i) {
    p.mass.push_back(0.5 + next());
    p.position.push_back({next(), next(), next()});
    p.radius.push_back(1e-4 * next());
  }
  return p;
}

TEST(InspectMeasures, CircularTwoBodyOrbitHasVirialRatioOne) {
  // Masses 1/2 at x = +-1/2: each feels G m / d^2 = 1/2 and moves on a circle of
  // radius 1/2, so v^2 / r = 1/2 gives v = 1/2.
  InitialData d;
  d.bodies = {body(0.5, {0.5, 0, 0}, {0, 0.5, 0}, 0.1), body(0.5, {-0.5, 0, 0}, {0, -0.5, 0}, 0.2)};
  const StructureMeasures m = measure_structure(d);
  EXPECT_DOUBLE_EQ(m.totalMass, 1.0);
  EXPECT_DOUBLE_EQ(m.kinetic, 0.125);    // 2 * 1/2 * 1/2 * 1/4
  EXPECT_DOUBLE_EQ(m.potential, -0.25);  // -(1/2)(1/2)/1
  EXPECT_DOUBLE_EQ(m.virial, 1.0);
  EXPECT_DOUBLE_EQ(m.angularMomentum[2], 0.25);  // 2 * 1/2 * (1/2)(1/2)
  EXPECT_EQ(m.angularMomentum[0], 0.0);
  EXPECT_EQ(m.momentum[1], 0.0);
  EXPECT_EQ(m.closest.i, 0);
  EXPECT_EQ(m.closest.j, 1);
  EXPECT_DOUBLE_EQ(m.closest.distance, 1.0);
  EXPECT_DOUBLE_EQ(m.closestRadiusSum, 0.3);
  EXPECT_EQ(m.smallestRadiusBody, 0);
  EXPECT_EQ(m.largestRadiusBody, 1);
  EXPECT_EQ(m.pairs.overlaps, 0);
}

TEST(InspectMeasures, PotentialOfASquareOfEqualMasses) {
  // Four masses 1/4 on the unit circle: four sides of length sqrt 2, two diagonals of 2.
  InitialData d;
  for (Vec3 x : {Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{-1, 0, 0}, Vec3{0, -1, 0}}) d.bodies.push_back(body(0.25, x, {}, 0));
  const StructureMeasures m = measure_structure(d);
  EXPECT_NEAR(m.potential, -(0.25 * 0.25) * (4.0 / std::sqrt(2.0) + 2.0 / 2.0), 1e-15);
  EXPECT_EQ(m.kinetic, 0.0);
  EXPECT_NEAR(m.closest.distance, std::sqrt(2.0), 1e-15);
  EXPECT_EQ(m.closest.i, 0);  // of the four sides, the pair (1, 2) comes first
  EXPECT_EQ(m.closest.j, 1);
}

TEST(InspectMeasures, ClosestPairIsThatOfASearchOfAllPairs) {
  for (int n : {2, 3, 50, 700}) {
    const PairInput p = cloud(n, static_cast<std::uint64_t>(n));
    double best = INFINITY;
    int bi = -1, bj = -1;
    for (int i = 0; i < n; ++i)
      for (int j = i + 1; j < n; ++j) {
        double d2 = 0;
        for (int k = 0; k < 3; ++k) d2 += std::pow(p.position[i][k] - p.position[j][k], 2);
        if (d2 < best) {
          best = d2;
          bi = i;
          bj = j;
        }
      }
    const ClosestPair c = closest_pair(p);
    EXPECT_EQ(c.i, bi) << n;
    EXPECT_EQ(c.j, bj) << n;
    EXPECT_NEAR(c.distance, std::sqrt(best), 1e-15) << n;
  }
}

TEST(InspectMeasures, ClosestPairOfEqualDistancesIsTheFirstAndMasslessBodiesTakeNoPart) {
  // A row of bodies one apart along y (the widest axis), listed out of order; body 3 has
  // no mass and sits on body 0.
  PairInput p;
  p.mass = {1, 1, 1, 0, 1};
  p.position = {{0, 3, 0}, {0, 1, 0}, {0, 2, 0}, {0, 3, 0}, {0, 0, 0}};
  p.radius = {0, 0, 0, 0, 0};
  const ClosestPair c = closest_pair(p);
  EXPECT_EQ(c.i, 0);
  EXPECT_EQ(c.j, 2);
  EXPECT_EQ(c.distance, 1.0);
}

TEST(InspectMeasures, OverlapsAreCountedWithTheDeepestPair) {
  PairInput p;
  p.mass = {1, 1, 1, 1};
  p.position = {{0, 0, 0}, {0.5, 0, 0}, {5, 0, 0}, {5.9, 0, 0}};
  p.radius = {0.3, 0.3, 0.5, 0.5};  // pairs (0,1): 0.5 < 0.6; (2,3): 0.9 < 1.0
  const PairSums s = pair_sums(p);
  EXPECT_EQ(s.overlaps, 2);
  EXPECT_EQ(s.deepestI, 0);  // 0.5 / 0.6 is deeper than 0.9 / 1.0
  EXPECT_EQ(s.deepestJ, 1);
  EXPECT_DOUBLE_EQ(s.deepestDistance, 0.5);
  EXPECT_DOUBLE_EQ(s.deepestRadiusSum, 0.6);

  p.radius = {0.25, 0.25, 0.45, 0.45};  // touching or apart: no overlap
  EXPECT_EQ(pair_sums(p).overlaps, 0);
}

TEST(InspectMeasures, CoincidentBodiesMakeThePotentialInfinite) {
  PairInput p;
  p.mass = {1, 1, 0};
  p.position = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
  p.radius = {0, 0, 0};
  const PairSums s = pair_sums(p);
  EXPECT_EQ(s.coincidentPairs, 1);  // the massless body is not counted
  EXPECT_TRUE(std::isinf(s.potential) && s.potential < 0);
}

TEST(InspectMeasures, PairSumsDoNotDependOnTheNumberOfThreads) {
  const PairInput p = cloud(1500, 7);
  const int before = omp_get_max_threads();
  omp_set_num_threads(1);
  const PairSums one = pair_sums(p);
  omp_set_num_threads(3);
  const PairSums three = pair_sums(p);
  omp_set_num_threads(before);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(one.potential), std::bit_cast<std::uint64_t>(three.potential));
  EXPECT_EQ(one.overlaps, three.overlaps);
  EXPECT_EQ(one.deepestI, three.deepestI);
  EXPECT_EQ(one.deepestJ, three.deepestJ);
  // And the sum is right: against a plain loop over all pairs.
  double w = 0;
  for (std::size_t i = 0; i < p.mass.size(); ++i)
    for (std::size_t j = i + 1; j < p.mass.size(); ++j) {
      double d2 = 0;
      for (int k = 0; k < 3; ++k) d2 += std::pow(p.position[i][k] - p.position[j][k], 2);
      w -= p.mass[i] * p.mass[j] / std::sqrt(d2);
    }
  EXPECT_NEAR(one.potential, w, 1e-12 * std::fabs(w));
}

}  // namespace
}  // namespace korvane2::examine
