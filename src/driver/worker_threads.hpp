// The OpenMP worker threads, started once at the beginning of the run.
#pragma once

namespace korvane2 {

// Starts the worker threads of the parallel regions now, while the run has taken little
// memory and after the interrupt signals are blocked, so that every worker inherits the
// blocked signals and a limit on memory that leaves no room for their stacks is the run's
// own "not enough memory" (std::bad_alloc) instead of the OpenMP runtime's abort.
void start_worker_threads();

}  // namespace korvane2
