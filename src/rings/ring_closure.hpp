// Whether a ring's construction closed: the iteration must have ended on its tolerance
// test with a relative change of okf, taken with the magnitude of okf2, within EPS.
#pragma once

#include "driver/run_state.hpp"

namespace korvane2 {

// A ring that did not close gets one warning on standard error (the iteration's
// step count, its last relative change, EPS and the closing point's distance from the
// x-z plane in units of Rper) and the ring counts in ringsNotClosed.
void check_ring_closure(RunState& s, int Iring);

}  // namespace korvane2
