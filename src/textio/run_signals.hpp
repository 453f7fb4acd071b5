// Signals of the run. Arithmetic faults (division by zero, overflow, invalid operation)
// stop it with the "M" run-time failure report on the faulting thread. SIGINT and SIGTERM
// are blocked in every thread and taken by one waiting thread, which acts on them only
// while no unit is being opened, written, flushed or closed: it writes out every unit's
// buffer, removes a temporary initial-data file, tells on standard error what became of
// the initial-data file and ends the process. SIGXFSZ is ignored, so that a write beyond
// the file-size limit fails like any other write.
#pragma once

namespace korvane2::textio {

// Enables the three floating-point traps for the calling thread, installs the SIGFPE
// handler, ignores SIGXFSZ, blocks SIGINT and SIGTERM and starts the thread that waits
// for them. Threads started later (the OpenMP workers) inherit the traps and the blocked
// signals, so this comes before any of them is started. Throws std::bad_alloc, with
// nothing changed, when the waiting thread cannot be started.
void install_run_signals();

// Stops the waiting thread (acting on an interrupt that arrived meanwhile), disables the
// traps and puts back the signal mask and the handlers in force before the run.
void remove_run_signals();

// Held while the unit table or a unit changes: an interrupt is acted on only once no
// hold is left. Holds nest.
class InterruptHold {
 public:
  InterruptHold();
  ~InterruptHold();
  InterruptHold(const InterruptHold&) = delete;
  InterruptHold& operator=(const InterruptHold&) = delete;
};

}  // namespace korvane2::textio
