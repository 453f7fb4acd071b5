// Foretelling the arithmetic fault of a run: a computation of the run carried out in a
// child process with the run's own fault handling (the floating-point traps and the
// handler that writes the "M" run-time failure report), so that the first operation that
// would stop the run stops the child the same way, with the same report.
#pragma once

#include <functional>
#include <string>

namespace korvane2::examine {

struct FaultPrediction {
  bool available = false;  // false: the child process could not be started
  bool faulted = false;    // the computation met an arithmetic fault
  int stage = 0;           // the stage the computation had reached when it stopped
  std::string report;      // the run-time failure report, its lines ended with LF
};

// Runs `compute` in a child process; it advances `stage` as it goes. Whatever else the
// computation writes to standard error, and however else it ends, is not part of the
// prediction.
FaultPrediction predict_arithmetic_fault(const std::function<void(int& stage)>& compute);

}  // namespace korvane2::examine
