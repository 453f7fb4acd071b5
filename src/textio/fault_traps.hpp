// Arithmetic faults of the run: division by zero, overflow and invalid operations stop
// the run with the "M" run-time failure report, after every unit's buffer is written out.
#pragma once

namespace korvane2::textio {

// Enables the three floating-point traps for the calling thread (threads started later
// inherit them) and installs the SIGFPE handler.
void install_fault_traps();

// Disables the traps again (the state of a process before a run).
void remove_fault_traps();

}  // namespace korvane2::textio
