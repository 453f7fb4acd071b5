// Names that would let a run write over its own inputs or outputs: control characters in
// a name from line 17, the command line or the console, and symbolic links either way
// between the initial-data file, the report file, the ring summary, the parameter file
// and the ring table, to files that exist and to files still to be created. Each is
// refused with status 2 and one line on standard error before the file is opened, and
// every file the run found stays as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

const std::string kTable = "1 12 0.95 0.3 1.5E11 1.0E20\r\n";

struct NameCase {
  std::string name;
  std::string fnIni;                          // line 17, "\0" for a NUL byte
  std::map<std::string, std::string> files;   // written before the run
  std::map<std::string, std::string> links;   // link name -> where it points
  RunOptions options{};
  std::string said;                           // what the refusal must say
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

// The bytes of every regular file the directory's names reach, links followed.
std::map<std::string, std::string> contents(const TempDir& dir) {
  std::map<std::string, std::string> bytes;
  for (const auto& name : dir.entries()) {
    struct stat st;
    if (::stat(dir.file(name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) bytes[name] = dir.read(name);
  }
  return bytes;
}

class RefusedName : public ::testing::TestWithParam<NameCase> {};

TEST_P(RefusedName, IsRefusedBeforeTheFileIsOpened) {
  const NameCase& c = GetParam();
  TempDir dir;
  std::string fnIni = c.fnIni;
  std::replace(fnIni.begin(), fnIni.end(), '@', '\0');
  dir.write("Korvane2.dat", ParameterFile().set(17, fnIni).text());
  for (const auto& [name, bytes] : c.files) dir.write(name, bytes);
  for (const auto& [name, target] : c.links) ASSERT_EQ(::symlink(target.c_str(), dir.file(name).c_str()), 0);
  const std::vector<std::string> entries = dir.entries();
  const std::map<std::string, std::string> before = contents(dir);

  ProgramResult r = run_korvane2(dir, c.options);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(r.err.rfind("korvane2: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
  for (const auto& [name, bytes] : before) EXPECT_EQ(dir.read(name), bytes) << name;
  // A name asked for at the end comes after the report and the summary are written.
  std::vector<std::string> expected = entries;
  if (c.fnIni.empty()) {
    for (const char* written : {"Korvane2Err", "rngtbout.dat"})
      if (std::find(expected.begin(), expected.end(), written) == expected.end()) expected.push_back(written);
    std::sort(expected.begin(), expected.end());
  }
  EXPECT_EQ(dir.entries(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedName,
    ::testing::Values(
        // Control characters: '@' stands for a NUL byte.
        NameCase{"NulAfterAProtectedName", "Korvane2Err@", {}, {}, {}, "0x00 in column 71"},
        NameCase{"NulInsideTheName", "ring@.ini", {}, {}, {}, "0x00 in column 64"},
        NameCase{"TabInsideTheName", "ring\t.ini", {}, {}, {}, "0x09 in column 64"},
        NameCase{"ControlCharacterInTheArgument", "", {}, {}, {.args = {" ab\x01" "c"}}, "0x01 in column 4"},
        NameCase{"NulInTheConsoleAnswer", "", {}, {}, {.input = std::string("ri\0ng\n", 6)}, "0x00 in column 3"},
        // The initial-data file leading to another file of the run.
        NameCase{"LinkToAReportStillToBeWritten", "ring.ini", {}, {{"ring.ini", "Korvane2Err"}}, {}, "\"Korvane2Err\""},
        NameCase{"LinkToAnEarlierReport", "ring.ini", {{"Korvane2Err", "old report\r\n"}},
                 {{"ring.ini", "Korvane2Err"}}, {}, "\"Korvane2Err\""},
        NameCase{"LinkToTheParameterFile", "ring.ini", {}, {{"ring.ini", "Korvane2.dat"}}, {}, "\"Korvane2.dat\""},
        NameCase{"LinkToTheRingTable", "ring.ini", {{"rngtbinp.dat", kTable}}, {{"ring.ini", "rngtbinp.dat"}}, {},
                 "\"rngtbinp.dat\""},
        NameCase{"LinkToAMissingRingTable", "ring.ini", {}, {{"ring.ini", "./rngtbinp.dat"}}, {}, "\"rngtbinp.dat\""},
        NameCase{"LinkToASummaryStillToBeWritten", "ring.ini", {}, {{"ring.ini", "rngtbout.dat"}}, {},
                 "\"rngtbout.dat\""},
        NameCase{"ArgumentLinkingToTheReport", "", {}, {{"out.ini", "Korvane2Err"}}, {.args = {"out.ini"}},
                 "\"Korvane2Err\""},
        // The report file and the summary leading to an input or to each other.
        NameCase{"ReportLinkToTheParameterFile", "ring.ini", {}, {{"Korvane2Err", "Korvane2.dat"}}, {},
                 "the report file \"Korvane2Err\""},
        NameCase{"ReportLinkToTheRingTable", "ring.ini", {{"rngtbinp.dat", kTable}}, {{"Korvane2Err", "rngtbinp.dat"}},
                 {}, "the report file \"Korvane2Err\""},
        NameCase{"SummaryLinkToAMissingRingTable", "ring.ini", {}, {{"rngtbout.dat", "rngtbinp.dat"}}, {},
                 "the ring summary file \"rngtbout.dat\""},
        NameCase{"SummaryLinkToTheReport", "ring.ini", {{"Korvane2Err", "old report\r\n"}},
                 {{"rngtbout.dat", "Korvane2Err"}}, {}, "the ring summary file \"rngtbout.dat\""},
        NameCase{"SummaryLinkToAReportStillToBeWritten", "ring.ini", {}, {{"rngtbout.dat", "Korvane2Err"}}, {},
                 "the ring summary file \"rngtbout.dat\""},
        // A protected file that is itself a link, reached by the initial-data name.
        NameCase{"NameOfTheRingTablesTarget", "tables.dat", {{"tables.dat", kTable}}, {{"rngtbinp.dat", "tables.dat"}},
                 {}, "\"rngtbinp.dat\""},
        NameCase{"NameOfTheMissingReportsTarget", "report.txt", {}, {{"Korvane2Err", "report.txt"}}, {},
                 "\"Korvane2Err\""}),
    [](const auto& info) { return info.param.name; });

TEST(RefusedName, AParameterFileThatIsALinkIsProtectedThroughItsTarget) {
  TempDir dir;
  dir.write("params.dat", ParameterFile().text());
  ASSERT_EQ(::symlink("params.dat", dir.file("Korvane2.dat").c_str()), 0);
  ASSERT_EQ(::symlink("params.dat", dir.file("ring.ini").c_str()), 0);
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("\"Korvane2.dat\""), std::string::npos) << r.err;
  EXPECT_EQ(dir.read("params.dat"), ParameterFile().text());
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"Korvane2.dat", "params.dat", "ring.ini"}));
}

TEST(RefusedName, ATwelveCharacterNameAndABlankPaddedOneAreOrdinary) {
  for (const std::string name : {"abcdefgh.ini", "a.ini"}) {
    TempDir dir;
    dir.write("Korvane2.dat", ParameterFile().set(17, name).text());
    ProgramResult r = run_korvane2(dir);
    EXPECT_EQ(r.status, 0) << name << r.err;
    EXPECT_TRUE(dir.exists(name)) << name;
  }
}

}  // namespace
}  // namespace korvane2::testing
