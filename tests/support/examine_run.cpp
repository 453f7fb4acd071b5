// Subprocess runner for the inspector's end-to-end tests: fork, chdir into the run
// directory, standard streams to and from temporary files, wait for the status.
#include "support/examine_run.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvane2::testing {

ProgramResult run_inspect(const TempDir& dir, const RunOptions& options) {
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
    std::vector<char*> argv;
    std::string exe = KORVANE2_INSPECT_EXE;
    argv.push_back(exe.data());
    std::vector<std::string> args = options.args;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(exe.c_str(), argv.data());
    _exit(127);
  }
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0) {
  }
  ProgramResult r;
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  r.out = streams.read("out");
  r.err = streams.read("err");
  return r;
}

}  // namespace korvane2::testing
