// The dry run's foretelling of arithmetic faults against real runs of korvane2 on the
// same parameter files: where the run stops in a ring's quantities, the structure units
// or the radii, the dry run ends with status 2 naming the same place and quoting the
// run's own report; where the run stops in the iteration, the dry run says plainly that
// it cannot foretell it; a clean file gives neither.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

enum class Foretold { kNoFault, kAtRing, kInUnits, kInRadii, kNot };

struct FaultCase {
  const char* name;
  ParameterFile file;
  Foretold foretold;
  int ring;                 // kAtRing: the ring a run stops at
  const char* runReport;    // the report the run writes (CR LF line ends), or "" for none
};
void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

std::string without_cr(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out.push_back(c);
  return out;
}

// The report as the dry run quotes it: every line indented by four blanks.
std::string quoted(const std::string& report) {
  std::string lines = without_cr(report), out;
  std::size_t start = lines.find_first_not_of('\n');
  while (start != std::string::npos && start < lines.size()) {
    std::size_t end = lines.find('\n', start);
    out += "    " + lines.substr(start, end - start) + "\n";
    start = end == std::string::npos ? end : end + 1;
  }
  return out;
}

class InspectFaultPrediction : public ::testing::TestWithParam<FaultCase> {};

TEST_P(InspectFaultPrediction, AgreesWithTheRun) {
  const FaultCase& c = GetParam();
  TempDir dir;
  dir.write("Korvane2.dat", c.file.text());
  const ProgramResult dry = run_inspect(dir, RunOptions{.args = {"--params"}});
  EXPECT_EQ(dir.entries().size(), 1u);
  const ProgramResult run = run_korvane2(dir);

  EXPECT_EQ(run.status, c.foretold == Foretold::kNoFault ? 0 : 1) << run.err;
  EXPECT_EQ(run.err, c.runReport);
  const bool stops = c.foretold == Foretold::kAtRing || c.foretold == Foretold::kInUnits || c.foretold == Foretold::kInRadii;
  EXPECT_EQ(dry.status, stops ? 2 : 0) << dry.out << dry.err;
  if (stops) {
    EXPECT_NE(dry.out.find(quoted(run.err)), std::string::npos) << dry.out;
  }
  const char* place = "";
  std::string atRing = "A run stops at ring " + std::to_string(c.ring) + ": its quantities";
  if (c.foretold == Foretold::kAtRing) place = atRing.c_str();
  if (c.foretold == Foretold::kInUnits) place = "A run stops when it converts the structure to its units";
  if (c.foretold == Foretold::kInRadii) place = "A run stops when it gives the bodies their radii";
  if (c.foretold == Foretold::kNot || c.foretold == Foretold::kNoFault)
    place = "Not foretold: the ring iteration and everything that depends on the bodies' positions";
  EXPECT_NE(dry.out.find(place), std::string::npos) << dry.out;
}

const char* const kOverflow = "\r\nrun-time error M6104: MATH\r\n- floating-point error: overflow\r\n";
const char* const kInvalid = "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n";
const char* const kDivide = "\r\nrun-time error M6103: MATH\r\n- floating-point error: divide by zero\r\n";

INSTANTIATE_TEST_SUITE_P(
    Inspect, InspectFaultPrediction,
    ::testing::Values(
        FaultCase{"CleanFile", ParameterFile(), Foretold::kNoFault, 0, ""},
        // R1 = 0: the body count (Rring / R1) * N30 * FN3 is 0 / 0.
        FaultCase{"ZeroRadiusOfRingOne", ParameterFile().set(5, "0.0"), Foretold::kAtRing, 1, kInvalid},
        // Mstr = 0: the body mass is 0 and the ring's quantities divide by it.
        FaultCase{"ZeroMass", ParameterFile().set(3, "0.0"), Foretold::kAtRing, 1, kDivide},
        // Ring 2 lies at (1 + dRr) R1 = 1e300 AU, beyond the largest double in metres.
        FaultCase{"SecondRingBeyondTheLargestDouble", ParameterFile().set(1, "3").set(7, "1.0D300"), Foretold::kAtRing, 2,
                  kOverflow},
        // The density in the units of the structure is Rho Runit^3 / Mtot, 1e300 times
        // about 1e33 / 1e30.
        FaultCase{"HugeDensity", ParameterFile().set(15, "1.0D300"), Foretold::kInUnits, 0, kOverflow},
        // A radius from a density of 0 divides by 0, from a negative one takes the cube
        // root of a negative number.
        FaultCase{"ZeroDensity", ParameterFile().set(15, "0.0"), Foretold::kInRadii, 0, kDivide},
        FaultCase{"NegativeDensity", ParameterFile().set(15, "-1.0"), Foretold::kInRadii, 0, kInvalid},
        // okf0 = 1e300: the secant step of the iteration overflows; the dry run does not
        // iterate.
        FaultCase{"HugeStartingCoefficient", ParameterFile().set(9, "1.0D300"), Foretold::kNot, 0, kOverflow}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvane2::testing
