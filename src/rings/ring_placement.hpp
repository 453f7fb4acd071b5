// Placement of a ring's bodies into the structure arrays (ring 1 also stores the central
// body), turned about the x axis by the ring angle when Irot is set.
#pragma once

#include "driver/run_state.hpp"

namespace korvane2 {

void place_ring(RunState& s, int Iring);

}  // namespace korvane2
