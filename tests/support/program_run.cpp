// Subprocess runner for the end-to-end tests: fork, chdir into the run directory,
// standard streams to and from temporary files, wait for the status.
#include "support/program_run.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace korvane2::testing {

namespace {

std::string make_temp_dir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "korvane2-test.XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  return tmpl;
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The user and group "nobody".
constexpr uid_t kNobody = 65534;
constexpr useconds_t kPollMicroseconds = 200;

// True once the child has ended (it is not reaped here).
bool has_ended(pid_t pid) {
  siginfo_t info{};
  return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

}  // namespace

TempDir::TempDir() : path_(make_temp_dir()) {}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void TempDir::write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string TempDir::read(const std::string& name) const { return slurp(file(name)); }

bool TempDir::exists(const std::string& name) const {
  struct stat st;
  return ::lstat(file(name).c_str(), &st) == 0;
}

std::vector<std::string> TempDir::entries() const {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> leftovers(const TempDir& dir, const std::vector<std::string>& alsoNamed) {
  std::vector<std::string> named = {"Korvane2.dat", "Korvane2Err", "rngtbout.dat", "rngtbinp.dat", "ring.ini"};
  named.insert(named.end(), alsoNamed.begin(), alsoNamed.end());
  std::vector<std::string> extra;
  for (const auto& name : dir.entries())
    if (std::find(named.begin(), named.end(), name) == named.end()) extra.push_back(name);
  return extra;
}

ProgramResult run_program(const std::string& program, const TempDir& dir, const RunOptions& options) {
  TempDir streams;
  streams.write("in", options.input);
  const std::string outPath = streams.file("out"), errPath = streams.file("err"), inPath = streams.file("in");

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int in = ::open(inPath.c_str(), O_RDONLY);
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || ::chdir(dir.path().c_str()) != 0) _exit(126);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    for (const auto& [k, v] : options.env) ::setenv(k.c_str(), v.c_str(), 1);
    for (const ResourceLimit& limit : options.limits) {
      const struct rlimit value = {limit.bytes, limit.bytes};
      if (::setrlimit(limit.resource, &value) != 0) _exit(126);
    }
    if (options.unprivileged && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
      _exit(126);
    std::vector<char*> argv;
    std::string exe = program;
    argv.push_back(exe.data());
    std::vector<std::string> args = options.args;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(exe.c_str(), argv.data());
    _exit(127);
  }
  ProgramResult r;
  if (options.signal != 0) {
    ::usleep(static_cast<useconds_t>(options.signalAfterMs) * 1000);
    while (options.signalWhen && !options.signalWhen() && !has_ended(pid)) ::usleep(kPollMicroseconds);
    r.signalled = !has_ended(pid) && ::kill(pid, options.signal) == 0;
    if (options.signalAgainAfterMs != 0) {
      ::usleep(static_cast<useconds_t>(options.signalAgainAfterMs) * 1000);
      if (!has_ended(pid)) ::kill(pid, options.signal);
    }
  }
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0) {
  }
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  r.out = slurp(outPath);
  r.err = slurp(errPath);
  return r;
}

ProgramResult run_korvane2(const TempDir& dir, const RunOptions& options) {
  return run_program(KORVANE2_EXE, dir, options);
}

ProgramResult run_inspect(const TempDir& dir, const RunOptions& options) {
  return run_program(KORVANE2_INSPECT_EXE, dir, options);
}

}  // namespace korvane2::testing
