// Faults a run meets from outside, through the built program: files that cannot be
// written, hostile input, signals; every exit status; and an earlier initial-data file
// that only a complete run replaces.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

const std::string kEarlier = "earlier initial data\r\n";

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

struct StatusCase {
  std::string name;
  void (*prepare)(TempDir&);
  int status;
  RunOptions options{};
};

void complete_run(TempDir& d) { d.write("Korvane2.dat", ParameterFile().text()); }
void missing_parameter_file(TempDir&) {}
void unreadable_parameter_file(TempDir& d) { d.write("Korvane2.dat", ParameterFile().text(5)); }
void refused_parameter(TempDir& d) { d.write("Korvane2.dat", ParameterFile().set(6, "1.0").text()); }
void zero_coefficient(TempDir& d) { d.write("Korvane2.dat", ParameterFile().set(9, "0.0").text()); }
void large_ring(TempDir& d) { d.write("Korvane2.dat", ParameterFile().set(2, "200000").text()); }

class ExitStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ExitStatus, TellsHowTheRunEnded) {
  TempDir dir;
  GetParam().prepare(dir);
  ProgramResult r = run_korvane2(dir, GetParam().options);
  EXPECT_EQ(r.status, GetParam().status) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExitStatus,
    ::testing::Values(StatusCase{"CompleteRun", complete_run, 0}, StatusCase{"RunTimeFailure", missing_parameter_file, 1},
                      StatusCase{"InputErrorReport", unreadable_parameter_file, 2},
                      StatusCase{"RefusedParameter", refused_parameter, 2},
                      StatusCase{"IterationStop", zero_coefficient, 3},
                      StatusCase{"Interrupt", large_ring, 130, {.signal = SIGINT, .signalAfterMs = 300}},
                      StatusCase{"Terminate", large_ring, 143, {.signal = SIGTERM, .signalAfterMs = 300}}),
    [](const auto& info) { return info.param.name; });

TEST(Faults, TerminationDuringALargeRingKeepsTheEarlierInitialDataFile) {
  TempDir dir;
  large_ring(dir);
  dir.write("ring.ini", kEarlier);
  ProgramResult r = run_korvane2(dir, {.signal = SIGTERM, .signalAfterMs = 300});
  EXPECT_EQ(r.status, 143);
  EXPECT_EQ(r.err, "korvane2: terminated (SIGTERM); the initial-data file was not written\n");
  EXPECT_EQ(dir.read("ring.ini"), kEarlier);
  EXPECT_TRUE(leftovers(dir).empty());
}

TEST(Faults, AnArithmeticFaultKeepsTheEarlierInitialDataFile) {
  TempDir dir;
  dir.write("Korvane2.dat", ParameterFile().set(15, "0.0").text());
  dir.write("ring.ini", kEarlier);
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(dir.read("ring.ini"), kEarlier);
  EXPECT_TRUE(leftovers(dir).empty());
}

TEST(Faults, ACompleteRunReplacesTheEarlierInitialDataFileAndLeavesNoTemporary) {
  TempDir dir;
  complete_run(dir);
  dir.write("ring.ini", kEarlier + std::string(100000, 'x'));
  ASSERT_EQ(::chmod(dir.file("ring.ini").c_str(), 0640), 0);
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 0);
  std::string data = dir.read("ring.ini");
  EXPECT_EQ(data.find("earlier"), std::string::npos);
  EXPECT_TRUE(ends_with(data, "           0           0           0           0           0\r\n"));
  EXPECT_TRUE(leftovers(dir).empty());
  struct stat st;
  ASSERT_EQ(::stat(dir.file("ring.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(Faults, AFullDeviceGivesTheWriteReportAfterACompleteReport) {
  TempDir dir;
  complete_run(dir);
  ASSERT_EQ(::symlink("/dev/full", dir.file("ring.ini").c_str()), 0);
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("\r\nrun-time error F6422: WRITE(ring.ini)\r\n- ", 0), 0u) << r.err;
  EXPECT_TRUE(ends_with(dir.read("Korvane2Err"), "ring.ini" + std::string(14, ' ') + "0\r\n"));
}

TEST(Faults, AReportFileNameTakenByADirectoryIsAnOpenFailure) {
  TempDir dir;
  complete_run(dir);
  ASSERT_EQ(::mkdir(dir.file("Korvane2Err").c_str(), 0755), 0);
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("\r\nrun-time error F6412: OPEN(Korvane2Err)\r\n- ", 0), 0u) << r.err;
  EXPECT_FALSE(dir.exists("rngtbout.dat"));
}

