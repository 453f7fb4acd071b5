// Units, files and the console: how opening, writing, reading and closing a unit act on
// its file, and the input/output run-time failure reports.
#include "textio/units.hpp"

#include "textio/file_names.hpp"
#include "textio/run_signals.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korvane2::textio {

namespace {

constexpr std::size_t kQuestionLineLimit = 260;

bool is_blank(char c) { return c == ' '; }

}  // namespace

bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::string trim_name(std::string_view name) {
  std::size_t b = 0, e = name.size();
  while (b < e && is_blank(name[b])) ++b;
  while (e > b && is_blank(name[e - 1])) --e;
  return std::string(name.substr(b, e - b));
}

// ---------------------------------------------------------------------------- Unit

Unit::Unit(int number, std::string name, int fd, dev_t dev, ino_t ino, Replacement replacement)
    : CharSource(1 << 16),
      number_(number),
      name_(std::move(name)),
      fd_(fd),
      dev_(dev),
      ino_(ino),
      replacement_(std::move(replacement)) {}

Unit::~Unit() {
  if (fd_ >= 0) ::close(fd_);
}

void Unit::discard_temporary() const {
  if (writes_through_temporary()) ::unlink(replacement_.temporary.c_str());
}

long Unit::refill(char* buf, std::size_t cap) {
  for (;;) {
    ssize_t n = ::read(fd_, buf, cap);
    if (n >= 0) return static_cast<long>(n);
    if (errno != EINTR) return -1;
  }
}

void Unit::start_writing() {
  // The first write cuts the file at the current position: the beginning, since a unit
  // that is written is never read first.
  writing_ = true;
  out_.reset(new char[kBufferSize]);
  outLen_ = 0;
  if (::ftruncate(fd_, 0) != 0) {
    struct stat st;
    // Devices and pipes cannot be cut; only a regular file that refuses is a failure.
    if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode))
      units().io_failure(kReportWriteFault, "WRITE", name_, std::strerror(errno));
  }
  ::lseek(fd_, 0, SEEK_SET);
  if (replacement_.guarded && !writes_through_temporary())
    units().note_replaced_file(replacement_.earlierFile ? ReplacedFile::kOverwrittenIncomplete
                                                        : ReplacedFile::kIncomplete);
}

void Unit::write_bytes(const char* data, std::size_t size) {
  InterruptHold hold;
  if (!writing_) start_writing();
  while (size > 0) {
    std::size_t room = kBufferSize - outLen_;
    std::size_t n = size < room ? size : room;
    std::memcpy(out_.get() + outLen_, data, n);
    outLen_ += n;
    data += n;
    size -= n;
    if (outLen_ == kBufferSize && !flush())
      units().io_failure(kReportWriteFault, "WRITE", name_, std::strerror(errno));
  }
}

void Unit::put_line(std::string_view line) {
  InterruptHold hold;
  write_bytes(line.data(), line.size());
  write_bytes("\r\n", 2);
}

bool Unit::flush() {
  if (outLen_ == 0) return true;
  InterruptHold hold;
  bool ok = write_all(fd_, out_.get(), outLen_);
  outLen_ = 0;
  if (!ok) writeFailed_ = true;
  return ok;
}

bool Unit::close_file() {
  InterruptHold hold;
  bool ok = flush();
  if (writes_through_temporary() && writing_ && ok && ::fsync(fd_) != 0) ok = false;
  if (fd_ >= 0 && ::close(fd_) != 0 && errno != EINTR) ok = false;
  fd_ = -1;
  if (writes_through_temporary()) {
    // Nothing written: the named file keeps its contents.
    if (ok && writing_) ok = ::rename(replacement_.temporary.c_str(), replacement_.target.c_str()) == 0;
    if (!ok || !writing_) discard_temporary();
    replacement_.temporary.clear();
  }
  if (ok && writing_ && !writeFailed_ && replacement_.guarded) units().note_replaced_file(ReplacedFile::kWritten);
  return ok;
}

// ------------------------------------------------------------------------- Console

void Console::put_line(std::string_view line) {
  InterruptHold hold;
  if (lineOpen_) write_all(STDOUT_FILENO, "\r\n", 2);
  // The first column is the line-control character; the system always puts a blank
  // there, which means "start on a new line", and it is not shown.
  if (line.size() > 1) write_all(STDOUT_FILENO, line.data() + 1, line.size() - 1);
  lineOpen_ = true;
}

