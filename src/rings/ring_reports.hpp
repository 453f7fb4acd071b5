// The ring's section of the report file (unit 3) and its record in the ring summary
// file (unit 6).
#pragma once

#include "driver/run_state.hpp"

namespace korvane2 {

void write_ring_reports(const RunState& s, int Iring);

}  // namespace korvane2
