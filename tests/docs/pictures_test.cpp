// The pictures of the README and the guide are those that tools/make-pictures.sh makes
// now from the inputs kept beside them: a picture left behind by a change of the
// programs or of its inputs fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "support/program_run.hpp"
#include "support/text_files.hpp"

namespace korvane2::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kRepository = KORVANE2_SOURCE_DIR;

// The folders that hold the inputs of a picture and the picture, from the top of the
// repository.
std::vector<std::string> picture_folders() {
  std::vector<std::string> folders{"examples"};
  for (const auto& e : fs::directory_iterator(kRepository / "docs/pictures"))
    if (e.is_directory()) folders.push_back("docs/pictures/" + e.path().filename().string());
  std::sort(folders.begin() + 1, folders.end());
  return folders;
}

TEST(Pictures, AreWhatTheScriptMakesNow) {
  TempDir out;
  RunOptions options;
  options.args = {(kRepository / "tools/make-pictures.sh").string(), out.path(), KORVANE2_EXE, KORVANE2_INSPECT_EXE};
  const ProgramResult r = run_program("/bin/bash", out, options);
  ASSERT_EQ(r.status, 0) << r.err;
  for (const std::string& folder : picture_folders()) {
    const fs::path made = fs::path(out.path()) / folder / "structure.svg";
    ASSERT_TRUE(fs::exists(made)) << folder << ": the script made no picture";
    EXPECT_EQ(first_difference(read_file(made), read_file(kRepository / folder / "structure.svg")), "identical")
        << folder << "/structure.svg is stale: run bash tools/make-pictures.sh";
  }
}

TEST(Pictures, AreEachShownInTheGuideOrTheReadme) {
  const std::string documents = read_file(kRepository / "README.md") + read_file(kRepository / "docs/guide.md");
  for (const std::string& folder : picture_folders()) {
    const std::string fromGuide = folder.substr(folder.find('/') + 1) + "/structure.svg";  // as the guide links it
    EXPECT_TRUE(documents.find(folder + "/structure.svg") != std::string::npos ||
                documents.find("(" + fromGuide + ")") != std::string::npos)
        << folder << "/structure.svg is shown nowhere";
  }
}

}  // namespace
}  // namespace korvane2::testing
