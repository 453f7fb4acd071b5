// The replacement of the initial-data file under limits and awkward names: a file-size
// limit, a folder that refuses new files while the file itself is writable, a symbolic
// link, a name too long to be extended for a temporary name, and memory running out
// while the body records are laid out. Each says how the run ended, what became of the
// earlier file, and that nothing is left over.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

const std::string kEarlier = "earlier initial data\r\n";
// One ring of 20000 bodies: an initial-data file of about 7.7 MB after a report of 1.4 kB.
const std::string kBodies = "20000";
// Far above the report and the summary, far below the initial-data file.
constexpr unsigned long kFileSizeLimit = 1ul << 20;
// 250 characters: a file name that fits, but not with the temporary name's prefix and suffix.
const std::string kLongName = std::string(246, 'n') + ".ini";
const std::string kWriteTooLarge = "\r\nrun-time error F6422: WRITE(ring.ini)\r\n- File too large\r\n";
const std::string kOverwritten = "korvane2: the earlier initial-data file was overwritten in place and is now incomplete\n";

std::string parameters(const std::string& fnIni = "ring.ini") {
  return ParameterFile().set(2, kBodies).set(17, fnIni).text();
}

const std::string& complete_initial_data() {
  static const std::string bytes = [] {
    TempDir dir;
    dir.write("Korvane2.dat", parameters());
    EXPECT_EQ(run_korvane2(dir).status, 0);
    return dir.read("ring.ini");
  }();
  return bytes;
}

std::vector<std::string> entries_of(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  return names;
}

