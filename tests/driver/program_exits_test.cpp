// The ways a run ends, through the built program in a fresh directory: missing
// parameter file, input error report, refused parameters, arithmetic faults, the
// iteration stop, the command-line options.
#include <gtest/gtest.h>

#include <unistd.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

const std::string Z = "0.000000000000000E+000";  // 0.0 in the double field
const std::string Z25 = "   " + Z;                  // ... after a number

// The input error echo of a file whose every value is still zero, as the report file
// holds it (each line complete) and the console shows it.
std::vector<std::string> zero_echo_lines(const std::string& fnIni) {
  return {" *01KV Error reading file Korvane2.dat *** " + std::string(10, ' ') + "0" + std::string(11, ' ') + "0",
          Z25 + Z25 + Z25,
          Z25 + Z25 + Z25,
          Z25 + Z25 + Z25,
          std::string(11, ' ') + "0" + Z25 + Z25,
          Z25 + fnIni + std::string(10, ' ') + "0"};
}

std::string as_file(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

std::string as_console(const std::vector<std::string>& lines) {
  std::string s;
  for (std::size_t i = 0; i < lines.size(); ++i) s += (i ? "\r\n" : "") + lines[i].substr(1);
  return s + "\r\n";
}

TEST(ProgramExits, MissingParameterFileIsReportedAndCreatesNothing) {
  TempDir dir;
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "\r\nrun-time error F6416: OPEN(Korvane2.dat)\r\n- file not found\r\n");
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(dir.entries().empty());
}

TEST(ProgramExits, EmptyParameterFileGivesTheZeroEchoTwice) {
  TempDir dir;
  dir.write("Korvane2.dat", "");
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 2);
  auto lines = zero_echo_lines(std::string(12, '\0'));
  EXPECT_EQ(r.out, as_console(lines));
  EXPECT_EQ(dir.read("Korvane2Err"), as_file(lines));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"Korvane2.dat", "Korvane2Err"}));
}

TEST(ProgramExits, SeventeenLinesEchoEveryValueButNtail) {
  TempDir dir;
  ParameterFile p;
  // Values whose texts are exact: binary fractions.
  p.set(1, "3").set(2, "-7").set(3, "2.5D30").set(4, "0.75").set(5, "1.0").set(6, "0.125").set(7, "0.5");
  p.set(8, "2.0").set(9, "0.25").set(10, "0.375").set(11, "0.0625").set(12, "4").set(14, "0.5");
  p.set(15, "1024.0").set(16, "-1.5").set(17, "abc.ini");
  dir.write("Korvane2.dat", p.text(17));
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 2);
  const std::string one = "       1.000000000000000", two = "       2.000000000000000";
  std::vector<std::string> lines = {
      " *01KV Error reading file Korvane2.dat *** " + std::string(10, ' ') + "3" + std::string(10, ' ') + "-7",
      "   2.500000000000000E+030   7.500000000000000E-001 " + one,
      "   1.250000000000000E-001   5.000000000000000E-001 " + two,
      "   2.500000000000000E-001   3.750000000000000E-001   6.250000000000000E-002",
      std::string(11, ' ') + "4   5.000000000000000E-001     1024.000000000000000",
      "       -1.500000000000000abc.ini     " + std::string(10, ' ') + "0"};
  EXPECT_EQ(dir.read("Korvane2Err"), as_file(lines));
  EXPECT_EQ(r.out, as_console(lines));
  EXPECT_EQ(r.err, "");
}

TEST(ProgramExits, UnreadableLine13EchoesTheValuesBeforeIt) {
  TempDir dir;
  ParameterFile p;
  p.set(1, "2").set(2, "5").set(3, "1.0").set(4, "0.5").set(5, "1.0").set(6, "0.0").set(7, "0.0");
  p.set(8, "1.0").set(9, "0.5").set(10, "0.0").set(11, "0.5").set(12, "1").set(13, "1.0");
  dir.write("Korvane2.dat", p.text());
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 2);
  const std::string one = "       1.000000000000000", half = "   5.000000000000000E-001";
  std::vector<std::string> lines = {
      " *01KV Error reading file Korvane2.dat *** " + std::string(10, ' ') + "2" + std::string(11, ' ') + "5",
      " " + one + half + " " + one,
      Z25 + Z25 + " " + one,
      half + Z25 + half,
      std::string(11, ' ') + "1" + Z25 + Z25,
      Z25 + std::string(12, '\0') + std::string(10, ' ') + "0"};
  EXPECT_EQ(dir.read("Korvane2Err"), as_file(lines));
  EXPECT_EQ(r.out, as_console(lines));
  // The report is on the console and in the report file only.
  EXPECT_EQ(r.err, "");
}

