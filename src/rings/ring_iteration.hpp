// The ring iteration itrrtn: the secant iteration on the ring coefficient okf, at most
// 20 steps, until the construction carried one body past the last closes on the x-z
// plane to the relative tolerance EPS; then the ring states built with the final okf2.
#pragma once

#include "driver/run_state.hpp"
#include "rings/rotation_chains.hpp"

namespace korvane2 {

// Returns false after writing "Error okf2 = " on the console when a step's coefficient
// is zero; the run then stops. The final build of the ring states counts its turns on
// `progress`, if given.
bool iterate_ring(RunState& s, KernelPath path = KernelPath::kAuto, textio::ProgressLine* progress = nullptr);

}  // namespace korvane2
