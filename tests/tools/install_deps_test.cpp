// The install step of the test command, run.sh and .ci/run (tools/install-deps.sh)
// against stand-ins for dpkg, id and apt-get: it installs as root, otherwise prints the one
// apt-get line to run and stops, and does nothing when everything is there.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

struct InstallCase {
  const char* what;
  std::vector<std::string> options;  // of the script
  const char* missing;               // packages the stand-in dpkg does not know
  const char* uid;
  int status;
  const char* out;     // standard output
  const char* aptGet;  // the apt-get calls, one line each
};

class InstallDeps : public ::testing::TestWithParam<InstallCase> {};

TEST_P(InstallDeps, InstallsOrSaysWhatToInstall) {
  const InstallCase& c = GetParam();
  TempDir dir;
  const auto stand_in = [&](const std::string& name, const std::string& body) {
    dir.write(name, "#!/bin/sh\n" + body);
    ::chmod(dir.file(name).c_str(), 0755);
  };
  stand_in("dpkg", "for p in $MISSING; do [ \"$p\" = \"$2\" ] && exit 1; done\nexit 0\n");
  stand_in("id", "echo \"$FAKE_UID\"\n");
  stand_in("apt-get", "echo \"$*\" >> \"$APT_LOG\"\n");
  RunOptions options;
  options.args = {KORVANE2_SOURCE_DIR "/tools/install-deps.sh"};
  options.args.insert(options.args.end(), c.options.begin(), c.options.end());
  options.env = {{"PATH", dir.path()}, {"MISSING", c.missing}, {"FAKE_UID", c.uid}, {"APT_LOG", dir.file("apt.log")}};
  const ProgramResult r = run_program("/bin/bash", dir, options);
  EXPECT_EQ(r.status, c.status) << c.what << "\n" << r.err;
  EXPECT_EQ(r.out, c.out) << c.what;
  EXPECT_EQ(dir.exists("apt.log") ? dir.read("apt.log") : "", c.aptGet) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InstallDeps,
    ::testing::Values(
        InstallCase{"everything there", {}, "", "1000", 0, "", ""},
        InstallCase{"a user without the renderer", {}, "librsvg2-bin", "1000", 1, "apt-get install librsvg2-bin\n", ""},
        InstallCase{"a user without two packages", {}, "cmake libgtest-dev", "1000", 1,
                    "apt-get install cmake libgtest-dev\n", ""},
        InstallCase{"root without the renderer", {}, "librsvg2-bin", "0", 0, "",
                    "update -qq\ninstall -y -qq librsvg2-bin\n"},
        InstallCase{"the fuzz tools are asked for only with --fuzz", {}, "clang", "1000", 0, "", ""},
        InstallCase{"a user without clang, with --fuzz", {"--fuzz"}, "clang", "1000", 1, "apt-get install clang\n", ""},
        InstallCase{"root without the fuzz tools", {"--fuzz"}, "clang libomp-dev", "0", 0, "",
                    "update -qq\ninstall -y -qq clang libomp-dev\n"},
        InstallCase{"an unknown option", {"--all"}, "", "0", 2, "", ""}));

TEST(InstallDeps, ChecksNothingWithoutDpkg) {
  TempDir dir;  // a PATH that holds no dpkg (and no apt-get)
  RunOptions options;
  options.args = {KORVANE2_SOURCE_DIR "/tools/install-deps.sh"};
  options.env = {{"PATH", dir.path()}};
  const ProgramResult r = run_program("/bin/bash", dir, options);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace korvane2::testing
