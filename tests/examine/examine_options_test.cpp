// The inspector's command line: long options with separate and attached values, the
// optional file of --params, --help and --version, and the usage errors that end the
// program with status 2 and a message on standard error.
#include "examine/options.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/program_run.hpp"

namespace korvane2::examine {
namespace {

struct ParseCase {
  const char* name;
  std::vector<std::string> args;
  Mode mode;
  std::string dataFile, ringsFile, svgFile, csvFile, paramsFile;
};

class InspectOptionsParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(InspectOptionsParse, GivesTheModeAndFiles) {
  const ParseCase& c = GetParam();
  const Options o = parse_options(c.args);
  EXPECT_EQ(o.mode, c.mode) << o.error;
  EXPECT_EQ(o.dataFile, c.dataFile);
  EXPECT_EQ(o.ringsFile, c.ringsFile);
  EXPECT_EQ(o.svgFile, c.svgFile);
  EXPECT_EQ(o.csvFile, c.csvFile);
  EXPECT_EQ(o.paramsFile, c.paramsFile);
}

INSTANTIATE_TEST_SUITE_P(
    Inspect, InspectOptionsParse,
    ::testing::Values(
        ParseCase{"FileAlone", {"ring.ini"}, Mode::kInspect, "ring.ini", "", "", "", "Korvane2.dat"},
        ParseCase{"SeparateValues",
                  {"--rings", "rngtbout.dat", "--svg", "a.svg", "--csv", "a.csv", "ring.ini"},
                  Mode::kInspect, "ring.ini", "rngtbout.dat", "a.svg", "a.csv", "Korvane2.dat"},
        ParseCase{"AttachedValuesAfterTheFile",
                  {"ring.ini", "--rings=r.dat", "--svg=p.svg", "--csv=t.csv"},
                  Mode::kInspect, "ring.ini", "r.dat", "p.svg", "t.csv", "Korvane2.dat"},
        ParseCase{"DoubleDashEndsOptions", {"--", "--odd-name"}, Mode::kInspect, "--odd-name", "", "", "",
                  "Korvane2.dat"},
        ParseCase{"ParamsWithoutFile", {"--params"}, Mode::kParams, "", "", "", "", "Korvane2.dat"},
        ParseCase{"ParamsWithFile", {"--params", "run/Korvane2.dat"}, Mode::kParams, "", "", "", "",
                  "run/Korvane2.dat"},
        ParseCase{"ParamsAttached", {"--params=run/Korvane2.dat"}, Mode::kParams, "", "", "", "", "run/Korvane2.dat"},
        ParseCase{"HelpWinsOverErrors", {"--bogus", "--help"}, Mode::kHelp, "", "", "", "", "Korvane2.dat"},
        ParseCase{"ShortHelp", {"-h"}, Mode::kHelp, "", "", "", "", "Korvane2.dat"},
        ParseCase{"Version", {"ring.ini", "--version"}, Mode::kVersion, "", "", "", "", "Korvane2.dat"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ErrorCase {
  const char* name;
  std::vector<std::string> args;
  const char* message;  // part of the error text
};

class InspectOptionsError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(InspectOptionsError, IsAUsageErrorNamingTheFault) {
  const Options o = parse_options(GetParam().args);
  EXPECT_EQ(o.mode, Mode::kUsageError);
  EXPECT_NE(o.error.find(GetParam().message), std::string::npos) << o.error;
}

INSTANTIATE_TEST_SUITE_P(
    Inspect, InspectOptionsError,
    ::testing::Values(ErrorCase{"NoFile", {}, "no initial-data file"},
                      ErrorCase{"TwoFiles", {"a.ini", "b.ini"}, "more than one"},
                      ErrorCase{"UnknownOption", {"--ring", "x", "a.ini"}, "unknown option --ring"},
                      ErrorCase{"ValueMissingAtTheEnd", {"a.ini", "--svg"}, "--svg needs a file name"},
                      ErrorCase{"EmptyAttachedValue", {"a.ini", "--csv="}, "--csv needs a file name"},
                      ErrorCase{"OptionTwice", {"--rings", "a", "--rings=b", "x.ini"}, "given twice"},
                      ErrorCase{"ParamsWithPictureOptions", {"--params", "--svg", "p.svg"}, "cannot be combined"},
                      ErrorCase{"ParamsWithTwoFiles", {"--params", "a.dat", "b.dat"}, "at most one"}),
    [](const auto& info) { return std::string(info.param.name); });

using testing::run_inspect;
using testing::RunOptions;
using testing::TempDir;

TEST(InspectOptionsProgram, HelpAndVersionGoToStandardOutputWithStatusZero) {
  TempDir dir;
  auto help = run_inspect(dir, RunOptions{.args = {"--help"}});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: korvane2-inspect", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("--rings FILE"), std::string::npos);
  EXPECT_EQ(help.err, "");
  auto version = run_inspect(dir, RunOptions{.args = {"--version"}});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "korvane2-inspect " KORVANE2_VERSION "\n");
}

TEST(InspectOptionsProgram, BadUsageEndsWithStatusTwoAndAMessageOnStandardError) {
  TempDir dir;
  auto r = run_inspect(dir, RunOptions{.args = {"--frobnicate", "ring.ini"}});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("korvane2-inspect: unknown option --frobnicate\n", 0), 0u) << r.err;
  EXPECT_TRUE(dir.entries().empty());
}

}  // namespace
}  // namespace korvane2::examine
