// What korvane2-inspect refuses before it writes anything: an output that is the same
// file as an input or as the other output, however the names reach it (the same name
// written otherwise, a symbolic link, a hard link, a link to a file not yet there); and
// the ends with status 2 when the report cannot reach standard output or memory runs out.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

// A run directory with the files of a two-ring run.
void make_run(const TempDir& dir) {
  dir.write("Korvane2.dat", ParameterFile().set(1, "2").text());
  ASSERT_EQ(run_korvane2(dir).status, 0);
}

std::map<std::string, std::string> contents(const TempDir& dir) {
  std::map<std::string, std::string> files;
  for (const std::string& name : dir.entries()) files[name] = dir.read(name);
  return files;
}

struct ClashCase {
  const char* name;
  std::function<void(const TempDir&)> prepare;  // links made in the run directory
  std::vector<std::string> args;
  const char* names;  // the part of the message that names both files
};
void PrintTo(const ClashCase& c, std::ostream* os) { *os << c.name; }

class InspectOutputClash : public ::testing::TestWithParam<ClashCase> {};

TEST_P(InspectOutputClash, IsRefusedWithStatusTwoAndNothingWritten) {
  const ClashCase& c = GetParam();
  TempDir dir;
  make_run(dir);
  if (c.prepare) c.prepare(dir);
  const auto before = contents(dir);
  const ProgramResult r = run_inspect(dir, RunOptions{.args = c.args});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(r.err.rfind("korvane2-inspect: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find(c.names), std::string::npos) << r.err;
  EXPECT_EQ(contents(dir), before);
}

void link(const TempDir& dir, const char* target, const char* name) {
  ASSERT_EQ(::symlink(target, dir.file(name).c_str()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Inspect, InspectOutputClash,
    ::testing::Values(
        ClashCase{"CsvIsTheInitialDataFile", nullptr, {"--csv", "ring.ini", "ring.ini"},
                  "the --csv table ring.ini is the same file as the initial-data file ring.ini"},
        ClashCase{"SvgIsTheRingsFile", nullptr, {"--svg", "rngtbout.dat", "--rings", "rngtbout.dat", "ring.ini"},
                  "the --svg picture rngtbout.dat is the same file as the --rings file rngtbout.dat"},
        ClashCase{"CsvIsTheSvgPicture", nullptr, {"--svg", "X", "--csv", "X", "ring.ini"},
                  "the --csv table X is the same file as the --svg picture X"},
        ClashCase{"SameFileWrittenOtherwise", nullptr, {"--csv=./ring.ini", "ring.ini"},
                  "the --csv table ./ring.ini is the same file as the initial-data file ring.ini"},
        ClashCase{"SymbolicLinkToTheInput", [](const TempDir& d) { link(d, "ring.ini", "table.csv"); },
                  {"--csv", "table.csv", "ring.ini"}, "the --csv table table.csv is the same file as the initial-data"},
        ClashCase{"InputReachedThroughALink", [](const TempDir& d) { link(d, "rngtbout.dat", "rings"); },
                  {"--rings", "rings", "--svg", "rngtbout.dat", "ring.ini"}, "the --svg picture rngtbout.dat is the same"},
        ClashCase{"HardLinkToTheInput",
                  [](const TempDir& d) { ASSERT_EQ(::link(d.file("ring.ini").c_str(), d.file("copy").c_str()), 0); },
                  {"--svg", "copy", "ring.ini"}, "the --svg picture copy is the same file as the initial-data file"},
        ClashCase{"LinkToAnOutputNotYetThere", [](const TempDir& d) { link(d, "picture.svg", "p"); },
                  {"--svg", "picture.svg", "--csv", "p", "ring.ini"},
                  "the --csv table p is the same file as the --svg picture picture.svg"}),
    [](const auto& info) { return std::string(info.param.name); });

// Outputs that are different files, or devices, are written as asked.
TEST(InspectOutputClash, DistinctFilesAndDevicesAreWritten) {
  TempDir dir;
  make_run(dir);
  ASSERT_EQ(::symlink("elsewhere.svg", dir.file("p").c_str()), 0);
  EXPECT_EQ(run_inspect(dir, RunOptions{.args = {"--svg", "p", "--csv", "t.csv", "ring.ini"}}).status, 0);
  EXPECT_TRUE(dir.exists("elsewhere.svg"));
  EXPECT_TRUE(dir.exists("t.csv"));
  const ProgramResult r = run_inspect(dir, RunOptions{.args = {"--svg", "/dev/null", "--csv", "/dev/null", "ring.ini"}});
  EXPECT_EQ(r.status, 0) << r.err;
}

// Standard output on a full device: the report is lost, so the status is 2, for the
// inspection, the dry run and the help.
TEST(InspectStandardOutput, AFullDeviceEndsWithStatusTwo) {
  TempDir dir;
  make_run(dir);
  for (const char* args : {"ring.ini", "--params", "--help"}) {
    SCOPED_TRACE(args);
    const ProgramResult r =
        run_program("/bin/sh", dir, RunOptions{.args = {"-c", std::string("exec \"$0\" ") + args + " >/dev/full",
                                                        KORVANE2_INSPECT_EXE}});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("korvane2-inspect: cannot write the report to standard output"), std::string::npos) << r.err;
  }
}

// Memory that runs out: a dry run whose ring needs more memory than the machine has
// says at which ring a run stops and why, with status 2, as the run itself stops.
TEST(InspectMemory, ADryRunSaysWhereARunRunsOutOfMemory) {
  TempDir dir;
  dir.write("Korvane2.dat", ParameterFile().set(2, "200000000").text());
  const ProgramResult dry = run_inspect(dir, RunOptions{.args = {"--params"}});
  EXPECT_EQ(dry.status, 2);
  EXPECT_NE(dry.out.find("A run stops at ring 1: its arrays need more memory than the machine has"), std::string::npos)
      << dry.out;
  const ProgramResult run = run_korvane2(dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("not enough memory"), std::string::npos) << run.err;
}

// An inspection under an address-space limit too small for its data ends with a message
// and status 2.
TEST(InspectMemory, AnInspectionThatRunsOutEndsWithStatusTwoAndAMessage) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves its shadow memory beyond any address-space limit";
#endif
  TempDir big;
  big.write("Korvane2.dat", ParameterFile().set(2, "30000").text());
  ASSERT_EQ(run_korvane2(big).status, 0);
  const ProgramResult r = run_program(
      "/bin/sh", big, RunOptions{.args = {"-c", "ulimit -v 40000; exec \"$0\" ring.ini", KORVANE2_INSPECT_EXE}});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("korvane2-inspect: not enough memory"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace korvane2::testing