TEST(ProgramExits, InputErrorReplacesAnEarlierReportButLeavesTheOtherFiles) {
  TempDir dir;
  dir.write("Korvane2.dat", "");
  dir.write("Korvane2Err", std::string(5000, 'x'));
  dir.write("rngtbout.dat", "old summary\r\n");
  dir.write("ring.ini", "old data\r\n");
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(dir.read("Korvane2Err"), as_file(zero_echo_lines(std::string(12, '\0'))));
  EXPECT_EQ(dir.read("rngtbout.dat"), "old summary\r\n");
  EXPECT_EQ(dir.read("ring.ini"), "old data\r\n");
}

struct Refusal {
  int line;
  std::string value;
  std::string named;  // what the diagnostic must name
};

class RefusedParameter : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedParameter, IsRefusedBeforeAnyFileIsWritten) {
  TempDir dir;
  ParameterFile p;
  p.set(GetParam().line, GetParam().value);
  dir.write("Korvane2.dat", p.text());
  dir.write("rngtbout.dat", "summary\r\n");
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(GetParam().named), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("line " + std::to_string(GetParam().line)), std::string::npos) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"Korvane2.dat", "rngtbout.dat"}));
  EXPECT_EQ(dir.read("rngtbout.dat"), "summary\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedParameter,
    ::testing::Values(Refusal{1, "0", "NRing = 0"}, Refusal{1, "-3", "NRing = -3"}, Refusal{2, "0", "N30 = 0"},
                      Refusal{2, "-12", "N30 = -12"}, Refusal{6, "1.0", "Ecc = 1"}, Refusal{6, "-1.0", "Ecc = -1"},
                      Refusal{6, "1.5", "Ecc = 1.5"}, Refusal{17, "Korvane2Err", "Korvane2Err"},
                      Refusal{17, "rngtbout.dat", "rngtbout.dat"}, Refusal{17, "Korvane2.dat", "Korvane2.dat"},
                      Refusal{17, "rngtbinp.dat", "rngtbinp.dat"}));

TEST(ProgramExits, TheFirstRefusalInFileOrderWins) {
  TempDir dir;
  ParameterFile p;
  p.set(2, "0").set(6, "2.0").set(17, "Korvane2Err");
  dir.write("Korvane2.dat", p.text());
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("N30"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("Ecc"), std::string::npos) << r.err;
}

TEST(ProgramExits, AnInitialDataNameThatIsAnotherOutputByInodeIsRefused) {
  TempDir dir;
  ParameterFile p;
  p.set(17, "alias.dat");
  dir.write("Korvane2.dat", p.text());
  dir.write("Korvane2Err", "old report\r\n");
  ASSERT_EQ(::link(dir.file("Korvane2Err").c_str(), dir.file("alias.dat").c_str()), 0);
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(dir.read("Korvane2Err"), "old report\r\n");
}

TEST(ProgramExits, DivisionByZeroIsTrappedAfterTheRingRecordsAreWritten) {
  TempDir dir;
  ParameterFile p;
  p.set(15, "0.0");  // Rho = 0: the body radius divides by zero
  dir.write("Korvane2.dat", p.text());
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "\r\nrun-time error M6103: MATH\r\n- floating-point error: divide by zero\r\n");
  EXPECT_EQ(r.out, "");
  std::string report = dir.read("Korvane2Err");
  EXPECT_EQ(report.rfind(" ******  Parameters of           1 ring   ******\r\n", 0), 0u) << report;
  EXPECT_NE(report.find(" Last step of itrrtn I1m"), std::string::npos);
  EXPECT_EQ(report.find("all structure"), std::string::npos);
  EXPECT_EQ(dir.read("rngtbout.dat").substr(0, 24), "           1          12");
  EXPECT_FALSE(dir.exists("ring.ini"));
}

