// Sums over the bodies with compensated summation in body order, and the pair
// quantities of pair_measures.
#include "examine/structure_measures.hpp"

#include <algorithm>
#include <cmath>

#include "examine/compensated_sum.hpp"

namespace korvane2::examine {

double norm(const Vec3& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

StructureMeasures measure_structure(const InitialData& data) {
  StructureMeasures s;
  s.bodies = static_cast<int>(data.bodies.size());

  CompensatedSum mass, kinetic;
  CompensatedSum moment[3], momentum[3], angular[3];
  CompensatedSum angularScale;
  PairInput pairs;
  pairs.mass.reserve(data.bodies.size());
  pairs.position.reserve(data.bodies.size());
  pairs.radius.reserve(data.bodies.size());

  for (int j = 0; j < s.bodies; ++j) {
    const BodyRecord& b = data.bodies[static_cast<std::size_t>(j)];
    const double m = b.mass();
    const Vec3 x{b.x(0), b.x(1), b.x(2)}, v{b.v(0), b.v(1), b.v(2)};
    if (m == 0.0) ++s.massless;
    mass.add(m);
    for (int k = 0; k < 3; ++k) {
      moment[k].add(m * x[k]);
      momentum[k].add(m * v[k]);
      s.largestMassMoment = std::max(s.largestMassMoment, std::fabs(m * x[k]));
      s.largestMomentum = std::max(s.largestMomentum, std::fabs(m * v[k]));
    }
    const Vec3 l{m * (x[1] * v[2] - x[2] * v[1]), m * (x[2] * v[0] - x[0] * v[2]), m * (x[0] * v[1] - x[1] * v[0])};
    for (int k = 0; k < 3; ++k) angular[k].add(l[k]);
    angularScale.add(norm(l));
    kinetic.add(0.5 * m * (v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));

    const double r = b.radius();
    if (s.smallestRadiusBody < 0 || r < s.smallestRadius) {
      s.smallestRadius = r;
      s.smallestRadiusBody = j;
    }
    if (s.largestRadiusBody < 0 || r > s.largestRadius) {
      s.largestRadius = r;
      s.largestRadiusBody = j;
    }
    pairs.mass.push_back(m);
    pairs.position.push_back(x);
    pairs.radius.push_back(r);
  }

  s.totalMass = mass.value();
  for (int k = 0; k < 3; ++k) {
    s.massMoment[k] = moment[k].value();
    s.barycentre[k] = s.totalMass != 0.0 ? s.massMoment[k] / s.totalMass : 0.0;
    s.momentum[k] = momentum[k].value();
    s.angularMomentum[k] = angular[k].value();
  }
  s.angularMomentumScale = angularScale.value();
  s.kinetic = kinetic.value();

  s.closest = closest_pair(pairs);
  if (s.closest.i >= 0)
    s.closestRadiusSum = pairs.radius[static_cast<std::size_t>(s.closest.i)] +
                         pairs.radius[static_cast<std::size_t>(s.closest.j)];
  s.pairs = pair_sums(pairs);
  s.potential = s.pairs.potential;
  s.virial = s.potential != 0.0 ? 2.0 * s.kinetic / std::fabs(s.potential) : 0.0;
  return s;
}

}  // namespace korvane2::examine
