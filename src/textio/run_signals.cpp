// The SIGFPE handler and the thread that waits for SIGINT and SIGTERM. What they do once
// the run is to end uses only write, close, unlink and _exit: the fault handler writes the
// M report, the waiting thread one line saying what became of the initial-data file; both
// write out the units and end the process.
#include "textio/run_signals.hpp"

#include <fenv.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <new>

#include "textio/units.hpp"

namespace korvane2::textio {

namespace {

constexpr int kTrappedFaults = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;
// The waiting thread needs little stack; a small one keeps it possible under a tight
// limit on the address space.
constexpr std::size_t kWaiterStack = 256 * 1024;
constexpr auto kSettlePoll = std::chrono::milliseconds(50);

std::recursive_timed_mutex& unit_gate() {
  static std::recursive_timed_mutex gate;
  return gate;
}

sigset_t interrupt_signals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

struct Installed {
  bool active = false;
  pthread_t waiter{};
  sigset_t mask{};
  struct sigaction fault {};
  struct sigaction fileSize {};
};
Installed installed;
std::atomic<bool> stopping{false};
std::atomic_flag ending = ATOMIC_FLAG_INIT;

void write_text(const char* text) { write_all(STDERR_FILENO, text, std::strlen(text)); }

// A fault and an interrupt at the same moment: only the first writes and ends the process.
void claim_the_end() {
  if (ending.test_and_set())
    for (;;) ::pause();
}

void on_arithmetic_fault(int, siginfo_t* info, void*) {
  claim_the_end();
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
  units().emergency_flush(true);
  _exit(1);
}

// `settled`: no unit is being changed, and none will be, since the gate stays taken.
[[noreturn]] void end_on_interrupt(int signal, bool settled) {
  claim_the_end();
  units().emergency_flush(settled);
  write_text(signal == SIGINT ? "korvane2: interrupted (SIGINT); " : "korvane2: terminated (SIGTERM); ");
  write_text(units().replaced_file_outcome());
  write_text("\n");
  _exit(128 + signal);
}

// The waiting thread is stopped by a signal that this process queues to it, carrying a
// value of its own.
constexpr int kStopValue = 0x4b32;

bool is_stop_request(const siginfo_t& info) {
  return stopping.load() && info.si_code == SI_QUEUE && info.si_pid == ::getpid() &&
         info.si_value.sival_int == kStopValue;
}

// Waits until no unit is being changed and takes the gate for good. A second interrupt
// meanwhile (a write that cannot finish, to a pipe nobody reads) ends the wait: false.
bool wait_until_settled(const sigset_t& set) {
  for (;;) {
    if (unit_gate().try_lock_for(kSettlePoll)) return true;
    siginfo_t info;
    const timespec now{0, 0};
    if (::sigtimedwait(&set, &info, &now) > 0 && !is_stop_request(info)) return false;
  }
}

void* wait_for_interrupts(void*) {
  const sigset_t set = interrupt_signals();
  for (;;) {
    siginfo_t info;
    const int signal = ::sigwaitinfo(&set, &info);
    if (signal < 0) continue;
    if (is_stop_request(info)) return nullptr;
    end_on_interrupt(signal, wait_until_settled(set));
  }
}

}  // namespace

void install_run_signals() {
  const sigset_t set = interrupt_signals();
  sigset_t mask;
  pthread_sigmask(SIG_BLOCK, &set, &mask);
  stopping = false;
  ending.clear();
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, kWaiterStack);
  const int started = pthread_create(&installed.waiter, &attr, wait_for_interrupts, nullptr);
  pthread_attr_destroy(&attr);
  if (started != 0) {
    pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    throw std::bad_alloc();
  }
  installed.mask = mask;
  installed.active = true;

  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_sigaction = on_arithmetic_fault;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGFPE, &action, &installed.fault);
  std::memset(&action, 0, sizeof action);
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  sigaction(SIGXFSZ, &action, &installed.fileSize);
  feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(kTrappedFaults);
}

void remove_run_signals() {
  if (!installed.active) return;
  stopping = true;
  union sigval stop;
  stop.sival_int = kStopValue;
  pthread_sigqueue(installed.waiter, SIGTERM, stop);
  pthread_join(installed.waiter, nullptr);
  // An interrupt that came while the waiting thread stopped gets its message too.
  const sigset_t set = interrupt_signals();
  siginfo_t info;
  const timespec now{0, 0};
  const int signal = ::sigtimedwait(&set, &info, &now);
  if (signal > 0) {
    unit_gate().lock();
    end_on_interrupt(signal, true);
  }
  installed.active = false;
  fedisableexcept(kTrappedFaults);
  feclearexcept(FE_ALL_EXCEPT);
  sigaction(SIGFPE, &installed.fault, nullptr);
  sigaction(SIGXFSZ, &installed.fileSize, nullptr);
  pthread_sigmask(SIG_SETMASK, &installed.mask, nullptr);
}

InterruptHold::InterruptHold() { unit_gate().lock(); }

InterruptHold::~InterruptHold() { unit_gate().unlock(); }

}  // namespace korvane2::textio
