// Dimensionless units of the structure (mass: the total mass; time: 100 periods of
// ring 1; length: such that G = 1) and the conversion of the structure arrays.
#pragma once

#include "driver/run_state.hpp"

namespace korvane2 {

void convert_to_structure_units(RunState& s);

}  // namespace korvane2
