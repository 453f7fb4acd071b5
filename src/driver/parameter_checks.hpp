// Checks made before a file is written: report and summary files that are an input or
// each other, and, once the parameter file is read, the values that would otherwise end
// in an arithmetic fault or nonsense and an initial-data file name that would replace an
// input or another output of the run.
#pragma once

#include <string>

#include "driver/run_state.hpp"

namespace korvane2 {

// True when neither the report file nor the ring summary file is, or leads by a symbolic
// link to, the parameter file, the ring table or the other one; otherwise writes one line
// on standard error.
bool check_output_names(const RunState& s);

// Checks NRing, N30, Ecc and fnIni (no control character; a non-blank name usable) in
// file order; at the first refusal writes one line on standard error and returns false.
bool check_parameters(const RunState& s);

// True when the trimmed name may be used for the initial-data file: it reaches neither the
// parameter file, the ring table, the report file nor the ring summary file, symbolic
// links followed both ways (the same existing file, or the same place for files still
// to be created). Otherwise writes one line on standard error naming `origin`.
bool check_initial_data_name(const RunState& s, const std::string& name, const std::string& origin);

}  // namespace korvane2
