// The run: the fixed sequence of phases on one run-state record, returning the exit
// status instead of ending the process.
#pragma once

namespace korvane2 {

// Exit statuses of a run.
enum ExitStatus : int {
  kExitComplete = 0,
  kExitRunTimeFailure = 1,
  kExitUnusableInput = 2,
  kExitIterationStop = 3,
  // Every file written, but a ring did not close to EPS or bodies are at the same place.
  kExitFlawedStructure = 4,
};

int run(int argc, char** argv);

}  // namespace korvane2