void Console::end_line() {
  InterruptHold hold;
  if (lineOpen_) write_all(STDOUT_FILENO, "\r\n", 2);
  lineOpen_ = false;
}

// ----------------------------------------------------------------------- UnitTable

UnitTable& units() {
  static UnitTable table;
  return table;
}

void UnitTable::set_arguments(std::vector<std::string> args) {
  args_ = std::move(args);
  nextArg_ = 0;
  replaced_ = ReplacedFile::kNotWritten;
}

namespace {

// A name from the command line or the console is used as given or not at all: the file
// system would cut it at a NUL, and no other control character belongs in a name.
void refuse_control_characters(std::string_view given, const std::string& origin) {
  const std::size_t bad = find_control_character(given);
  if (bad == std::string_view::npos) return;
  const std::string line = "korvane2: " + origin + ": the file name is refused: it holds " +
                           describe_control_character(given, bad, 1) + "\n";
  write_all(STDERR_FILENO, line.data(), line.size());
  throw RunTermination{2};  // a name that cannot be used
}

}  // namespace

std::string UnitTable::resolve_name(int unit, std::string_view name12) {
  std::string name = trim_name(name12);
  if (!name.empty()) return name;
  while (nextArg_ < args_.size()) {
    const std::string& given = args_[nextArg_++];
    name = trim_name(given);
    if (name.empty()) continue;
    refuse_control_characters(given, "command-line argument " + std::to_string(nextArg_) + " (unit " +
                                         std::to_string(unit) + ")");
    return name;
  }
  for (;;) {
    console_.end_line();
    std::string question = "File name missing or blank - please enter file name\r\nUNIT " +
                           std::to_string(unit) + "? ";
    write_all(STDOUT_FILENO, question.data(), question.size());
    std::string answer;
    bool gotAny = false;
    for (;;) {
      char c;
      ssize_t n = ::read(STDIN_FILENO, &c, 1);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      gotAny = true;
      if (c == '\n') break;
      if (c != '\r' && answer.size() < kQuestionLineLimit) answer.push_back(c);
    }
    if (!gotAny) {
      std::string label = "UNIT " + std::to_string(unit);
      io_failure(kReportBadName, "OPEN", label,
                 "file name missing: standard input ended before a name was given");
    }
    name = trim_name(answer);
    if (name.empty()) continue;
    refuse_control_characters(answer, "the name answered on standard input for unit " + std::to_string(unit));
    return name;
  }
}

Unit* UnitTable::unit(int number) const {
  if (number < 0 || number > kMaxUnit) return nullptr;
  return units_[number].get();
}

namespace {

// A temporary file beside `target` (a name whose links are followed) for an atomic
// replacement, or -1 when the target is not a regular or missing file (a device or a pipe
// is written in place) or its folder refuses a new file. A name too long to be extended
// gets a short temporary name.
int open_temporary_beside(const std::string& target, std::string& tempName) {
  struct stat st;
  bool exists = ::lstat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return -1;
  std::size_t slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  tempName = dir + "." + base + ".XXXXXX";
  int fd = ::mkstemp(tempName.data());
  if (fd < 0 && errno == ENAMETOOLONG) {
    tempName = dir + ".korvane2.XXXXXX";
    fd = ::mkstemp(tempName.data());
  }
  if (fd < 0) return -1;
  // The file gets the permissions a newly created or the existing file would have.
  mode_t mode;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd, mode);
  return fd;
}

}  // namespace

