// The closing section of the report file: smallest distance, barycentre, the first ring
// body before the move to the barycentre and the echo of every parameter; then the
// report file is closed.
#pragma once

#include "driver/run_state.hpp"

namespace korvane2 {

void write_structure_report(const RunState& s);

}  // namespace korvane2
