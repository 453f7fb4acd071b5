// The contract an integration program relies on, checked on an initial-data file read
// back: record counts, fixed items, masses, sums, zero items, units, overlaps, rings.
#pragma once

#include <string>
#include <vector>

#include "examine/initial_data_reader.hpp"
#include "examine/ring_membership.hpp"
#include "examine/structure_measures.hpp"

namespace korvane2::examine {

// Tolerances, relative to the scale each check names.
constexpr double kMassSumTolerance = 1e-12;        // of the sum of the masses against 1
constexpr double kCentreTolerance = 1e-12;         // of the largest |m x_k| and |m v_k|
constexpr double kAngularMomentumTolerance = 1e-10;  // of the sum of |m (x cross v)|
constexpr double kUnitsTolerance = 1e-10;          // of G Mtot t^2 / Runit^3 against 1
constexpr double kRingMassTolerance = 1e-12;       // of a ring body's mass in kg
constexpr int kFindingsShownPerCheck = 10;

struct Finding {
  std::string check;    // name of the check, e.g. "header-constants"
  std::string place;    // the record and item, e.g. "header item 21"
  std::string message;  // what is wrong
};

struct CheckReport {
  std::vector<std::string> checks;  // every check made, in order
  std::vector<Finding> findings;    // every failure, in check order
  bool passed() const { return findings.empty(); }
  bool failed(const std::string& check) const;
};

// `rings` may be null when no ring summary was given.
CheckReport check_structure(const InitialData& data, const StructureMeasures& measures, const RingMembership* rings);

// The failed checks, one line each, and a closing line with the count.
std::string checks_text(const CheckReport& report);

}  // namespace korvane2::examine
