// What the body records say about the structure as a whole: total mass, barycentre,
// momentum, angular momentum, energies, radii, the closest pair and overlapping bodies.
#pragma once

#include <cstdint>

#include "examine/initial_data_reader.hpp"
#include "examine/pair_measures.hpp"

namespace korvane2::examine {

struct StructureMeasures {
  int bodies = 0;
  int massless = 0;  // bodies of mass 0, left out of the pair quantities

  double totalMass = 0.0;
  Vec3 massMoment{};        // sum of m x
  Vec3 barycentre{};        // massMoment / totalMass
  Vec3 momentum{};          // sum of m v
  Vec3 angularMomentum{};   // sum of m (x cross v)
  double largestMassMoment = 0.0;      // largest |m x_k| of any body and component
  double largestMomentum = 0.0;        // largest |m v_k|
  double angularMomentumScale = 0.0;   // sum of |m (x cross v)|

  double kinetic = 0.0;    // T = 1/2 sum of m v^2
  double potential = 0.0;  // W, G = 1
  double virial = 0.0;     // 2T / |W|

  int smallestRadiusBody = -1, largestRadiusBody = -1;  // 0-based
  double smallestRadius = 0.0, largestRadius = 0.0;

  ClosestPair closest;
  double closestRadiusSum = 0.0;
  PairSums pairs;
};

StructureMeasures measure_structure(const InitialData& data);

double norm(const Vec3& v);

}  // namespace korvane2::examine
