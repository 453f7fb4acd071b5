// The summary of an initial-data file as aligned text: bodies, units, the structure's
// totals, energies, radii, the closest pair and, with the ring summary, every ring.
#pragma once

#include <string>

#include "examine/initial_data_reader.hpp"
#include "examine/ring_membership.hpp"
#include "examine/structure_measures.hpp"

namespace korvane2::examine {

// `rings` may be null when no ring summary was given.
std::string summary_text(const std::string& fileName, const InitialData& data, const StructureMeasures& measures,
                         const RingMembership* rings);

}  // namespace korvane2::examine
