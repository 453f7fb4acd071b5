// The initial-data file for the N-body integration program: a header record, one
// record per body and a trailer record, written on unit 5.
#pragma once

#include <string>

#include "driver/run_state.hpp"

namespace korvane2 {

// Opens unit 5 on the (already resolved and checked) name, writes NB + 2 records and
// closes the unit.
void write_initial_data_file(const RunState& s, const std::string& name);

}  // namespace korvane2
