// The progress line: drawn on standard error only when it is a terminal (a
// pseudo-terminal here) and the work is predicted to last more than about two seconds,
// erased at the end; a pipe never receives a byte of it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <thread>

#include "support/parameter_file.hpp"
#include "support/program_run.hpp"
#include "textio/progress_line.hpp"

namespace korvane2 {
namespace {

using namespace std::chrono_literals;

// Everything readable from a pseudo-terminal's master side until the slave side is gone
// (the read then fails with EIO) or, with `untilQuiet`, nothing more is waiting.
std::string drain(int master, bool untilQuiet) {
  std::string bytes;
  char buf[4096];
  for (;;) {
    if (untilQuiet) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(master, &set);
      timeval none{0, 0};
      if (::select(master + 1, &set, nullptr, nullptr, &none) <= 0) return bytes;
    }
    const ssize_t n = ::read(master, buf, sizeof buf);
    if (n > 0) bytes.append(buf, static_cast<std::size_t>(n));
    else if (n < 0 && errno == EINTR) continue;
    else return bytes;
  }
}

// Standard error of this process on a pseudo-terminal for the life of the object.
class StderrOnTerminal {
 public:
  StderrOnTerminal() {
    termios raw{};
    cfmakeraw(&raw);
    EXPECT_EQ(::openpty(&master_, &slave_, nullptr, &raw, nullptr), 0);
    saved_ = ::dup(STDERR_FILENO);
    ::dup2(slave_, STDERR_FILENO);
  }
  ~StderrOnTerminal() {
    ::dup2(saved_, STDERR_FILENO);
    for (int fd : {saved_, slave_, master_}) ::close(fd);
  }
  std::string written() { return drain(master_, true); }

 private:
  int master_ = -1, slave_ = -1, saved_ = -1;
};

TEST(ProgressLine, LongWorkOnATerminalIsShownAndErased) {
  StderrOnTerminal terminal;
  {
    textio::ProgressLine line("ring 2 of 5", 1000);
    line.advance(100);
    line.show_if_due();  // too early: nothing yet
    EXPECT_EQ(terminal.written(), "");
    std::this_thread::sleep_for(600ms);
    line.show_if_due();  // a tenth done after 0.6 s: 6 s predicted
    const std::string shown = terminal.written();
    EXPECT_EQ(shown.rfind("\r\033[Kkorvane2: ring 2 of 5:  10 % of its rotations, ", 0), 0u) << shown;
    EXPECT_EQ(shown.find('\n'), std::string::npos) << shown;
  }
  EXPECT_EQ(terminal.written(), "\r\033[K");
}

TEST(ProgressLine, ShortWorkIsNeverShown) {
  StderrOnTerminal terminal;
  {
    textio::ProgressLine line("ring 1 of 1", 1000);
    line.advance(900);
    std::this_thread::sleep_for(600ms);
    line.show_if_due();  // nine tenths after 0.6 s: 0.67 s predicted
  }
  EXPECT_EQ(terminal.written(), "");
}

TEST(ProgressLine, StandardErrorOnAPipeNeverGetsIt) {
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const int saved = ::dup(STDERR_FILENO);
  ::dup2(pipeEnds[1], STDERR_FILENO);
  {
    textio::ProgressLine line("ring 1 of 1", 1000);
    line.advance(1);
    std::this_thread::sleep_for(600ms);
    line.show_if_due();
  }
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  ::close(pipeEnds[1]);
  EXPECT_EQ(drain(pipeEnds[0], false), "");
  ::close(pipeEnds[0]);
}

// A ring of 150 000 bodies takes some seconds: under a terminal the run draws the line
// and erases it before its warning (the ring crosses itself and two bodies overlap),
// which then starts a clean line.
TEST(ProgressLine, ALongRunShowsItOnATerminal) {
  testing::TempDir dir;
  dir.write("Korvane2.dat", testing::ParameterFile().set(2, "150000").set(9, "0.9").text());
  int master = -1, slave = -1;
  termios raw{};
  cfmakeraw(&raw);
  ASSERT_EQ(::openpty(&master, &slave, nullptr, &raw, nullptr), 0);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0 || ::chdir(dir.path().c_str()) != 0) _exit(126);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(slave, STDERR_FILENO);
    ::close(master);
    ::execl(KORVANE2_EXE, KORVANE2_EXE, static_cast<char*>(nullptr));
    _exit(127);
  }
  ::close(slave);
  const std::string onTerminal = drain(master, false);
  ::close(master);
  int wstatus = 0;
  ASSERT_EQ(::waitpid(pid, &wstatus, 0), pid);
  ASSERT_TRUE(WIFEXITED(wstatus));
  EXPECT_EQ(WEXITSTATUS(wstatus), 0);
  EXPECT_EQ(onTerminal.rfind("\r\033[Kkorvane2: ring 1 of 1: ", 0), 0u) << onTerminal.substr(0, 200);
  const std::size_t warning = onTerminal.find("korvane2: warning:");
  ASSERT_NE(warning, std::string::npos) << onTerminal.substr(0, 200);
  EXPECT_EQ(onTerminal.substr(warning - 4, 4), "\r\033[K");
  EXPECT_EQ(onTerminal.find('\n'), onTerminal.size() - 1);  // the warning's line end only
}

}  // namespace
}  // namespace korvane2
