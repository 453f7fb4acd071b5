// Running the built korvane2-inspect in a fresh temporary directory, like run_korvane2:
// arguments, standard input and environment in; standard output, standard error and
// exit status out.
#pragma once

#include "support/program_run.hpp"

namespace korvane2::testing {

// Runs korvane2-inspect with `dir` as its working directory.
ProgramResult run_inspect(const TempDir& dir, const RunOptions& options = {});

}  // namespace korvane2::testing
