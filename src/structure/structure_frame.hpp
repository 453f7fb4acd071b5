// The frame of the initial-data file: the structure turned by Incl about the x axis,
// moved to its barycentre, its angular momentum, body radii, largest mass and the
// rounded cube root of the body count.
#pragma once

#include "driver/run_state.hpp"

namespace korvane2 {

void bring_into_frame(RunState& s);

}  // namespace korvane2
