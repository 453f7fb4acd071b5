// Running the built programs in a fresh temporary directory: files in and out as bytes,
// the standard output, standard error and exit status of the run.
#pragma once

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

struct ProgramResult {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;  // standard output
  std::string err;  // standard error
};

struct RunOptions {
  std::vector<std::string> args{};
  std::string input{};                       // bytes on standard input (closed after them)
  std::map<std::string, std::string> env{};  // extra environment variables
  int signal = 0;                            // sent to the run after signalAfterMs, if not 0
  int signalAfterMs = 0;
};

// Runs the executable `exe` with `dir` as its working directory.
ProgramResult run_program(const std::string& exe, const TempDir& dir, const RunOptions& options = {});

// Runs korvane2, or korvane2-inspect, with `dir` as its working directory.
ProgramResult run_korvane2(const TempDir& dir, const RunOptions& options = {});
ProgramResult run_inspect(const TempDir& dir, const RunOptions& options = {});

}  // namespace korvane2::testing
