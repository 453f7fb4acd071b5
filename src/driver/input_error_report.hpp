// The input error report: the message and the echo of the parameters as they stand,
// on the console and in the report file, when the parameter file cannot be read.
#pragma once

#include "driver/run_state.hpp"

namespace korvane2 {

// Writes the echo to the console, then to the report file (unit 3, opened and closed
// here). Standard error stays empty: `korvane2-inspect --params` names the failed field.
void write_input_error_report(const RunState& s);

}  // namespace korvane2
