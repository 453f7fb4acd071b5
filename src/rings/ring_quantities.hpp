// Ring quantities: the ring's start before the ring table (angle, semi-major axis,
// formula body count) and, after it, the body counters, inner mass, force sum and the
// conic's pericentre distance, speed and period.
#pragma once

#include "driver/run_state.hpp"

namespace korvane2 {

// Steps before the ring table. A formula body count whose real value does not fit a
// 32-bit integer is refused (standard error, run ends with status 2).
void start_ring(RunState& s, int Iring);

// Steps after the ring table. A body count below 1 is refused, as is a structure whose
// body total would not fit a 32-bit integer.
void compute_ring_quantities(RunState& s, int Iring);

}  // namespace korvane2
