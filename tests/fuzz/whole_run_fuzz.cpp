// Fuzz target: a whole run of the program on a fuzzed parameter file and ring table.
//
// Input layout: the bytes before the first occurrence of the line "%%rngtbinp.dat" (the
// marker followed by LF) are "Korvane2.dat"; the bytes after it are "rngtbinp.dat". Without
// the marker there is no ring table at all (an empty table is the marker at the very end).
//
// The run happens in a forked child, because an arithmetic fault (trapped SIGFPE) or a
// signal ends the process with _exit and a run changes the process-wide unit table and
// signal handlers. The parent makes a fresh temporary directory and writes the two files
// into it; the child changes into it, sends standard output to a file there and standard
// error into a pipe, reads standard input from /dev/null (so that the question for a
// blank file name meets the end of input and ends), uses one OpenMP thread and calls
// korvane2::run with argv {"korvane2"}, then _exit's with its status. The parent reads the
// pipe, waits at most kRunSeconds (then kills the child: a hang), removes the directory
// and aborts, which libFuzzer records as a finding, when:
//   - the child died by a signal, or exited with a status other than 0, 1, 2, 3, 4;
//   - a sanitizer wrote a report: the child sends sanitizer reports to a file of the run
//     directory, because standard error holds the program's diagnostics, which quote the
//     fuzzed input and so may contain any words;
//   - the run did not end within the time limit;
//   - a complete run (status 0) wrote to the console or left no report file or no ring
//     summary file; a run-time failure (status 1) left standard error empty; an unusable
//     input (status 2) said nothing at all; an iteration stop (status 3) did not write
//     "Error okf2 = " to the console; a run whose structure is not the one asked for
//     (status 4) wrote to the console, left no report file or ring summary file, or gave
//     no warning.
//
// Coverage counters of the child never reach the parent, so libFuzzer sees no new
// coverage from the run itself and this target relies on its seeds and on blind
// mutations of them. (The parent's own reading of the two files for the size limits below
// gives some feedback from the readers; the reader targets cover the input formats with
// full coverage feedback.)
#include <dirent.h>
#include <sanitizer/common_interface_defs.h>
#include <fcntl.h>
#include <omp.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "driver/run.hpp"
#include "textio/char_source.hpp"
#include "textio/fixed_column_reader.hpp"
#include "textio/free_format_reader.hpp"

