// The unit table: files reached through unit numbers (open with status "OLD" or none,
// cut at the first write, buffered records, close), the console with its first-column
// rule, blank file names resolved from the command line or the console question, and
// the end of the run.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "textio/char_source.hpp"
#include "textio/line_sink.hpp"

namespace korvane2::textio {

enum class OpenStatus { kNone, kOld };

// Thrown after a run-time failure report has been written: the run ends with `status`
// once the end-of-run processing has closed the units.
struct RunTermination {
  int status;
};

// Run-time failure report numbers of input/output statements.
enum IoReport : int {
  kReportBadName = 6412,
  kReportAlreadyConnected = 6413,
  kReportAccessDenied = 6414,
  kReportNotFound = 6416,
  kReportWriteFault = 6422,
  kReportCloseFault = 6423,
};

// How a unit opened for an atomic replacement reaches its file.
struct Replacement {
  bool guarded = false;   // opened for an atomic replacement
  std::string temporary;  // non-empty: written here and renamed over `target` when closed
  std::string target;     // the named file with the symbolic links of its name followed
  bool earlierFile = false;  // written in place over a regular file that existed
};

// What became of the file opened for an atomic replacement (the initial-data file).
enum class ReplacedFile { kNotWritten, kWritten, kOverwrittenIncomplete, kIncomplete };

// One connected unit: a file open for reading (as a CharSource) or writing (as a
// LineSink, each line followed by CR LF).
class Unit final : public CharSource, public LineSink {
 public:
  static constexpr std::size_t kBufferSize = 1 << 18;

  Unit(int number, std::string name, int fd, dev_t dev, ino_t ino, Replacement replacement = {});
  ~Unit() override;

  int number() const { return number_; }
  const std::string& name() const { return name_; }
  bool same_file(dev_t dev, ino_t ino) const { return dev == dev_ && ino == ino_; }

  void put_line(std::string_view line) override;
  // Appends raw bytes (already terminated records) to the unit.
  void write_bytes(const char* data, std::size_t size);
  // Writes out the buffer; returns false when the file refused the bytes.
  bool flush();
  // Flushes and closes the file descriptor; returns false when either failed. A unit
  // written through a temporary file then puts it in place of the named file.
  bool close_file();
  // For a unit written through a temporary file: removes that file (the named file keeps
  // its earlier contents). Uses system calls only.
  void discard_temporary() const;
  bool writes_through_temporary() const { return !replacement_.temporary.empty(); }

  // For the fault handler: the descriptor and the bytes not yet written.
  int fd() const { return fd_; }
  const char* pending_data() const { return out_.get(); }
  std::size_t pending_size() const { return outLen_; }

 protected:
  long refill(char* buf, std::size_t cap) override;

 private:
  void start_writing();

  int number_;
  std::string name_;
  int fd_;
  dev_t dev_;
  ino_t ino_;
  bool writing_ = false;
  bool writeFailed_ = false;  // bytes were lost: the file is not complete
  std::unique_ptr<char[]> out_;
  std::size_t outLen_ = 0;
  Replacement replacement_;
};

// The console (standard output): each line shown from its second column; CR LF is
// written before every line but the first, and at the end of the run if a line is open.
class Console final : public LineSink {
 public:
  void put_line(std::string_view line) override;
  // Ends the open line, if any, with CR LF.
  void end_line();
  bool line_open() const { return lineOpen_; }

 private:
  bool lineOpen_ = false;
};

class UnitTable {
 public:
  static constexpr int kMaxUnit = 9;

  // Starts a run: the command-line arguments that blank file names take in turn, and no
  // file replaced yet.
  void set_arguments(std::vector<std::string> args);

  // Trims a 12-character name. A blank name takes the next command-line argument, then
  // the console question (repeated until a non-blank line); the end of standard input
  // is a run-time failure. A name taken from the command line or the console that holds
  // a control character is refused with one line on standard error and RunTermination{2}.
  std::string resolve_name(int unit, std::string_view name12);

  // Connects `unit` to the file of the (trimmed, non-blank) name. Without an error branch
  // a failure writes the run-time failure report and throws RunTermination; with one it
  // returns the report number instead (0 on success). With `replaceAtomically` a regular
  // or missing file (symbolic links followed) is written as a temporary file beside it
  // that replaces it only when the unit is closed, so that a run failing before leaves it
  // as it was; where its folder refuses a new file, and for a device or a pipe, the file
  // itself is written.
  int open_unit(int unit, const std::string& name, OpenStatus status, bool errorBranch,
                bool replaceAtomically = false);
  // Writes out the buffer, closes the file and frees the unit number.
  void close_unit(int unit);
  // The connected unit, or nullptr.
  Unit* unit(int number) const;
  Console& console() { return console_; }

  // Writes the run-time failure report of a statement on a unit and throws
  // RunTermination{1}.
  [[noreturn]] void io_failure(int report, const char* statement, const std::string& name,
                               const char* message);

  // End of the run: closes every connected unit, ends an open console line. After a
  // failure (`complete` false) a temporary file is removed instead of put in place, and a
  // file replaced in place that is left incomplete is said so on standard error.
  void end_run(bool complete);

  // For the signal handlers: writes out every buffer (only with `writePending`: no unit
  // is being changed), closes every file and removes a temporary file, with system calls
  // only.
  void emergency_flush(bool writePending) const;

  // What became of the file opened for an atomic replacement in this run, as the end of
  // a sentence ("the initial-data file was written").
  const char* replaced_file_outcome() const;
  void note_replaced_file(ReplacedFile state) { replaced_ = state; }

 private:
  std::unique_ptr<Unit> units_[kMaxUnit + 1];
  Console console_;
  std::vector<std::string> args_;
  std::size_t nextArg_ = 0;
  std::atomic<ReplacedFile> replaced_{ReplacedFile::kNotWritten};
};

// The one unit table of the run.
UnitTable& units();

// Leading and trailing blanks removed.
std::string trim_name(std::string_view name);

// Writes all bytes to a descriptor with write(2) only (safe in a signal handler).
bool write_all(int fd, const char* data, std::size_t size);

}  // namespace korvane2::textio
