// The parameter phase: built-in file names, the eighteen lines of the parameter file,
// the constants and the global derived quantities.
#pragma once

#include <string>

#include "driver/run_state.hpp"

namespace korvane2 {

// Where reading the parameter file stopped, for the diagnostic line on standard error.
struct ParameterReadFailure {
  int line = 0;            // parameter line 1..18
  int firstColumn = 0;     // columns of the field
  int lastColumn = 0;
  std::string fieldText;   // the field's characters as they stood in the line
  int status = 0;          // read status
};

// Assigns the four built-in file names.
void assign_file_names(RunState& s);

// Opens unit 1, reads the eighteen lines and closes unit 1. Returns false at the first
// failed step of any line (unit 1 then stays open), with `failure` describing it.
bool read_parameters(RunState& s, ParameterReadFailure& failure);

// Sets the constants, then the global derived quantities, in their order.
void set_constants(RunState& s);
void derive_global_quantities(RunState& s);

// Name of the parameter of a line (1..18), as the program's messages call it.
const char* parameter_name(int line);

}  // namespace korvane2
