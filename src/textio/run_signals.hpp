// Signals of the run: arithmetic faults (division by zero, overflow, invalid operation)
// stop it with the "M" run-time failure report, SIGINT and SIGTERM with one line on
// standard error; either way every unit's buffer is written out first and a temporary
// initial-data file is removed.
#pragma once

#include <signal.h>

namespace korvane2::textio {

// Enables the three floating-point traps for the calling thread (threads started later
// inherit them) and installs the handlers of SIGFPE, SIGINT and SIGTERM.
void install_run_signals();

// Disables the traps and puts back the handlers in force before the run.
void remove_run_signals();

// Holds SIGINT and SIGTERM back while the unit table changes, so that their handler
// always finds it consistent.
class InterruptHold {
 public:
  InterruptHold();
  ~InterruptHold();
  InterruptHold(const InterruptHold&) = delete;
  InterruptHold& operator=(const InterruptHold&) = delete;

 private:
  sigset_t saved_;
};

}  // namespace korvane2::textio