TEST(ProgramExits, SquareRootOfANegativeNumberIsAnInvalidOperation) {
  TempDir dir;
  ParameterFile p;
  p.set(3, "-2.0D30");  // a negative mass: the pericentre speed is the root of a negative number
  dir.write("Korvane2.dat", p.text());
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n");
  EXPECT_EQ(dir.read("Korvane2Err"), "");
}

TEST(ProgramExits, ZeroStartingCoefficientStopsTheIterationWithStatus3) {
  TempDir dir;
  ParameterFile p;
  p.set(9, "0.0");
  dir.write("Korvane2.dat", p.text());
  dir.write("rngtbout.dat", "earlier summary\r\n");
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "Error okf2 =   " + Z + "\r\n");
  EXPECT_EQ(r.err, "");
  // Ring 1 failed: the report file was opened but never written, the summary kept.
  EXPECT_EQ(dir.read("Korvane2Err"), "");
  EXPECT_EQ(dir.read("rngtbout.dat"), "earlier summary\r\n");
  EXPECT_FALSE(dir.exists("ring.ini"));
}

// Options on the command line, with a parameter file whose line 17 is blank, so that any
// argument taken for a name would become the initial-data file: the first option
// decides, and none of them touches a file.
struct OptionCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  const char* outStart;  // the beginning of standard output
  const char* errEnd;    // the end of standard error
};
void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.name; }

class CommandLineOptions : public ::testing::TestWithParam<OptionCase> {};

TEST_P(CommandLineOptions, HelpOrRefuseAndTouchNoFile) {
  const OptionCase& c = GetParam();
  TempDir dir;
  const std::string params = ParameterFile().set(17, "").text();
  dir.write("Korvane2.dat", params);
  ProgramResult r = run_korvane2(dir, {.args = c.args});
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_EQ(r.out.substr(0, std::string(c.outStart).size()), c.outStart) << r.out;
  const std::string errEnd = c.errEnd;
  EXPECT_TRUE(r.err.size() >= errEnd.size() && r.err.compare(r.err.size() - errEnd.size(), errEnd.size(), errEnd) == 0)
      << r.err;
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"Korvane2.dat"});
  EXPECT_EQ(dir.read("Korvane2.dat"), params);
}

const char kUsageLine[] = "Usage: korvane2 [INITIAL-DATA-FILE-NAME]\n";

INSTANTIATE_TEST_SUITE_P(
    ProgramExits, CommandLineOptions,
    ::testing::Values(OptionCase{"Help", {"--help"}, 0, kUsageLine, ""},
                      OptionCase{"ShortHelp", {"-h"}, 0, kUsageLine, ""},
                      OptionCase{"HelpBeforeAName", {"--help", "x.ini"}, 0, kUsageLine, ""},
                      OptionCase{"HelpBeforeAnUnknownOption", {"-h", "--verbose"}, 0, kUsageLine, ""},
                      OptionCase{"Version", {"--version"}, 0, "korvane2 ", ""},
                      OptionCase{"VersionBeforeAName", {"--version", "x.ini"}, 0, "korvane2 ", ""},
                      OptionCase{"UnknownOption", {"--verbose"}, 2, "", kUsageLine},
                      OptionCase{"UnknownOptionAfterAName", {"x.ini", "--out=y"}, 2, "", kUsageLine},
                      OptionCase{"DoubleDashAlone", {"--"}, 2, "", kUsageLine}),
    [](const ::testing::TestParamInfo<OptionCase>& info) { return std::string(info.param.name); });

TEST(ProgramExits, HelpNamesEveryExitStatus) {
  TempDir dir;
  ProgramResult r = run_korvane2(dir, {.args = {"--help"}});
  for (const char* status : {"0 complete run", "1 run-time failure", "2 input that cannot be used", "3 ring iteration",
                             "4 every file written", "130, 143 interrupted"})
    EXPECT_NE(r.out.find(status), std::string::npos) << status;
}

TEST(ProgramExits, ACompleteRunIsSilentAndWritesItsThreeFiles) {
  TempDir dir;
  dir.write("Korvane2.dat", ParameterFile().text());
  ProgramResult r = run_korvane2(dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"Korvane2.dat", "Korvane2Err", "ring.ini", "rngtbout.dat"}));
}

}  // namespace
}  // namespace korvane2::testing