bool is_link(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

enum class Outcome { kEarlierKept, kComplete, kOverwrittenIncomplete };

struct ReplacementCase {
  std::string name;
  void (*prepare)(TempDir&);
  RunOptions options;
  int status;
  std::string err;
  Outcome outcome;
  std::string initialData = "ring.ini";  // the name the run writes
};

void PrintTo(const ReplacementCase& c, std::ostream* os) { *os << c.name; }

void plain(TempDir& d) {
  d.write("Korvane2.dat", parameters());
  d.write("ring.ini", kEarlier);
}

// The files exist and anyone may write them, but the folder takes no new file (for root
// too: the run is made an ordinary user).
void unwritable_folder(TempDir& d) {
  plain(d);
  for (const char* name : {"Korvane2Err", "rngtbout.dat", "ring.ini"}) {
    if (!d.exists(name)) d.write(name, "");
    ::chmod(d.file(name).c_str(), 0666);
  }
  ::chmod(d.path().c_str(), 0555);
}

void linked(TempDir& d) {
  d.write("Korvane2.dat", parameters());
  ::mkdir(d.file("data").c_str(), 0755);
  d.write("data/target.ini", kEarlier);
  ::symlink("data/target.ini", d.file("ring.ini").c_str());
}

void long_name(TempDir& d) {
  d.write("Korvane2.dat", parameters(""));
  d.write(kLongName, kEarlier);
}

const std::vector<ResourceLimit> kSmallFiles = {{RLIMIT_FSIZE, kFileSizeLimit}};

class ReplacementTable : public ::testing::TestWithParam<ReplacementCase> {};

TEST_P(ReplacementTable, EndsAsTheTableSays) {
  const ReplacementCase& c = GetParam();
  TempDir dir;
  c.prepare(dir);
  ProgramResult r = run_korvane2(dir, c.options);
  ::chmod(dir.path().c_str(), 0755);
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_EQ(r.err, c.err);
  EXPECT_EQ(leftovers(dir, {"data", kLongName}), std::vector<std::string>{});
  const std::string data = dir.read(c.initialData);
  switch (c.outcome) {
    case Outcome::kEarlierKept: EXPECT_EQ(data, kEarlier); break;
    case Outcome::kComplete: EXPECT_TRUE(data == complete_initial_data()) << data.size() << " bytes"; break;
    case Outcome::kOverwrittenIncomplete:
      EXPECT_LT(data.size(), complete_initial_data().size());
      EXPECT_EQ(complete_initial_data().compare(0, data.size(), data), 0);
      break;
  }
  if (dir.exists("data")) {
    EXPECT_TRUE(is_link(dir.file("ring.ini")));
    EXPECT_EQ(entries_of(dir.file("data")), std::vector<std::string>{"target.ini"});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplacementTable,
    ::testing::Values(
        ReplacementCase{"FileSizeLimit", plain, {.limits = kSmallFiles}, 1, kWriteTooLarge, Outcome::kEarlierKept},
        ReplacementCase{"UnwritableFolder", unwritable_folder, {.unprivileged = true}, 0, "", Outcome::kComplete},
        ReplacementCase{"UnwritableFolderAndFileSizeLimit", unwritable_folder,
                        {.limits = kSmallFiles, .unprivileged = true}, 1, kWriteTooLarge + kOverwritten,
                        Outcome::kOverwrittenIncomplete},
        ReplacementCase{"SymbolicLink", linked, {}, 0, "", Outcome::kComplete},
        ReplacementCase{"SymbolicLinkAndFileSizeLimit", linked, {.limits = kSmallFiles}, 1, kWriteTooLarge,
                        Outcome::kEarlierKept},
        ReplacementCase{"LongName", long_name, {.args = {kLongName}}, 0, "", Outcome::kComplete, kLongName},
        ReplacementCase{"LongNameAndFileSizeLimit", long_name, {.args = {kLongName}, .limits = kSmallFiles}, 1,
                        "\r\nrun-time error F6422: WRITE(" + kLongName + ")\r\n- File too large\r\n",
                        Outcome::kEarlierKept, kLongName}),
    [](const auto& info) { return info.param.name; });

TEST(Replacement, AnInterruptWhileWritingInPlaceSaysTheEarlierFileIsIncomplete) {
  TempDir dir;
  unwritable_folder(dir);
  const std::string path = dir.file("ring.ini");
  auto cut = [&] {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && st.st_size != static_cast<off_t>(kEarlier.size());
  };
  ProgramResult r = run_korvane2(dir, {.signal = SIGTERM, .signalWhen = cut, .unprivileged = true});
  ::chmod(dir.path().c_str(), 0755);
  const std::string data = dir.read("ring.ini");
  if (r.status == 0) {
    // The signal came once the run had done all its work.
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(data, complete_initial_data());
  } else if (data == complete_initial_data()) {
    EXPECT_EQ(r.status, 143);
    EXPECT_EQ(r.err, "korvane2: terminated (SIGTERM); the initial-data file was written\n");
  } else {
    EXPECT_EQ(r.status, 143);
    EXPECT_EQ(r.err, "korvane2: terminated (SIGTERM); " + kOverwritten.substr(10));
    EXPECT_EQ(complete_initial_data().compare(0, data.size(), data), 0);
  }
  EXPECT_EQ(leftovers(dir), std::vector<std::string>{});
}

// Limits on the address space between one that lets nothing run and one that lets the
// run complete, halved down to 256 KiB: every run either completes or ends with the
// memory report, the earlier file intact and no temporary file; the largest limit that
// fails, whose run got the furthest, fails while the body records are laid out, after
// the report file is complete.
TEST(Replacement, MemoryRunningOutEndsTheRunCleanlyWhereverItHappens) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves its shadow memory beyond any such limit and ends the process "
                  "itself when an allocation fails";
#endif
  const std::map<std::string, std::string> twoThreads = {{"OMP_NUM_THREADS", "2"}};
  unsigned long fails = 8ul << 20, completes = 256ul << 20;
  std::string reportOfLargestFailure;
  while (completes - fails > (256ul << 10)) {
    const unsigned long limit = fails + (completes - fails) / 2;
    TempDir dir;
    plain(dir);
    ProgramResult r = run_korvane2(dir, {.env = twoThreads, .limits = {{RLIMIT_AS, limit}}});
    EXPECT_EQ(leftovers(dir), std::vector<std::string>{}) << limit;
    if (r.status == 0) {
      EXPECT_EQ(dir.read("ring.ini"), complete_initial_data()) << limit;
      completes = limit;
      continue;
    }
    EXPECT_EQ(r.status, 1) << limit;
    EXPECT_EQ(r.err, "korvane2: not enough memory for the structure of this run\n") << limit;
    EXPECT_EQ(dir.read("ring.ini"), kEarlier) << limit;
    fails = limit;
    reportOfLargestFailure = dir.read("Korvane2Err");
  }
  EXPECT_NE(reportOfLargestFailure.find("ring.ini"), std::string::npos)
      << "the report's closing section, which echoes the name, should be complete";
}

}  // namespace
}  // namespace korvane2::testing
