// One CSV row per body of an initial-data file: index, ring, mass, position, velocity
// and radius, after a header row; numbers with all the digits needed to read them back.
#pragma once

#include <string>

#include "examine/initial_data_reader.hpp"
#include "examine/ring_membership.hpp"

namespace korvane2::examine {

// The ring column holds 0 for the central body and the ring number of every other body
// when `rings` is given; otherwise (and for a body beyond the listed rings) it is empty.
std::string csv_table(const InitialData& data, const RingMembership* rings);

}  // namespace korvane2::examine