int UnitTable::open_unit(int unit, const std::string& name, OpenStatus status, bool errorBranch,
                         bool replaceAtomically) {
  InterruptHold hold;
  auto fail = [&](int report, const char* message) -> int {
    if (errorBranch) return report;
    io_failure(report, "OPEN", name, message);
  };

  struct stat st;
  bool exists = ::stat(name.c_str(), &st) == 0;
  int statErrno = errno;
  if (exists) {
    if (Unit* u = units_[unit].get(); u && u->same_file(st.st_dev, st.st_ino)) return 0;
  }
  if (units_[unit]) close_unit(unit);
  if (exists) {
    for (int other = 0; other <= kMaxUnit; ++other)
      if (other != unit && units_[other] && units_[other]->same_file(st.st_dev, st.st_ino))
        return fail(kReportAlreadyConnected, "file already connected to another unit");
    if (S_ISDIR(st.st_mode)) return fail(kReportBadName, "file name names a directory");
  }
  if (status == OpenStatus::kOld && !exists) {
    if (statErrno == ENOENT || statErrno == ENOTDIR) return fail(kReportNotFound, "file not found");
    if (statErrno == EACCES) return fail(kReportAccessDenied, "permission to access file denied");
    return fail(kReportBadName, "file name cannot be used");
  }

  Replacement replacement;
  if (replaceAtomically && status == OpenStatus::kNone) {
    replacement.guarded = true;
    replacement.target = follow_links(name);
    int fd = open_temporary_beside(replacement.target, replacement.temporary);
    if (fd >= 0) {
      struct stat target;
      if (::stat(name.c_str(), &target) != 0 && ::fstat(fd, &target) != 0) target = st;
      units_[unit] = std::make_unique<Unit>(unit, name, fd, target.st_dev, target.st_ino, std::move(replacement));
      return 0;
    }
    replacement.temporary.clear();
    replacement.earlierFile = exists && S_ISREG(st.st_mode);
  }

  int create = status == OpenStatus::kOld ? 0 : O_CREAT;
  int fd = ::open(name.c_str(), O_RDWR | create | O_CLOEXEC, 0666);
  if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
    fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 && (errno == EACCES || errno == EPERM))
    fd = ::open(name.c_str(), O_WRONLY | create | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == EACCES || errno == EPERM) return fail(kReportAccessDenied, "permission to access file denied");
    if (errno == ENOENT && status == OpenStatus::kOld) return fail(kReportNotFound, "file not found");
    if (errno == ENOENT || errno == ENOTDIR) return fail(kReportBadName, "file name cannot be used: no such directory");
    if (errno == ENAMETOOLONG) return fail(kReportBadName, "file name cannot be used: name too long");
    return fail(kReportBadName, "file name cannot be used");
  }
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return fail(kReportBadName, "file name cannot be used");
  }
  units_[unit] = std::make_unique<Unit>(unit, name, fd, st.st_dev, st.st_ino, std::move(replacement));
  return 0;
}

void UnitTable::close_unit(int unit) {
  InterruptHold hold;
  std::unique_ptr<Unit> u = std::move(units_[unit]);
  if (!u) return;
  if (!u->flush()) {
    int error = errno;
    u->discard_temporary();
    io_failure(kReportWriteFault, "WRITE", u->name(), std::strerror(error));
  }
  if (!u->close_file()) io_failure(kReportCloseFault, "CLOSE", u->name(), std::strerror(errno));
}

void UnitTable::io_failure(int report, const char* statement, const std::string& name,
                           const char* message) {
  std::string text = "\r\nrun-time error F" + std::to_string(report) + ": " + statement + "(" + name +
                     ")\r\n- " + message + "\r\n";
  write_all(STDERR_FILENO, text.data(), text.size());
  throw RunTermination{1};
}

void UnitTable::end_run(bool complete) {
  InterruptHold hold;
  for (auto& u : units_) {
    if (u && !complete) u->discard_temporary();
    if (u && (complete || !u->writes_through_temporary())) u->close_file();
    u.reset();
  }
  console_.end_line();
  nextArg_ = 0;
  const ReplacedFile replaced = replaced_;
  if (!complete && (replaced == ReplacedFile::kOverwrittenIncomplete || replaced == ReplacedFile::kIncomplete)) {
    const std::string line = std::string("korvane2: ") + replaced_file_outcome() + "\n";
    write_all(STDERR_FILENO, line.data(), line.size());
  }
}

void UnitTable::emergency_flush(bool writePending) const {
  for (const auto& u : units_) {
    if (!u || u->fd() < 0) continue;
    if (u->writes_through_temporary()) {
      u->discard_temporary();
    } else if (writePending) {
      write_all(u->fd(), u->pending_data(), u->pending_size());
    }
    ::close(u->fd());
  }
  if (writePending && console_.line_open()) write_all(STDOUT_FILENO, "\r\n", 2);
}

const char* UnitTable::replaced_file_outcome() const {
  switch (replaced_.load()) {
    case ReplacedFile::kWritten: return "the initial-data file was written";
    case ReplacedFile::kOverwrittenIncomplete:
      return "the earlier initial-data file was overwritten in place and is now incomplete";
    case ReplacedFile::kIncomplete: return "the initial-data file was written in place and is incomplete";
    default: return "the initial-data file was not written";
  }
}

}  // namespace korvane2::textio