namespace {

constexpr std::string_view kTableMarker = "%%rngtbinp.dat\n";
constexpr int kRunSeconds = 5;
constexpr int kSetupFailure = 97;  // exit status of a child that could not prepare the run
constexpr std::size_t kKeptStderr = 64 * 1024;
constexpr const char* kConsoleFile = "console-output.txt";  // longer than any 12-character name
constexpr const char* kSanitizerReport = "sanitizer-report";  // the runtime adds ".<pid>"

// Limits of the structures that are run. A run costs about N3^2 per ring (the distance
// search) and NRing^2 ring-table records (every ring reads the table from its top), and a
// fuzzed file easily asks for millions of bodies; such inputs would only make every run
// slow without reaching other code, so they are skipped. The counts are worked out the
// way the program works them out, with the same readers.
constexpr int kMaxRings = 64;
constexpr std::int64_t kMaxBodies = 2000;

struct Parameters {
  std::int32_t NRing = 0, N30 = 0, Irot = 0, Itab = 0, Ntail = 0;
  double Mstr = 0, Fcen = 0, R1au = 0, Ecc = 0, dRr = 0, FN3 = 0, okf0 = 0, Ctilt = 0, EPS = 0, Incl = 0, Rho = 0,
         Phead = 0;
  korvane2::textio::Text12 fnIni{};
};

// The eighteen statements of the parameter file; false when one fails (the run then ends
// with the input error report at once).
bool read_parameters(std::string_view text, Parameters& p) {
  using korvane2::textio::FixedColumnReader;
  using korvane2::textio::FixedLayout;
  korvane2::textio::MemorySource source(text);
  auto statement = [&source](FixedLayout layout, auto& value) {
    FixedColumnReader r;
    int st = r.begin_read(source, layout);
    if (st == 0) {
      if constexpr (std::is_same_v<std::remove_reference_t<decltype(value)>, std::int32_t>) {
        st = r.read_integer(value);
      } else if constexpr (std::is_same_v<std::remove_reference_t<decltype(value)>, double>) {
        st = r.read_double(value);
      } else {
        st = r.read_text(value);
      }
    }
    if (st == 0) st = r.end_read();
    return st == 0;
  };
  constexpr FixedLayout I = FixedLayout::kInteger12, D = FixedLayout::kDouble11_5, A = FixedLayout::kText12;
  return statement(I, p.NRing) && statement(I, p.N30) && statement(D, p.Mstr) && statement(D, p.Fcen) &&
         statement(D, p.R1au) && statement(D, p.Ecc) && statement(D, p.dRr) && statement(D, p.FN3) &&
         statement(D, p.okf0) && statement(D, p.Ctilt) && statement(D, p.EPS) && statement(I, p.Irot) &&
         statement(I, p.Itab) && statement(D, p.Incl) && statement(D, p.Rho) && statement(D, p.Phead) &&
         statement(A, p.fnIni) && statement(I, p.Ntail);
}

// True when the run stays within the limits above (or ends before building any ring).
bool small_enough(std::string_view parameterFile, const std::optional<std::string_view>& table) {
  Parameters p;
  if (!read_parameters(parameterFile, p)) return true;  // input error report
  if (p.NRing < 1 || p.N30 < 1 || !(p.Ecc > -1.0 && p.Ecc < 1.0)) return true;  // refused at once
  if (p.NRing > kMaxRings) return false;

  // The ring table as the ring loop reads it: opened at the top unless a failed read left
  // it open, records 1 .. Iring, closed only when all of them were read.
  std::unique_ptr<korvane2::textio::MemorySource> open;
  std::int32_t Irtb = 0, N3 = 0;
  double okf = 0, Ctilt = 0, Rring = 0, Mbr = 0;
  const double AU = 149597870691.0;
  const double R1 = p.R1au * AU;
  std::int64_t bodies = 1;
  for (int Iring = 1; Iring <= p.NRing; ++Iring) {
    Rring = ((static_cast<double>(Iring - 1) * p.dRr + 1.0) * p.R1au) * AU;
    const double count = ((Rring / R1) * static_cast<double>(p.N30)) * p.FN3;
    if (!(count > -2147483649.0 && count < 2147483648.0)) return true;  // the ring is refused
    N3 = static_cast<std::int32_t>(count);
    if (table) {
      if (!open) open = std::make_unique<korvane2::textio::MemorySource>(*table);
      bool allRead = true;
      for (int Jrec = 1; Jrec <= Iring && allRead; ++Jrec) {
        korvane2::textio::FreeFormatReader r;
        int st = r.begin_read(*open);
        if (st == 0) st = r.read_integer(Irtb);
        if (st == 0) st = r.read_integer(N3);
        if (st == 0) st = r.read_double(okf);
        if (st == 0) st = r.read_double(Ctilt);
        if (st == 0) st = r.read_double(Rring);
        if (st == 0) st = r.read_double(Mbr);
        if (st == 0) st = r.end_read();
        allRead = st == 0;
      }
      if (allRead) open.reset();
    }
    if (N3 < 1) return true;  // the ring is refused
    bodies += N3;
    if (bodies > kMaxBodies) return false;
  }
  return true;
}

bool write_file(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return ::close(fd) == 0;
}

std::string read_file(const std::string& path, std::size_t limit) {
  std::string out;
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return out;
  char buf[4096];
  ssize_t n;
  while (out.size() < limit && (n = ::read(fd, buf, sizeof buf)) != 0) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    out.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return out;
}

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

void remove_tree(const std::string& dir) {
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
      const std::string path = dir + "/" + e->d_name;
      if (::unlink(path.c_str()) != 0) remove_tree(path);
    }
    ::closedir(d);
  }
  ::rmdir(dir.c_str());
}

long long now_ms() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// The contents of the sanitizer report files the child left in the run directory.
std::string sanitizer_report(const std::string& dir) {
  std::string report;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (const dirent* e = ::readdir(d))
      if (std::string_view(e->d_name).rfind(kSanitizerReport, 0) == 0)
        report += read_file(dir + "/" + e->d_name, 1 << 16);
    ::closedir(d);
  }
  return report;
}

[[noreturn]] void child(const std::string& dir, int errWrite) {
  // Signals the fuzzer caught for itself get their ordinary meaning again, so that a
  // child that aborts shows as a death by a signal.
  for (int sig : {SIGABRT, SIGALRM, SIGINT, SIGTERM, SIGUSR1, SIGUSR2, SIGXFSZ, SIGPIPE}) ::signal(sig, SIG_DFL);
  if (::chdir(dir.c_str()) != 0) ::_exit(kSetupFailure);
  const int in = ::open("/dev/null", O_RDONLY);
  const int out = ::open(kConsoleFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || ::dup2(in, STDIN_FILENO) < 0 || ::dup2(out, STDOUT_FILENO) < 0 ||
      ::dup2(errWrite, STDERR_FILENO) < 0)
    ::_exit(kSetupFailure);
  ::close(in);
  ::close(out);
  ::close(errWrite);
  __sanitizer_set_report_path((dir + "/" + kSanitizerReport).c_str());
  omp_set_num_threads(1);
  char arg0[] = "korvane2";
  char* argv[] = {arg0, nullptr};
  const int status = korvane2::run(1, argv);
  ::_exit(status);
}

