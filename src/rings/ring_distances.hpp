// Distances within a ring: the smallest distance between two of its bodies with the pair
// the visiting order of the ring report records (among equal distances the pair visited
// last), the distance of columns 2 and 3, and the smallest distance of the run.
#pragma once

#include <cmath>

#include "driver/run_state.hpp"

namespace korvane2 {

// The distance of the ordered visit (i, j): sqrt((dz2 + dy2) + dx2) with
// dx2 = (x[j] - x[i])^2. The same bit for bit for (j, i).
inline double pair_distance(const double* x, const double* y, const double* z, int i, int j) {
  double dx = x[j] - x[i], dy = y[j] - y[i], dz = z[j] - z[i];
  double dx2 = dx * dx, dy2 = dy * dy, dz2 = dz * dz;
  return std::sqrt((dz2 + dy2) + dx2);
}

struct ClosestPair {
  bool found = false;
  double dist = 0.0;
  int i = 0;  // the pair as the visit (i, j) that a double loop over i, then j, both
  int j = 0;  // increasing and accepting equal distances, records last
};

// Over the points first..last of the coordinate arrays (indexed by column).
ClosestPair closest_pair(const double* x, const double* y, const double* z, int first, int last);

// Sets d23, Rmin, imin, jmin for the ring and brings Rminn and its pair up to date.
void measure_ring_distances(RunState& s, int Iring);

}  // namespace korvane2
