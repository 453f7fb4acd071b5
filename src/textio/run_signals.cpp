// Handlers of SIGFPE, SIGINT and SIGTERM. They use only write, close, unlink and _exit:
// the SIGFPE handler tells the three trapped faults apart and writes the M report; the
// interrupt handler writes one line; both write out the units and end the process.
#include "textio/run_signals.hpp"

#include <fenv.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "textio/units.hpp"

namespace korvane2::textio {

namespace {

constexpr int kTrappedFaults = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;

void write_text(const char* text) { write_all(STDERR_FILENO, text, std::strlen(text)); }

void on_arithmetic_fault(int, siginfo_t* info, void*) {
  const char* report;
  switch (info->si_code) {
    case FPE_FLTOVF:
      report = "\r\nrun-time error M6104: MATH\r\n- floating-point error: overflow\r\n";
      break;
    case FPE_FLTDIV:
    case FPE_INTDIV:
      report = "\r\nrun-time error M6103: MATH\r\n- floating-point error: divide by zero\r\n";
      break;
    default:
      // An invalid operation, including the square root or power of an argument
      // outside its domain, which the processor reports the same way.
      report = "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n";
      break;
  }
  write_text(report);
  units().emergency_flush();
  _exit(1);
}

void on_interrupt(int signal) {
  units().emergency_flush();
  write_text(signal == SIGINT ? "korvane2: interrupted (SIGINT); the initial-data file was not written\n"
                              : "korvane2: terminated (SIGTERM); the initial-data file was not written\n");
  _exit(128 + signal);
}

// The handlers in force before the run, put back when it ends.
struct sigaction previous[3];
constexpr int kSignals[3] = {SIGFPE, SIGINT, SIGTERM};

void set_handler(int signal, void (*handler)(int, siginfo_t*, void*), void (*simple)(int), struct sigaction* old) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  if (handler) {
    action.sa_sigaction = handler;
    action.sa_flags = SA_SIGINFO;
  } else {
    action.sa_handler = simple;
  }
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaction(signal, &action, old);
}

}  // namespace

void install_run_signals() {
  set_handler(SIGFPE, on_arithmetic_fault, nullptr, &previous[0]);
  set_handler(SIGINT, nullptr, on_interrupt, &previous[1]);
  set_handler(SIGTERM, nullptr, on_interrupt, &previous[2]);
  feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(kTrappedFaults);
}

void remove_run_signals() {
  fedisableexcept(kTrappedFaults);
  feclearexcept(FE_ALL_EXCEPT);
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &previous[i], nullptr);
}

InterruptHold::InterruptHold() {
  sigset_t block;
  sigemptyset(&block);
  sigaddset(&block, SIGINT);
  sigaddset(&block, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &block, &saved_);
}

InterruptHold::~InterruptHold() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

}  // namespace korvane2::textio