struct HostileCase {
  std::string name;
  void (*prepare)(TempDir&);
  int status;
  std::string errStart;  // the beginning of standard error; empty: nothing there
};

void parameter_file_is_a_directory(TempDir& d) { ::mkdir(d.file("Korvane2.dat").c_str(), 0755); }
void gigantic_first_line(TempDir& d) {
  // A valid first field followed by 128 MiB without a line end (a sparse file of NUL
  // bytes): the rest of line 1 is skipped, line 2 is the end of the file.
  d.write("Korvane2.dat", ParameterFile().text(1).substr(0, 71));
  ::truncate(d.file("Korvane2.dat").c_str(), 128L << 20);
}
void nul_bytes(TempDir& d) {
  std::string text = ParameterFile().text();
  text[text.find("12\r\n") - 3] = '\0';  // inside the field of line 2
  d.write("Korvane2.dat", text);
}
void million_blank_table_lines(TempDir& d) {
  complete_run(d);
  d.write("rngtbinp.dat", std::string(1000000, '\n'));
}
void ring_table_is_a_directory(TempDir& d) {
  complete_run(d);
  ::mkdir(d.file("rngtbinp.dat").c_str(), 0755);
}
void initial_data_name_is_a_directory(TempDir& d) {
  d.write("Korvane2.dat", ParameterFile().set(17, "out").text());
  ::mkdir(d.file("out").c_str(), 0755);
}
void initial_data_path_into_missing_directory(TempDir& d) {
  d.write("Korvane2.dat", ParameterFile().set(17, "nodir/x.ini").text());
}
void body_count_beyond_32_bits(TempDir& d) {
  d.write("Korvane2.dat", ParameterFile().set(2, "2000000000").set(8, "2.0").text());
}
void body_total_beyond_32_bits(TempDir& d) {
  complete_run(d);
  d.write("rngtbinp.dat", "1 2147483647 0.95 0.3 1.5E11 1.0E20\n");
}
void more_bodies_than_memory(TempDir& d) { d.write("Korvane2.dat", ParameterFile().set(2, "1500000000").text()); }

class HostileInput : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileInput, GetsAClearReportAndItsStatus) {
  TempDir dir;
  GetParam().prepare(dir);
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, GetParam().status) << r.err;
  if (GetParam().errStart.empty())
    EXPECT_EQ(r.err, "");
  else
    EXPECT_EQ(r.err.substr(0, GetParam().errStart.size()), GetParam().errStart) << r.err;
  EXPECT_TRUE(leftovers(dir).empty() || GetParam().name.find("Directory") != std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostileInput,
    ::testing::Values(
        HostileCase{"ParameterFileIsADirectory", parameter_file_is_a_directory, 1,
                    "\r\nrun-time error F6412: OPEN(Korvane2.dat)\r\n"},
        HostileCase{"GiganticFirstLine", gigantic_first_line, 2, ""},
        HostileCase{"NulBytesInAField", nul_bytes, 2, ""},
        HostileCase{"MillionBlankTableLines", million_blank_table_lines, 0, ""},
        HostileCase{"RingTableIsADirectory", ring_table_is_a_directory, 0, "korvane2: warning: rngtbinp.dat"},
        HostileCase{"InitialDataNameIsADirectory", initial_data_name_is_a_directory, 1,
                    "\r\nrun-time error F6412: OPEN(out)\r\n"},
        HostileCase{"InitialDataPathIntoMissingDirectory", initial_data_path_into_missing_directory, 1,
                    "\r\nrun-time error F6412: OPEN(nodir/x.ini)\r\n"},
        HostileCase{"BodyCountBeyond32Bits", body_count_beyond_32_bits, 2, "korvane2: ring 1: "},
        HostileCase{"BodyTotalBeyond32Bits", body_total_beyond_32_bits, 2, "korvane2: ring 1: "},
        HostileCase{"MoreBodiesThanMemory", more_bodies_than_memory, 1, "korvane2: not enough memory"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace korvane2::testing
