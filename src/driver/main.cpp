// Entry point of korvane2: runs the phase sequence once and exits with its status.
// SIGINT and SIGTERM stay blocked around the run as well: within it one thread of the run
// takes them, and one that comes after the run has ended finds nothing left to do.
#include <signal.h>

#include "driver/run.hpp"

int main(int argc, char** argv) {
  sigset_t interrupts;
  sigemptyset(&interrupts);
  sigaddset(&interrupts, SIGINT);
  sigaddset(&interrupts, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &interrupts, nullptr);
  return korvane2::run(argc, argv);
}
