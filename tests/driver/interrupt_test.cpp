// SIGINT and SIGTERM at moments spread over a whole two-thread run, from the opening of
// the report file to the renaming of the initial-data file: whenever the signal ends the
// run, with 130 or 143, it leaves no temporary file, a report and a summary that are
// prefixes of the complete ones, and an initial-data file that is either the earlier one
// or the complete new one, as its one line on standard error says; a signal that comes
// once all the work is done leaves a complete run. The moments are stages of the run's
// progress seen in its files, not times.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

const std::string kEarlier = "earlier initial data\r\n";
const std::map<std::string, std::string> kTwoThreads = {{"OMP_NUM_THREADS", "2"}};

// Four rings of 8000 to 10400 bodies with the table of ring states: a report of several
// unit buffers, written ring by ring, and an initial-data file of 14 MB.
std::string parameters() { return ParameterFile().set(1, "4").set(2, "8000").set(7, "0.1").set(13, "1").text(); }

long size_of(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

// The size of the temporary initial-data file, or -1 while there is none.
long temporary_size(const TempDir& dir) {
  for (const auto& name : dir.entries())
    if (name.rfind(".ring.ini.", 0) == 0) return size_of(dir.file(name));
  return -1;
}

bool is_prefix(const std::string& part, const std::string& whole) { return whole.compare(0, part.size(), part) == 0; }

struct Complete {
  std::string report, summary, initialData;
};

// A stage of the run at which the signal is sent.
struct Moment {
  std::string what;
  std::function<bool(const TempDir&, const Complete&)> reached;
};

std::vector<Moment> moments() {
  std::vector<Moment> list;
  list.push_back({"report opened", [](const TempDir& d, const Complete&) { return d.exists("Korvane2Err"); }});
  for (int fifth = 1; fifth <= 5; ++fifth)
    list.push_back({"report at " + std::to_string(fifth) + "/5", [fifth](const TempDir& d, const Complete& c) {
                      return size_of(d.file("Korvane2Err")) * 5 >= static_cast<long>(c.report.size()) * fifth;
                    }});
  list.push_back({"temporary created", [](const TempDir& d, const Complete&) { return temporary_size(d) >= 0; }});
  for (int fifth = 1; fifth <= 5; ++fifth)
    list.push_back({"temporary at " + std::to_string(fifth) + "/5", [fifth](const TempDir& d, const Complete& c) {
                      return temporary_size(d) * 5 >= static_cast<long>(c.initialData.size()) * fifth;
                    }});
  list.push_back({"initial-data file renamed", [](const TempDir& d, const Complete& c) {
                    return size_of(d.file("ring.ini")) == static_cast<long>(c.initialData.size());
                  }});
  return list;
}

Complete complete_run() {
  TempDir dir;
  dir.write("Korvane2.dat", parameters());
  ProgramResult r = run_korvane2(dir, {.env = kTwoThreads});
  EXPECT_EQ(r.status, 0) << r.err;
  return {dir.read("Korvane2Err"), dir.read("rngtbout.dat"), dir.read("ring.ini")};
}

TEST(Interrupt, AtEveryStageOfATwoThreadRunLeavesWholeFilesAndSaysWhichInitialDataFileIsThere) {
  const Complete complete = complete_run();
  ASSERT_GT(complete.report.size(), 4u * (1u << 18)) << "the report should span several unit buffers";
  const std::vector<Moment> list = moments();
  int runs = 0, reached = 0;
  for (int round = 0; round < 2; ++round) {
    for (std::size_t m = 0; m < list.size(); ++m) {
      const Moment& moment = list[m];
      const int signal = (m + round) % 2 == 0 ? SIGTERM : SIGINT;
      const std::string context = moment.what + (signal == SIGINT ? ", SIGINT" : ", SIGTERM");
      TempDir dir;
      dir.write("Korvane2.dat", parameters());
      dir.write("ring.ini", kEarlier);
      ProgramResult r = run_korvane2(
          dir, {.env = kTwoThreads, .signal = signal, .signalWhen = [&] { return moment.reached(dir, complete); }});
      EXPECT_TRUE(leftovers(dir).empty()) << context;
      ++runs;
      if (r.status == 0) {
        // The signal came once the run had done all its work, or not at all.
        EXPECT_EQ(r.err, "") << context;
        EXPECT_EQ(dir.read("Korvane2Err"), complete.report) << context;
        EXPECT_EQ(dir.read("ring.ini"), complete.initialData) << context;
        continue;
      }
      ++reached;
      const std::string how = signal == SIGINT ? "korvane2: interrupted (SIGINT); " : "korvane2: terminated (SIGTERM); ";
      EXPECT_EQ(r.status, 128 + signal) << context << r.err;
      EXPECT_TRUE(is_prefix(dir.read("Korvane2Err"), complete.report)) << context;
      EXPECT_TRUE(is_prefix(dir.read("rngtbout.dat"), complete.summary)) << context;
      const std::string data = dir.read("ring.ini");
      if (data == kEarlier)
        EXPECT_EQ(r.err, how + "the initial-data file was not written\n") << context;
      else if (data == complete.initialData)
        EXPECT_EQ(r.err, how + "the initial-data file was written\n") << context;
      else
        ADD_FAILURE() << context << ": ring.ini is neither the earlier nor the complete file, " << data.size()
                      << " bytes; " << r.err;
    }
  }
  // Most moments leave the run much work still to do: a signal must end it there.
  EXPECT_GE(2 * reached, runs) << "the signal ended only " << reached << " of " << runs << " runs";
}

// An initial-data file that is a pipe nobody reads: the write of the first unit buffer
// (larger than the pipe) never finishes, so the first signal waits for it; the second
// ends the run at once.
TEST(Interrupt, ASecondSignalEndsARunWhoseWriteCannotFinish) {
  TempDir dir;
  dir.write("Korvane2.dat", parameters());
  ASSERT_EQ(::mkfifo(dir.file("ring.ini").c_str(), 0644), 0);
  // Held open for reading, never read: the pipe fills and the writer waits. Should the run
  // not end, the pipe is drained after a while, so that the test fails instead of hanging.
  const int reader = ::open(dir.file("ring.ini").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  std::promise<void> done;
  std::atomic<bool> drained{false};
  std::thread drain([&, finished = done.get_future()] {
    if (finished.wait_for(std::chrono::seconds(20)) == std::future_status::ready) return;
    drained = true;
    char buf[1 << 16];
    while (finished.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
      while (::read(reader, buf, sizeof buf) > 0) {
      }
  });
  auto writing = [&] {
    int pending = 0;
    return ::ioctl(reader, FIONREAD, &pending) == 0 && pending > 0;
  };
  ProgramResult r = run_korvane2(dir, {.signal = SIGTERM, .signalWhen = writing, .signalAgainAfterMs = 200});
  done.set_value();
  drain.join();
  ::close(reader);
  EXPECT_FALSE(drained);
  EXPECT_TRUE(r.signalled);
  EXPECT_EQ(r.status, 143);
  EXPECT_EQ(r.err, "korvane2: terminated (SIGTERM); the initial-data file was written in place and is incomplete\n");
}

}  // namespace
}  // namespace korvane2::testing
