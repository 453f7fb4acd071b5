// Whole runs against bytes worked out independently of the program: each folder of
// tests/golden holds the inputs of one run and, in expected/, every file it must
// leave, its console bytes, its exit status and the kind of its standard error.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/program_run.hpp"
#include "support/text_files.hpp"

namespace korvane2::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kRuns = KORVANE2_GOLDEN_RUNS;

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

// What standard error holds, in the words of the expected/stderr files.
std::string kind_of_stderr(const std::string& err) {
  if (err.empty()) return "empty";
  if (err.rfind("\r\nrun-time error ", 0) == 0) return "report";
  for (const std::string& line : lines_of(err))
    if (line.rfind("korvane2: warning: ", 0) != 0) return "other: " + line;
  return "warning";
}

std::vector<std::string> run_names() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(kRuns))
    if (e.is_directory()) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

const char* const kInputs[] = {"Korvane2.dat", "rngtbinp.dat"};

class GoldenRun : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenRun, LeavesExactlyTheExpectedBytes) {
  const fs::path folder = kRuns / GetParam(), expected = folder / "expected";
  TempDir dir;
  std::vector<std::string> wantEntries;
  for (const char* input : kInputs)
    if (fs::exists(folder / input)) {
      dir.write(input, read_file(folder / input));
      wantEntries.push_back(input);
    }
  RunOptions options;
  if (fs::exists(folder / "args.txt")) options.args = lines_of(read_file(folder / "args.txt"));
  const ProgramResult r = run_korvane2(dir, options);

  EXPECT_EQ(r.status, std::stoi(read_file(expected / "status"))) << r.err;
  EXPECT_EQ(kind_of_stderr(r.err), trimmed(read_file(expected / "stderr"))) << r.err;
  EXPECT_EQ(first_difference(r.out, read_file(expected / "stdout")), "identical") << "standard output";
  for (const auto& e : fs::directory_iterator(expected)) {
    const std::string name = e.path().filename().string();
    if (name == "stdout" || name == "status" || name == "stderr") continue;
    wantEntries.push_back(name);
    ASSERT_TRUE(dir.exists(name)) << name << " was not written";
    EXPECT_EQ(first_difference(dir.read(name), read_file(e.path())), "identical") << name;
  }
  std::sort(wantEntries.begin(), wantEntries.end());
  EXPECT_EQ(dir.entries(), wantEntries);
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenRun, ::testing::ValuesIn(run_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace korvane2::testing