[[noreturn]] void finding(const std::string& what, const std::string& err, std::string_view param,
                          const std::optional<std::string_view>& table) {
  std::fprintf(stderr, "\nwhole run finding: %s\n", what.c_str());
  std::fprintf(stderr, "--- Korvane2.dat (%zu bytes) ---\n%.*s\n", param.size(), static_cast<int>(param.size()),
               param.data());
  if (table)
    std::fprintf(stderr, "--- rngtbinp.dat (%zu bytes) ---\n%.*s\n", table->size(), static_cast<int>(table->size()),
                 table->data());
  else
    std::fprintf(stderr, "--- no rngtbinp.dat ---\n");
  std::fprintf(stderr, "--- standard error of the run ---\n%s\n--- end ---\n", err.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  std::string_view param = data;
  std::optional<std::string_view> table;
  if (const std::size_t at = data.find(kTableMarker); at != std::string_view::npos) {
    param = data.substr(0, at);
    table = data.substr(at + kTableMarker.size());
  }
  // The name of the initial-data file comes from line 17: a "/" in it could send the run's
  // output anywhere in the file system, so such inputs are not run at all.
  if (param.find('/') != std::string_view::npos) return 0;
  if (!small_enough(param, table)) return 0;

  const char* tmp = std::getenv("TMPDIR");
  std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/korvane2-fuzz-XXXXXX";
  if (::mkdtemp(templ.data()) == nullptr) {
    std::perror("whole_run_fuzz: mkdtemp");
    std::abort();
  }
  const std::string dir = templ;
  if (!write_file(dir + "/Korvane2.dat", param) || (table && !write_file(dir + "/rngtbinp.dat", *table))) {
    std::perror("whole_run_fuzz: writing the input files");
    remove_tree(dir);
    std::abort();
  }

  int fds[2];
  if (::pipe(fds) != 0) {
    std::perror("whole_run_fuzz: pipe");
    remove_tree(dir);
    std::abort();
  }
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) {
    std::perror("whole_run_fuzz: fork");
    remove_tree(dir);
    std::abort();
  }
  if (pid == 0) {
    ::close(fds[0]);
    child(dir, fds[1]);
  }
  ::close(fds[1]);

  // Standard error of the run, read until the child closes it or the time is up.
  std::string err;
  const long long deadline = now_ms() + kRunSeconds * 1000LL;
  bool timedOut = false;
  for (;;) {
    const long long left = deadline - now_ms();
    if (left <= 0) {
      timedOut = true;
      break;
    }
    pollfd pfd{fds[0], POLLIN, 0};
    const int r = ::poll(&pfd, 1, static_cast<int>(left));
    if (r < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (r == 0) continue;
    char buf[4096];
    const ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const std::string chunk(buf, static_cast<std::size_t>(n));
    if (err.size() < kKeptStderr) err += chunk.substr(0, kKeptStderr - err.size());
  }
  ::close(fds[0]);

  int wstatus = 0;
  bool reaped = false;
  while (!timedOut) {
    const pid_t w = ::waitpid(pid, &wstatus, WNOHANG);
    if (w == pid) {
      reaped = true;
      break;
    }
    if (w < 0 && errno != EINTR) break;
    if (now_ms() >= deadline) {
      timedOut = true;
      break;
    }
    ::usleep(1000);
  }
  if (!reaped) {
    if (timedOut) ::kill(pid, SIGKILL);
    while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
  }

  const std::string console = read_file(dir + "/" + kConsoleFile, 1 << 20);
  const bool haveReport = exists(dir + "/Korvane2Err");
  const bool haveSummary = exists(dir + "/rngtbout.dat");
  const std::string sanitizerReport = sanitizer_report(dir);
  remove_tree(dir);

  if (timedOut) finding("the run did not end within " + std::to_string(kRunSeconds) + " s", err, param, table);
  if (WIFSIGNALED(wstatus))
    finding("the run died by signal " + std::to_string(WTERMSIG(wstatus)) + " (" + strsignal(WTERMSIG(wstatus)) + ")",
            err, param, table);
  if (!WIFEXITED(wstatus)) finding("the run ended in an unknown way", err, param, table);
  const int status = WEXITSTATUS(wstatus);
  if (status == kSetupFailure) {
    std::fprintf(stderr, "whole_run_fuzz: the child could not prepare the run\n");
    std::abort();
  }
  if (!sanitizerReport.empty()) finding("a sanitizer report:\n" + sanitizerReport, err, param, table);
  if (status < 0 || status > 4) finding("exit status " + std::to_string(status), err, param, table);
  switch (status) {
    case 0:
      if (!console.empty()) finding("a complete run wrote to the console: " + console.substr(0, 400), err, param, table);
      if (!haveReport || !haveSummary)
        finding("a complete run left no report file or no ring summary file", err, param, table);
      break;
    case 1:
      if (err.empty()) finding("a run-time failure (status 1) without a report on standard error", err, param, table);
      break;
    case 2:
      if (err.empty() && console.empty()) finding("status 2 without any message", err, param, table);
      break;
    case 3:
      if (console.find("Error okf2 = ") == std::string::npos)
        finding("status 3 without \"Error okf2 = \" on the console", err, param, table);
      break;
    case 4:
      if (!console.empty()) finding("a status 4 run wrote to the console: " + console.substr(0, 400), err, param, table);
      if (!haveReport || !haveSummary)
        finding("a status 4 run left no report file or no ring summary file", err, param, table);
      if (err.find("korvane2: warning: ") == std::string::npos)
        finding("status 4 without a warning on standard error", err, param, table);
      break;
  }
  return 0;
}
