// Checks made right after the parameter file is read: the values that would otherwise
// end in an arithmetic fault or nonsense, and an initial-data file name that would
// replace an input or another output of the run.
#pragma once

#include <string>

#include "driver/run_state.hpp"

namespace korvane2 {

// Checks NRing, N30, Ecc and a non-blank fnIni in file order; at the first refusal
// writes one line on standard error and returns false.
bool check_parameters(const RunState& s);

// True when the trimmed name may be used for the initial-data file: it names neither the
// parameter file, the ring table, the report file nor the ring summary file, by name or
// as the same existing file. Otherwise writes one line on standard error naming `origin`.
bool check_initial_data_name(const RunState& s, const std::string& name, const std::string& origin);

}  // namespace korvane2
