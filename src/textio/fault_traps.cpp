// SIGFPE handler of the run: tells the three trapped faults apart, writes the report on
// standard error, writes out the units and exits with status 1, using only write, close
// and _exit.
#include "textio/fault_traps.hpp"

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
      // outside its domain, which the hardware reports the same way.
      report = "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n";
      break;
  }
  write_text(report);
  units().emergency_flush();
  _exit(1);
}

}  // namespace

void install_fault_traps() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_sigaction = on_arithmetic_fault;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGFPE, &action, nullptr);
  feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(kTrappedFaults);
}

void remove_fault_traps() {
  fedisableexcept(kTrappedFaults);
  feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace korvane2::textio
