// The child process of a fault prediction: a shared page for its stage, a pipe for its
// standard error, and the run's signal handling installed before the computation.
#include "examine/fault_prediction.hpp"

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "textio/run_signals.hpp"

namespace korvane2::examine {

namespace {

constexpr int kRunTimeFailure = 1;  // the exit status of the run's fault handler
constexpr int kOtherEnd = 3;        // the computation ended otherwise (an exception)

std::string read_all(int fd) {
  std::string text;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buf, static_cast<std::size_t>(n));
  }
  return text;
}

// The "M" report from what the child wrote to standard error, with LF line ends.
std::string fault_report(const std::string& err) {
  const std::size_t at = err.find("run-time error M");
  if (at == std::string::npos) return {};
  std::string report;
  for (char c : err.substr(at))
    if (c != '\r') report.push_back(c);
  return report;
}

}  // namespace

FaultPrediction predict_arithmetic_fault(const std::function<void(int& stage)>& compute) {
  FaultPrediction prediction;
  void* page = ::mmap(nullptr, sizeof(int), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (page == MAP_FAILED) return prediction;
  int* stage = static_cast<int*>(page);
  *stage = 0;
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) {
    ::munmap(page, sizeof(int));
    return prediction;
  }
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    ::dup2(pipeFds[1], STDERR_FILENO);
    ::close(pipeFds[1]);
    int status = 0;
    try {
      textio::install_run_signals();
      compute(*stage);
    } catch (...) {
      status = kOtherEnd;
    }
    ::_exit(status);
  }
  ::close(pipeFds[1]);
  if (child > 0) {
    const std::string err = read_all(pipeFds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    prediction.available = true;
    prediction.report = fault_report(err);
    prediction.faulted = WIFEXITED(status) && WEXITSTATUS(status) == kRunTimeFailure && !prediction.report.empty();
    prediction.stage = *stage;
  }
  ::close(pipeFds[0]);
  ::munmap(page, sizeof(int));
  return prediction;
}

}  // namespace korvane2::examine
