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

// A body of positive mass as a sweep sees it: its place along the sweep axis (the key of
// the sort), its number, its position, and what bounds the sweep from it: its distance
// from the barycentre, or the upper end of its span on the axis.
struct SweptBody {
  double key;
  int body;
  double x, y, z;
  double bound;
};

double distance(const SweptBody& a, const SweptBody& c) { return std::hypot(a.x - c.x, a.y - c.y, a.z - c.z); }

// The component (1..3) along which the bodies of positive mass spread most.
int widest_axis(const BodyPlaces& b) {
  double lo[3], hi[3];
  bool any = false;
  for (int j = 1; j <= b.NB; ++j) {
    if (!(b.Mb[j] > 0.0)) continue;
    for (int k = 0; k < 3; ++k) {
      const double v = b.Xs(j, k + 1);
      lo[k] = any ? std::min(lo[k], v) : v;
      hi[k] = any ? std::max(hi[k], v) : v;
    }
    any = true;
  }
  int axis = 1;
  for (int k = 1; k < 3 && any; ++k)
    if (hi[k] - lo[k] > hi[axis - 1] - lo[axis - 1]) axis = k + 1;
  return axis;
}

// The bodies of positive mass sorted by `key_of(j)`, ties in body order, each with the
// bound `bound_of(j)`. The sort moves only keys and numbers.
template <class Key, class Bound>
std::vector<SweptBody> sorted_bodies(const BodyPlaces& b, Key key_of, Bound bound_of) {
  struct Entry {
    double key;
    int body;
  };
  std::vector<Entry> order;
  for (int j = 1; j <= b.NB; ++j)
    if (b.Mb[j] > 0.0) order.push_back({key_of(j), j});
  std::sort(order.begin(), order.end(),
            [](const Entry& a, const Entry& c) { return a.key < c.key || (a.key == c.key && a.body < c.body); });
  std::vector<SweptBody> bodies;
  bodies.reserve(order.size());
  for (const Entry& e : order)
    bodies.push_back({e.key, e.body, b.Xs(e.body, 1), b.Xs(e.body, 2), b.Xs(e.body, 3), bound_of(e.body)});
  return bodies;
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
  const int axis = widest_axis(b);
  const std::vector<SweptBody> bodies = sorted_bodies(
      b, [&](int j) { return b.Xs(j, axis); }, [&](int j) { return std::hypot(b.Xs(j, 1), b.Xs(j, 2), b.Xs(j, 3)); });

  BodyPairs found;
  for (std::size_t p = 0; p < bodies.size(); ++p) {
    const SweptBody& a = bodies[p];
    // For a pair at the same place, |r_a - r_c| <= d <= kSamePlace max(r_a, r_c), so the
    // gap along the axis is below kSamePlace r_a (1 + 1.1e-9): twice that bounds the sweep.
    const double reach = 2.0 * kSamePlace * a.bound;
    for (std::size_t q = p + 1; q < bodies.size() && bodies[q].key - a.key <= reach; ++q) {
      const SweptBody& c = bodies[q];
      const double d = distance(a, c);
      if (d <= kSamePlace * std::max(a.bound, c.bound)) note_pair(found, a.body, c.body, d, false);
    }
  }
  return found;
}

BodyPairs find_overlapping_pairs(const BodyPlaces& b, std::int64_t countLimit) {
  TrapHold hold;
  const int axis = widest_axis(b);
  // Each body spans [x - Rad, x + Rad] on the axis; two bodies can overlap only when their
  // spans do, and rounding is monotonic, so comparing the rounded ends misses none.
  const std::vector<SweptBody> bodies = sorted_bodies(
      b, [&](int j) { return b.Xs(j, axis) - b.Rad[j]; }, [&](int j) { return b.Xs(j, axis) + b.Rad[j]; });

  BodyPairs found;
  for (std::size_t p = 0; p < bodies.size(); ++p) {
    const SweptBody& a = bodies[p];
    for (std::size_t q = p + 1; q < bodies.size() && bodies[q].key <= a.bound; ++q) {
      const SweptBody& c = bodies[q];
      const double d = distance(a, c);
      if (!(d < b.Rad[a.body] + b.Rad[c.body])) continue;
      note_pair(found, a.body, c.body, d, true);
      if (found.count > countLimit) return found;
    }
  }
  return found;
}

}  // namespace korvane2
