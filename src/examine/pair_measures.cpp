// Closest pair by a sweep along the axis of largest spread; potential energy and overlaps
// by an OpenMP loop over blocks of rows, combined in block order.
#include "examine/pair_measures.hpp"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace korvane2::examine {

namespace {

constexpr int kRowsPerBlock = 16;
constexpr int kLanes = 4;
// Fewer bodies than this are summed on one thread: starting threads would cost more.
constexpr int kParallelBodies = 512;

double squared_distance(const Vec3& a, const Vec3& b) {
  const double dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  return dx * dx + dy * dy + dz * dz;
}

std::vector<int> massive_bodies(const PairInput& bodies) {
  std::vector<int> index;
  for (std::size_t i = 0; i < bodies.mass.size(); ++i)
    if (bodies.mass[i] > 0.0) index.push_back(static_cast<int>(i));
  return index;
}

}  // namespace

ClosestPair closest_pair(const PairInput& bodies) {
  std::vector<int> order = massive_bodies(bodies);
  ClosestPair best;
  if (order.size() < 2) return best;

  // Sweep along the axis on which the bodies spread most.
  int axis = 0;
  double widest = -1.0;
  for (int k = 0; k < 3; ++k) {
    double lo = bodies.position[order[0]][k], hi = lo;
    for (int i : order) {
      lo = std::min(lo, bodies.position[i][k]);
      hi = std::max(hi, bodies.position[i][k]);
    }
    if (hi - lo > widest) {
      widest = hi - lo;
      axis = k;
    }
  }
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    const double ca = bodies.position[a][axis], cb = bodies.position[b][axis];
    return ca < cb || (ca == cb && a < b);
  });

  double best2 = INFINITY;
  for (std::size_t a = 0; a < order.size(); ++a) {
    const Vec3& pa = bodies.position[order[a]];
    for (std::size_t b = a + 1; b < order.size(); ++b) {
      const Vec3& pb = bodies.position[order[b]];
      const double gap = pb[axis] - pa[axis];
      if (gap * gap > best2) break;  // every later body is at least this far along the axis
      const double d2 = squared_distance(pa, pb);
      const int i = std::min(order[a], order[b]), j = std::max(order[a], order[b]);
      if (d2 < best2 || (d2 == best2 && std::tie(i, j) < std::tie(best.i, best.j))) {
        best2 = d2;
        best.i = i;
        best.j = j;
      }
    }
  }
  best.distance = std::sqrt(best2);
  return best;
}

PairSums pair_sums(const PairInput& bodies) {
  const std::vector<int> index = massive_bodies(bodies);
  const int n = static_cast<int>(index.size());
  // One array per component, so that the inner loop runs over contiguous values.
  std::vector<double> x(static_cast<std::size_t>(n)), y(x), z(x), m(x), r(x);
  for (int a = 0; a < n; ++a) {
    const std::size_t i = static_cast<std::size_t>(index[static_cast<std::size_t>(a)]);
    x[a] = bodies.position[i][0];
    y[a] = bodies.position[i][1];
    z[a] = bodies.position[i][2];
    m[a] = bodies.mass[i];
    r[a] = bodies.radius[i];
  }

  const int blocks = (n + kRowsPerBlock - 1) / kRowsPerBlock;
  std::vector<PairSums> part(static_cast<std::size_t>(blocks));
  std::vector<double> deepestRatio(static_cast<std::size_t>(blocks), INFINITY);

#pragma omp parallel for schedule(dynamic, 1) if (n >= kParallelBodies)
  for (int block = 0; block < blocks; ++block) {
    PairSums& s = part[static_cast<std::size_t>(block)];
    double& ratio = deepestRatio[static_cast<std::size_t>(block)];
    const int end = std::min(n, (block + 1) * kRowsPerBlock);
    for (int a = block * kRowsPerBlock; a < end; ++a) {
      const double xa = x[a], ya = y[a], za = z[a], ra = r[a];
      // Terms of the row in kLanes running sums, lane b % kLanes: a fixed order that the
      // compiler may still evaluate several lanes at a time.
      double lane[kLanes] = {};
      std::int64_t coincident = 0, overlaps = 0;
      int b = a + 1;
      for (; b + kLanes <= n; b += kLanes) {
        for (int k = 0; k < kLanes; ++k) {
          const double dx = xa - x[b + k], dy = ya - y[b + k], dz = za - z[b + k];
          const double d2 = dx * dx + dy * dy + dz * dz;
          const double reach = ra + r[b + k];
          lane[k] += d2 > 0.0 ? m[b + k] / std::sqrt(d2) : 0.0;
          coincident += d2 > 0.0 ? 0 : 1;
          overlaps += d2 < reach * reach ? 1 : 0;
        }
      }
      for (int k = 0; b < n; ++b, ++k) {
        const double dx = xa - x[b], dy = ya - y[b], dz = za - z[b];
        const double d2 = dx * dx + dy * dy + dz * dz;
        const double reach = ra + r[b];
        lane[k] += d2 > 0.0 ? m[b] / std::sqrt(d2) : 0.0;
        coincident += d2 > 0.0 ? 0 : 1;
        overlaps += d2 < reach * reach ? 1 : 0;
      }
      double row = 0.0;
      for (int k = 0; k < kLanes; ++k) row += lane[k];
      s.potential -= m[a] * row;
      s.coincidentPairs += coincident;
      s.overlaps += overlaps;
      if (overlaps == 0) continue;
      // Rare: find the row's deepest overlap.
      for (int c = a + 1; c < n; ++c) {
        const double dx = xa - x[c], dy = ya - y[c], dz = za - z[c];
        const double d2 = dx * dx + dy * dy + dz * dz;
        const double reach = ra + r[c];
        if (!(d2 < reach * reach)) continue;
        const double d = std::sqrt(d2);
        if (d / reach < ratio) {
          ratio = d / reach;
          s.deepestI = index[static_cast<std::size_t>(a)];
          s.deepestJ = index[static_cast<std::size_t>(c)];
          s.deepestDistance = d;
          s.deepestRadiusSum = reach;
        }
      }
    }
  }

  PairSums total;
  double ratio = INFINITY;
  for (int block = 0; block < blocks; ++block) {
    const PairSums& s = part[static_cast<std::size_t>(block)];
    total.potential += s.potential;
    total.coincidentPairs += s.coincidentPairs;
    total.overlaps += s.overlaps;
    if (s.deepestI >= 0 && deepestRatio[static_cast<std::size_t>(block)] < ratio) {
      ratio = deepestRatio[static_cast<std::size_t>(block)];
      total.deepestI = s.deepestI;
      total.deepestJ = s.deepestJ;
      total.deepestDistance = s.deepestDistance;
      total.deepestRadiusSum = s.deepestRadiusSum;
    }
  }
  if (total.coincidentPairs > 0) total.potential = -INFINITY;
  return total;
}

}  // namespace korvane2::examine
