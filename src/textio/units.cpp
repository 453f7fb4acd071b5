// Units, files and the console: how opening, writing, reading and closing a unit act on
// its file, and the input/output run-time failure reports.
#include "textio/units.hpp"

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

Unit::Unit(int number, std::string name, int fd, dev_t dev, ino_t ino, std::string tempName)
    : CharSource(1 << 16),
      number_(number),
      name_(std::move(name)),
      fd_(fd),
      dev_(dev),
      ino_(ino),
      tempName_(std::move(tempName)) {}

Unit::~Unit() {
  if (fd_ >= 0) ::close(fd_);
}

void Unit::discard_temporary() const {
  if (!tempName_.empty()) ::unlink(tempName_.c_str());
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
}

void Unit::write_bytes(const char* data, std::size_t size) {
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
  write_bytes(line.data(), line.size());
  write_bytes("\r\n", 2);
}

bool Unit::flush() {
  if (outLen_ == 0) return true;
  InterruptHold hold;
  bool ok = write_all(fd_, out_.get(), outLen_);
  outLen_ = 0;
  return ok;
}

bool Unit::close_file() {
  bool ok = flush();
  if (!tempName_.empty() && writing_ && ok && ::fsync(fd_) != 0) ok = false;
  if (fd_ >= 0 && ::close(fd_) != 0 && errno != EINTR) ok = false;
  fd_ = -1;
  if (!tempName_.empty()) {
    // Nothing written: the named file keeps its contents.
    if (ok && writing_) ok = ::rename(tempName_.c_str(), name_.c_str()) == 0;
    if (!ok || !writing_) discard_temporary();
    tempName_.clear();
  }
  return ok;
}

// ------------------------------------------------------------------------- Console

void Console::put_line(std::string_view line) {
  if (lineOpen_) write_all(STDOUT_FILENO, "\r\n", 2);
  // The first column is the line-control character; the system always puts a blank
  // there, which means "start on a new line", and it is not shown.
  if (line.size() > 1) write_all(STDOUT_FILENO, line.data() + 1, line.size() - 1);
  lineOpen_ = true;
}

void Console::end_line() {
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
}

std::string UnitTable::resolve_name(int unit, std::string_view name12) {
  std::string name = trim_name(name12);
  if (!name.empty()) return name;
  while (nextArg_ < args_.size()) {
    name = trim_name(args_[nextArg_++]);
    if (!name.empty()) return name;
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
    if (!name.empty()) return name;
  }
}

Unit* UnitTable::unit(int number) const {
  if (number < 0 || number > kMaxUnit) return nullptr;
  return units_[number].get();
}

namespace {

// A temporary file beside `name` for an atomic replacement, or -1 when the name is not a
// regular or missing file (a device, a pipe or a symbolic link is written in place) or
// the directory refuses one.
int open_temporary_beside(const std::string& name, std::string& tempName) {
  struct stat st;
  bool exists = ::lstat(name.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return -1;
  std::size_t slash = name.rfind('/');
  std::string dir = slash == std::string::npos ? "" : name.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  tempName = dir + "." + base + ".XXXXXX";
  int fd = ::mkstemp(tempName.data());
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

  if (replaceAtomically && status == OpenStatus::kNone) {
    std::string tempName;
    int fd = open_temporary_beside(name, tempName);
    if (fd >= 0) {
      struct stat target;
      if (::stat(name.c_str(), &target) != 0 && ::fstat(fd, &target) != 0) target = st;
      units_[unit] = std::make_unique<Unit>(unit, name, fd, target.st_dev, target.st_ino, tempName);
      return 0;
    }
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
  units_[unit] = std::make_unique<Unit>(unit, name, fd, st.st_dev, st.st_ino);
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
}

void UnitTable::emergency_flush() const {
  for (const auto& u : units_) {
    if (!u || u->fd() < 0) continue;
    if (u->writes_through_temporary()) {
      u->discard_temporary();
    } else {
      write_all(u->fd(), u->pending_data(), u->pending_size());
    }
    ::close(u->fd());
  }
  if (console_.line_open()) write_all(STDOUT_FILENO, "\r\n", 2);
}

}  // namespace korvane2::textio
