// Sweeps along the axis on which the bodies spread most. Distances are taken with hypot,
// so that neither tiny nor huge coordinates underflow or overflow in a square, and the
// whole search runs with the floating-point traps held: it judges the structure and
// must not be stopped by it.
#include "structure/body_pairs.hpp"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <tuple>

namespace korvane2 {

namespace {

// Holds the floating-point traps of the run for the life of the object.
class TrapHold {
 public:
  TrapHold() { std::feholdexcept(&saved_); }
  ~TrapHold() { std::fesetenv(&saved_); }
  TrapHold(const TrapHold&) = delete;
  TrapHold& operator=(const TrapHold&) = delete;

 private:
  std::fenv_t saved_;
};

double distance(const BodyVectors& X, int a, int b) {
  return std::hypot(X(a, 1) - X(b, 1), X(a, 2) - X(b, 2), X(a, 3) - X(b, 3));
}

// The bodies of positive mass, and the component (1..3) along which they spread most.
std::vector<int> massive_bodies(const BodyPlaces& b, int& axis) {
  std::vector<int> bodies;
  for (int j = 1; j <= b.NB; ++j)
    if (b.Mb[j] > 0.0) bodies.push_back(j);
  axis = 1;
  double widest = -1.0;
  for (int k = 1; k <= 3 && !bodies.empty(); ++k) {
    double lo = b.Xs(bodies[0], k), hi = lo;
    for (int j : bodies) lo = std::min(lo, b.Xs(j, k)), hi = std::max(hi, b.Xs(j, k));
    if (hi - lo > widest) widest = hi - lo, axis = k;
  }
  return bodies;
}

// Sorts `bodies` by `key`, ties in body order.
void sort_by(std::vector<int>& bodies, const std::vector<double>& key) {
  std::sort(bodies.begin(), bodies.end(), [&](int a, int c) { return key[a] < key[c] || (key[a] == key[c] && a < c); });
}

// Counts a pair, and shows it when it comes first in body order or, with `closestFirst`,
// when it is the closest so far (of equal distances the first in body order).
void note_pair(BodyPairs& found, int a, int c, double d, bool closestFirst) {
  const int i = std::min(a, c), j = std::max(a, c);
  bool shown;
  if (found.count == 0)
    shown = true;
  else if (closestFirst && d != found.distance)
    shown = d < found.distance;
  else
    shown = std::tie(i, j) < std::tie(found.i, found.j);
  ++found.count;
  if (shown) found.i = i, found.j = j, found.distance = d;
}

}  // namespace

BodyPairs find_same_place_pairs(const BodyPlaces& b) {
  TrapHold hold;
  int axis;
  std::vector<int> bodies = massive_bodies(b, axis);
  std::vector<double> along(static_cast<std::size_t>(b.NB) + 1), fromCentre(along.size());
  for (int j : bodies) {
    along[j] = b.Xs(j, axis);
    fromCentre[j] = std::hypot(b.Xs(j, 1), b.Xs(j, 2), b.Xs(j, 3));
  }
  sort_by(bodies, along);

  BodyPairs found;
  for (std::size_t p = 0; p < bodies.size(); ++p) {
    const int a = bodies[p];
    // For a pair at the same place, |r_a - r_c| <= d <= kSamePlace max(r_a, r_c), so the
    // gap along the axis is below kSamePlace r_a (1 + 1.1e-9): twice that bounds the sweep.
    const double reach = 2.0 * kSamePlace * fromCentre[a];
    for (std::size_t q = p + 1; q < bodies.size() && along[bodies[q]] - along[a] <= reach; ++q) {
      const int c = bodies[q];
      const double d = distance(b.Xs, a, c);
      if (d <= kSamePlace * std::max(fromCentre[a], fromCentre[c])) note_pair(found, a, c, d, false);
    }
  }
  return found;
}

BodyPairs find_overlapping_pairs(const BodyPlaces& b, std::int64_t countLimit) {
  TrapHold hold;
  int axis;
  std::vector<int> bodies = massive_bodies(b, axis);
  // Each body spans [x - Rad, x + Rad] on the axis; two bodies can overlap only when their
  // spans do, and rounding is monotonic, so comparing the rounded ends misses none.
  std::vector<double> low(static_cast<std::size_t>(b.NB) + 1), high(low.size());
  for (int j : bodies) {
    low[j] = b.Xs(j, axis) - b.Rad[j];
    high[j] = b.Xs(j, axis) + b.Rad[j];
  }
  sort_by(bodies, low);

  BodyPairs found;
  for (std::size_t p = 0; p < bodies.size(); ++p) {
    const int a = bodies[p];
    for (std::size_t q = p + 1; q < bodies.size() && low[bodies[q]] <= high[a]; ++q) {
      const int c = bodies[q];
      const double d = distance(b.Xs, a, c);
      if (!(d < b.Rad[a] + b.Rad[c])) continue;
      note_pair(found, a, c, d, true);
      if (found.count > countLimit) return found;
    }
  }
  return found;
}

}  // namespace korvane2
