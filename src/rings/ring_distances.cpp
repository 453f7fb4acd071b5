// Closest pair of a ring without visiting every pair: the points are swept in order of
// x, and a pair is measured only while its x difference can still give a distance no
// larger than the best so far. The distance of a pair and the recorded pair are exactly
// those of the double loop: the minimum is unique, and among the pairs that reach it the
// double loop keeps the one with the largest first index and then the largest second,
// that is (max(a,b), min(a,b)) maximal, whatever order the pairs are measured in.
#include "rings/ring_distances.hpp"

#include <algorithm>
#include <limits>
#include <vector>

namespace korvane2 {

namespace {

// A pair whose rounded x (or y, z) difference exceeds the bound by more than this
// relative margin cannot have a rounded distance within the bound: the rounding errors
// are a few ulps, as long as the square of the difference neither overflows nor
// underflows. Coordinates are therefore checked against kLargestSafeCoordinate, and a
// difference below kSmallestSafeDifference (whose square may underflow, giving a
// distance smaller than the difference) is never taken as a reason to skip a pair.
constexpr double kLargestSafeCoordinate = 1e150;
constexpr double kSmallestSafeDifference = 1e-140;
constexpr double kPruneMargin = 1.0 + 1e-14;
constexpr int kSweepThreshold = 64;

void consider(ClosestPair& best, double d, int a, int b) {
  int hi = std::max(a, b), lo = std::min(a, b);
  if (!best.found || d < best.dist || (d == best.dist && (hi > best.i || (hi == best.i && lo > best.j)))) {
    best.found = true;
    best.dist = d;
    best.i = hi;
    best.j = lo;
  }
}

ClosestPair all_pairs(const double* x, const double* y, const double* z, int first, int last) {
  ClosestPair best;
  for (int a = first; a <= last; ++a)
    for (int b = a + 1; b <= last; ++b) consider(best, pair_distance(x, y, z, a, b), a, b);
  return best;
}

bool sweep_is_safe(const double* x, const double* y, const double* z, int first, int last) {
  for (int c = first; c <= last; ++c)
    if (std::fabs(x[c]) > kLargestSafeCoordinate || std::fabs(y[c]) > kLargestSafeCoordinate ||
        std::fabs(z[c]) > kLargestSafeCoordinate)
      return false;
  return true;
}

ClosestPair sweep(const double* x, const double* y, const double* z, int first, int last, double bound) {
  const int n = last - first + 1;
  std::vector<int> order(n);
  for (int p = 0; p < n; ++p) order[p] = first + p;
  std::sort(order.begin(), order.end(), [x](int a, int b) { return x[a] < x[b] || (x[a] == x[b] && a < b); });

  ClosestPair result;
#pragma omp parallel
  {
    ClosestPair best;
#pragma omp for schedule(static) nowait
    for (int p = 0; p < n; ++p) {
      const int a = order[p];
      auto limit_of = [&] {
        return std::max((best.found ? std::min(bound, best.dist) : bound) * kPruneMargin, kSmallestSafeDifference);
      };
      double limit = limit_of();
      for (int q = p + 1; q < n; ++q) {
        const int b = order[q];
        if (x[b] - x[a] > limit) break;
        if (std::fabs(y[b] - y[a]) > limit || std::fabs(z[b] - z[a]) > limit) continue;
        double d = pair_distance(x, y, z, a, b);
        if (d <= bound) {
          consider(best, d, a, b);
          limit = limit_of();
        }
      }
    }
#pragma omp critical
    if (best.found) consider(result, best.dist, best.i, best.j);
  }
  return result;
}

}  // namespace

ClosestPair closest_pair(const double* x, const double* y, const double* z, int first, int last) {
  if (last - first + 1 < kSweepThreshold) return all_pairs(x, y, z, first, last);
  // Neighbours along the ring give a distance the minimum cannot exceed.
  double bound = std::numeric_limits<double>::infinity();
  for (int c = first; c < last; ++c) bound = std::min(bound, pair_distance(x, y, z, c, c + 1));
  if (!sweep_is_safe(x, y, z, first, last)) return all_pairs(x, y, z, first, last);
  return sweep(x, y, z, first, last, bound);
}

void measure_ring_distances(RunState& s, int Iring) {
  const double* x = s.Xr.row[0].data();
  const double* y = s.Yr.row[0].data();
  const double* z = s.Zr.row[0].data();
  const int last = s.N3 + 1;
  if (last >= 3) s.d23 = pair_distance(x, y, z, 2, 3);
  ClosestPair p = closest_pair(x, y, z, 2, last);
  if (p.found && s.Rmin >= p.dist) {
    s.Rmin = p.dist;
    s.imin = p.i;
    s.jmin = p.j;
  }
  if (s.Rmin <= s.Rminn) {
    s.Rminn = s.Rmin;
    s.iRminn = s.imin;
    s.jRminn = s.jmin;
    s.ringRminn = Iring;
  }
}

}  // namespace korvane2
