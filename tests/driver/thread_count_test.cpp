// The files of a run do not depend on the number of threads: the ring chains, the
// distance search and the body records are computed in parallel, each in a way whose
// result is fixed by the data alone.
#include <gtest/gtest.h>

#include <string>

#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

struct RunFiles {
  std::string report, summary, initialData;
};

RunFiles run_with_threads(const std::string& parameters, const std::string& threads) {
  TempDir dir;
  dir.write("Korvane2.dat", parameters);
  ProgramResult r = run_korvane2(dir, {.env = {{"OMP_NUM_THREADS", threads}}});
  EXPECT_EQ(r.status, 0) << r.err;
  return {dir.read("Korvane2Err"), dir.read("rngtbout.dat"), dir.read("ring.ini")};
}

TEST(ThreadCount, FilesAreTheSameForOneTwoAndFourThreads) {
  // Two rings, more bodies than one batch of body records, tilted so that the distance
  // search sweeps a spread of points.
  ParameterFile p;
  p.set(1, "2").set(2, "4500").set(7, "0.25").set(13, "0");
  const std::string parameters = p.text();
  const RunFiles one = run_with_threads(parameters, "1");
  ASSERT_GT(one.initialData.size(), 9000u * 5 * 76);
  for (const char* threads : {"2", "4"}) {
    const RunFiles other = run_with_threads(parameters, threads);
    EXPECT_TRUE(other.report == one.report) << threads << " threads";
    EXPECT_TRUE(other.summary == one.summary) << threads << " threads";
    EXPECT_TRUE(other.initialData == one.initialData) << threads << " threads";
  }
}

}  // namespace
}  // namespace korvane2::testing
