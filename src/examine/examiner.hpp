// The inspector as a whole: reads, measures, checks and reports an initial-data file,
// writes the picture and the table, or runs the dry run of a parameter file.
#pragma once

#include <ostream>

#include "examine/options.hpp"

namespace korvane2::examine {

enum InspectStatus : int { kAllChecksHold = 0, kCheckFailed = 1, kCannotRead = 2 };

int run_inspector(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace korvane2::examine
