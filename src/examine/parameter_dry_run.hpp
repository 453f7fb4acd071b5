// The dry run of a parameter file: every value as korvane2 reads it, warnings about
// hand edits, and the rings as a run will build them, without the iteration.
#pragma once

#include <ostream>
#include <string>

namespace korvane2::examine {

// Reads the parameter file at `path` (its directory is the run directory, where the ring
// table rngtbinp.dat is looked for). Returns 0, or 2 when a run could not use the file:
// it would give the input error report, refuse a value or a ring, run out of memory, or
// meet an arithmetic fault in a ring's quantities, the structure units or the bodies'
// radii (foretold with the run's own report, computed with the run's fault handling);
// or when the file cannot be read. The program's own refusal messages appear on standard
// error, as in a run. Faults of the iteration and of the positions are not foretold.
int dry_run_parameters(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace korvane2::examine
