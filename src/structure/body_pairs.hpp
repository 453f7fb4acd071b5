// Pairs of bodies of positive mass that an integration cannot start from: bodies at the
// same place, and bodies closer than the sum of their radii. Each search sorts the bodies
// along one axis and sweeps them, so that only pairs near each other on that axis are
// measured, each at most once.
#pragma once

#include <cstdint>
#include <vector>

#include "driver/run_state.hpp"

namespace korvane2 {

// Bodies as the searches see them: the final frame, indices 1..NB.
struct BodyPlaces {
  const BodyVectors& Xs;
  const std::vector<double>& Mb;
  const std::vector<double>& Rad;
  int NB;
};

struct BodyPairs {
  std::int64_t count = 0;  // pairs found; a search that stops counting gives its limit + 1
  int i = 0, j = 0;        // the pair shown, body numbers i < j; 0 when none was found
  double distance = 0.0;   // their distance, in length units
};

// Two bodies are at the same place when their distance is at most kSamePlace times the
// larger of their distances from the barycentre: rounding apart, not apart in fact.
inline constexpr double kSamePlace = 1e-9;

// Every pair at the same place; the pair shown is the first in body order.
BodyPairs find_same_place_pairs(const BodyPlaces& b);

// Pairs closer than the sum of their radii, counted up to `countLimit` (the search stops
// at the next one); the pair shown is the closest found.
BodyPairs find_overlapping_pairs(const BodyPlaces& b, std::int64_t countLimit);

}  // namespace korvane2
