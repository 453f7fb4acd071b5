// Running the built programs in a fresh temporary directory: files in and out as bytes,
// the standard output, standard error and exit status of the run.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace korvane2::testing {

// A fresh directory below the system's temporary directory, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;
  // Names of the entries of the directory, sorted.
  std::vector<std::string> entries() const;

 private:
  std::string path_;
};

// Entries of the directory other than the run's named files (Korvane2.dat, Korvane2Err,
// rngtbout.dat, rngtbinp.dat, ring.ini) and `alsoNamed`: what a run left over.
std::vector<std::string> leftovers(const TempDir& dir, const std::vector<std::string>& alsoNamed = {});

struct ProgramResult {
  int status = -1;         // exit status, or 128 + signal number
  std::string out;         // standard output
  std::string err;         // standard error
  bool signalled = false;  // the signal was sent while the run was still going on
};

struct ResourceLimit {
  int resource;  // RLIMIT_AS, RLIMIT_FSIZE, ...
  unsigned long bytes;
};

struct RunOptions {
  std::vector<std::string> args{};
  std::string input{};                       // bytes on standard input (closed after them)
  std::map<std::string, std::string> env{};  // extra environment variables
  int signal = 0;                            // sent to the run, if not 0, after signalAfterMs
  int signalAfterMs = 0;
  std::function<bool()> signalWhen{};        // ... and once this holds (polled), if given
  int signalAgainAfterMs = 0;                // if not 0: sent once more after that, if still running
  std::vector<ResourceLimit> limits{};       // set for the run
  // The run gets the permissions of an ordinary user: started by root, it runs as the
  // user and group "nobody" (65534), whom file modes bind.
  bool unprivileged = false;
};

// Runs the executable `exe` with `dir` as its working directory.
ProgramResult run_program(const std::string& exe, const TempDir& dir, const RunOptions& options = {});

// Runs korvane2, or korvane2-inspect, with `dir` as its working directory.
ProgramResult run_korvane2(const TempDir& dir, const RunOptions& options = {});
ProgramResult run_inspect(const TempDir& dir, const RunOptions& options = {});

}  // namespace korvane2::testing
