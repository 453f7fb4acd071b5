// The quantities over pairs of bodies: the closest pair (a sorted sweep), and the
// potential energy and overlapping bodies (all pairs, in parallel, in a fixed order).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace korvane2::examine {

using Vec3 = std::array<double, 3>;

// Bodies as the pair quantities see them; index i is body i + 1.
struct PairInput {
  std::vector<double> mass;
  std::vector<Vec3> position;
  std::vector<double> radius;
};

struct ClosestPair {
  int i = -1, j = -1;  // 0-based, i < j; -1 when fewer than two bodies take part
  double distance = 0.0;
};

// The pair of smallest distance among the bodies of positive mass (a body of mass 0 has no
// computed position); of pairs at the same distance the one with the smallest i, then j.
ClosestPair closest_pair(const PairInput& bodies);

struct PairSums {
  double potential = 0.0;           // W = -sum over pairs of m_i m_j / r_ij, G = 1
  std::int64_t coincidentPairs = 0; // pairs of positive masses at distance 0 (W infinite)
  std::int64_t overlaps = 0;        // pairs closer than the sum of their radii
  int deepestI = -1, deepestJ = -1; // the overlapping pair of smallest distance / radius sum
  double deepestDistance = 0.0;
  double deepestRadiusSum = 0.0;
};

// Sums over all pairs of bodies of positive mass. Rows are summed in fixed blocks and the
// blocks in their order, so the result does not depend on the number of threads.
PairSums pair_sums(const PairInput& bodies);

}  // namespace korvane2::examine
