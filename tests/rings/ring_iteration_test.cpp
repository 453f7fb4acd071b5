// The ring iteration against its step-by-step reference: the ring states, coefficients
// and step count must agree bit for bit for every kernel path and thread count; and the
// iteration's documented results (convergence steps, coefficients, the zero stop, the
// closing point and the fixed columns).
#include <gtest/gtest.h>
#include <omp.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/parameters.hpp"
#include "rings/literal_ring.hpp"
#include "support/structure_setup.hpp"
#include "support/thread_count_guard.hpp"
#include "rings/ring_iteration.hpp"
#include "rings/ring_quantities.hpp"
#include "textio/units.hpp"

namespace korvane2 {
namespace {

struct RingCase {
  const char* name;
  int N3;
  double Ecc, Ctilt, okf0, EPS;
  double R1au = 1.0;
  bool negativeRadicand = false;  // the conic point at pi rounds its radicand below zero
};

void PrintTo(const RingCase& c, std::ostream* os) { *os << c.name; }

// Ring 1 of a one-ring structure, its quantities computed, ready for the iteration.
RunState prepare_ring(const RingCase& c) {
  testing::StructureParameters p;
  p.N30 = c.N3;
  p.R1au = c.R1au;
  p.Ecc = c.Ecc;
  p.okf0 = c.okf0;
  p.Ctilt = c.Ctilt;
  p.EPS = c.EPS;
  RunState s = testing::first_ring_state(p);
  // Values an earlier ring could have left; step 1 overwrites them before any use.
  s.okf1 = 7.25;
  s.res1 = -3.5e9;
  return s;
}

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

using testing::ThreadCountGuard;

const char* path_name(KernelPath p) {
  switch (p) {
    case KernelPath::kAuto: return "auto";
    case KernelPath::kGeneric: return "generic";
    case KernelPath::kAvx2: return "avx2";
    case KernelPath::kAvx512: return "avx512";
  }
  return "?";
}

std::vector<KernelPath> available_paths() {
  std::vector<KernelPath> paths;
  for (KernelPath p : {KernelPath::kAuto, KernelPath::kGeneric, KernelPath::kAvx2, KernelPath::kAvx512})
    if (kernel_path_available(p)) paths.push_back(p);
  return paths;
}

// Every column 1 .. N3+2 of both rows of one component; names the first difference.
::testing::AssertionResult same_columns(const char* what, const RowPair& fast, const literal::Rows& ref, int N3) {
  for (int row = 1; row <= 2; ++row)
    for (int col = 1; col <= N3 + 2; ++col)
      if (bits(fast(row, col)) != bits(ref.at(row, col)))
        return ::testing::AssertionFailure()
               << what << "(" << row << "," << col << "): fast " << std::hexfloat << fast(row, col) << " literal "
               << ref.at(row, col) << std::defaultfloat;
  return ::testing::AssertionSuccess();
}

void expect_same_as_literal(const RunState& f, const literal::RingIterationResult& L) {
  EXPECT_EQ(f.I1m, L.I1m);
  EXPECT_EQ(bits(f.okf), bits(L.okf)) << f.okf << " vs " << L.okf;
  EXPECT_EQ(bits(f.okf1), bits(L.okf1)) << f.okf1 << " vs " << L.okf1;
  EXPECT_EQ(bits(f.okf2), bits(L.okf2)) << f.okf2 << " vs " << L.okf2;
  EXPECT_EQ(bits(f.res1), bits(L.res1)) << f.res1 << " vs " << L.res1;
  EXPECT_EQ(bits(f.res2), bits(L.res2)) << f.res2 << " vs " << L.res2;
  EXPECT_EQ(bits(f.dokf), bits(L.dokf)) << f.dokf << " vs " << L.dokf;
  EXPECT_TRUE(same_columns("Xr", f.Xr, L.Xr, f.N3));
  EXPECT_TRUE(same_columns("Yr", f.Yr, L.Yr, f.N3));
  EXPECT_TRUE(same_columns("Zr", f.Zr, L.Zr, f.N3));
}

// ---------------------------------------------------------------------------------
// Bit-for-bit agreement with the literal iteration.

const RingCase kRings[] = {
    {"N3_1_circular", 1, 0.0, 0.3, 0.9, 1e-10},
    {"N3_1_eccentric_tilted", 1, 0.6, 1.0, 0.9, 0.05},
    {"N3_2_ecc005_negative_radicand", 2, 0.05, 0.3, 0.9, 1e-10, 7.0, true},
    {"N3_2_ecc01_flat", 2, 0.1, 0.0, 0.9, 1e-10},
    {"N3_3_all_20_steps", 3, 0.1, 1.0, 0.5, -1.0},
    {"N3_3_negative_tilt_eps005", 3, 0.1, -0.7, 0.9, 0.05},
    {"N3_12_worked_example", 12, 0.1, 0.3, 0.9, 1e-10},
    {"N3_12_converges_at_step_2", 12, 0.1, 0.3, 1.0, 0.0476191},
    {"N3_12_negative_secant", 12, 0.1, 0.0, 0.7, 1e-10},
    {"N3_12_negative_start", 12, 0.6, 0.3, -0.4, 1e-10},
    {"N3_12_ecc005_negative_radicand", 12, 0.05, 0.3, 0.9, 1e-10, 30.0, true},
    {"N3_12_ecc_minus03", 12, -0.3, -0.7, 0.9, 1e-10},
    {"N3_97_ecc06", 97, 0.6, -0.7, 0.9, 0.05},
    {"N3_97_all_20_steps", 97, -0.3, 1.0, 0.5, -1.0},
    {"N3_97_circular_flat", 97, 0.0, 0.0, 0.7, 1e-10},
    {"N3_500_ecc_minus03", 500, -0.3, 0.3, 0.9, 1e-10},
    {"N3_500_ecc005_negative_radicand", 500, 0.05, -0.7, 0.9, 0.05, 7.0, true},
    {"N3_500_tilt1_all_20_steps", 500, 0.1, 1.0, 0.5, -1.0},
};

class RingIterationMatchesLiteral : public ::testing::TestWithParam<RingCase> {};

TEST_P(RingIterationMatchesLiteral, OnEveryKernelPathAndThreadCount) {
  const RingCase& c = GetParam();
  const RunState start = prepare_ring(c);
  ASSERT_EQ(start.N3, c.N3);
  const literal::RingIterationResult L = literal::iterate_ring(literal::iteration_input(start));
  ASSERT_TRUE(L.completed);
  ASSERT_TRUE(std::isfinite(L.okf)) << "the secant must stay away from equal residuals";
  // The case really exercises what its name says.
  EXPECT_EQ(L.negativeRadicands > 0, c.negativeRadicand) << L.negativeRadicands;

  ThreadCountGuard guard;
  for (KernelPath path : available_paths()) {
    for (int threads : {1, 2, 4}) {
      SCOPED_TRACE(std::string("path ") + path_name(path) + ", threads " + std::to_string(threads));
      omp_set_num_threads(threads);
      RunState f = start;
      ASSERT_TRUE(iterate_ring(f, path));
      expect_same_as_literal(f, L);
      // Centre and body 1 are the fixed columns, exactly.
      for (int row = 1; row <= 2; ++row) {
        EXPECT_EQ(bits(f.Xr(row, 1)), bits(0.0));
        EXPECT_EQ(bits(f.Yr(row, 1)), bits(0.0));
        EXPECT_EQ(bits(f.Zr(row, 1)), bits(0.0));
      }
      EXPECT_EQ(bits(f.Xr(1, 2)), bits(start.Rper));
      EXPECT_EQ(bits(f.Yr(1, 2)), bits(0.0));
      EXPECT_EQ(bits(f.Zr(1, 2)), bits(0.0));
      EXPECT_EQ(bits(f.Xr(2, 2)), bits(0.0));
      EXPECT_EQ(bits(f.Yr(2, 2)), bits(start.Vper));
      EXPECT_EQ(bits(f.Zr(2, 2)), bits(0.0));
      if (HasFatalFailure() || HasNonfatalFailure()) return;  // one report per case is enough
    }
  }
}

INSTANTIATE_TEST_SUITE_P(RingIterationCases, RingIterationMatchesLiteral, ::testing::ValuesIn(kRings),
                         [](const ::testing::TestParamInfo<RingCase>& info) { return std::string(info.param.name); });

// A second ring iterated in the same record after a larger first ring: nothing of the
// first ring's states or coefficients may leak into the second.
TEST(RingIterationMatchesLiteralAcrossRings, SecondRingAfterALargerFirstRing) {
  testing::StructureParameters p;
  p.NRing = 2;
  p.N30 = 40;
  RunState s = testing::first_ring_state(p);
  ASSERT_TRUE(iterate_ring(s));
  start_ring(s, 2);
  // As a ring-table record would: fewer bodies, another start and tilt.
  s.N3 = 7;
  s.okf = 0.8;
  s.Ctilt = -0.7;
  compute_ring_quantities(s, 2);
  const literal::RingIterationResult L = literal::iterate_ring(literal::iteration_input(s));
  ASSERT_TRUE(L.completed);
  ASSERT_TRUE(iterate_ring(s, KernelPath::kGeneric));
  expect_same_as_literal(s, L);
}

// ---------------------------------------------------------------------------------
// Documented results of the iteration, for the fast code and for the reference alike.

struct Outcome {
  bool completed;
  std::int32_t I1m;
  double okf, okf1, okf2;
};

Outcome fast_outcome(const RingCase& c) {
  RunState s = prepare_ring(c);
  bool ok = iterate_ring(s);
  return {ok, s.I1m, s.okf, s.okf1, s.okf2};
}

Outcome literal_outcome(const RingCase& c) {
  literal::RingIterationResult L = literal::iterate_ring(literal::iteration_input(prepare_ring(c)));
  return {L.completed, L.I1m, L.okf, L.okf1, L.okf2};
}

class RingIterationOutcome : public ::testing::TestWithParam<bool> {
 protected:
  Outcome run(const RingCase& c) const { return GetParam() ? literal_outcome(c) : fast_outcome(c); }
};

TEST_P(RingIterationOutcome, TwelveBodiesTiltedConvergeAtStep6) {
  for (double ecc : {0.0, 0.1, 0.6}) {
    SCOPED_TRACE(ecc);
    Outcome o = run({"", 12, ecc, 0.3, 0.9, 1e-10});
    EXPECT_TRUE(o.completed);
    EXPECT_EQ(o.I1m, 6);
    EXPECT_NEAR(o.okf, 0.9549259693, 5e-11);
    EXPECT_NEAR(o.okf1, 0.9549259692, 5e-11);
    EXPECT_EQ(o.okf, o.okf2);
    EXPECT_LT(std::fabs(o.okf - o.okf1) / o.okf, 1e-10);
  }
}

TEST_P(RingIterationOutcome, NegativeSecantValueEndsAtStep3) {
  for (int N3 : {2, 12, 40}) {
    SCOPED_TRACE(N3);
    Outcome o = run({"", N3, 0.1, 0.0, 0.7, 1e-10});
    EXPECT_TRUE(o.completed);
    EXPECT_EQ(o.I1m, 3);
    EXPECT_NEAR(o.okf, -0.04793, 5e-6);
    EXPECT_EQ(o.okf, o.okf2);
    EXPECT_EQ(o.okf1, 0.7 * 1.0499999523162842);
    EXPECT_NEAR(o.okf1, 0.7349999666213989, 1e-16);
  }
}

TEST_P(RingIterationOutcome, StartingCoefficientOneConvergesAtStep2WithTheSinglePrecisionFactor) {
  Outcome o = run({"", 12, 0.1, 0.3, 1.0, 0.0476191});
  EXPECT_TRUE(o.completed);
  EXPECT_EQ(o.I1m, 2);
  EXPECT_EQ(o.okf, 1.0499999523162842);
  EXPECT_EQ(o.okf2, 1.0499999523162842);
  EXPECT_EQ(o.okf1, 1.0);
  // Just below that tolerance step 2 does not converge.
  EXPECT_GT(run({"", 12, 0.1, 0.3, 1.0, 0.0476189}).I1m, 2);
}

TEST_P(RingIterationOutcome, NegativeStartStopsAtStep2) {
  Outcome o = run({"", 12, 0.1, 0.3, -0.4, 0.0});
  EXPECT_TRUE(o.completed);
  EXPECT_EQ(o.I1m, 2);
  EXPECT_EQ(o.okf1, -0.4);
  EXPECT_EQ(o.okf, -0.4 * 1.0499999523162842);
}

TEST_P(RingIterationOutcome, NegativeToleranceRunsAll20Steps) {
  Outcome o = run({"", 3, 0.1, 1.0, 0.5, -1.0});
  EXPECT_TRUE(o.completed);
  EXPECT_EQ(o.I1m, 20);
  // okf is the secant value computed after step 20, never evaluated.
  EXPECT_NE(o.okf, o.okf2);
}

TEST_P(RingIterationOutcome, ZeroStartingCoefficientIsAnIterationStop) {
  ::testing::internal::CaptureStdout();
  Outcome o = run({"", 12, 0.1, 0.3, 0.0, 1e-10});
  textio::units().console().end_line();
  std::string console = ::testing::internal::GetCapturedStdout();
  EXPECT_FALSE(o.completed);
  EXPECT_EQ(o.I1m, 2);
  EXPECT_EQ(o.okf2, 0.0);
  if (!GetParam()) {
    EXPECT_NE(console.find("Error okf2 = "), std::string::npos) << console;
  }
}

INSTANTIATE_TEST_SUITE_P(RingIterationBoth, RingIterationOutcome, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Literal" : "Fast");
                         });

// ---------------------------------------------------------------------------------
// Geometry of the built states.

// One body: the closing point is the conic point at 2 pi (the pericentre) turned once:
// position (Rper cos angZ, Rper sin angZ, 0), velocity turned by the tilt, then angZ.
TEST(RingIterationGeometry, OneBodyClosingPointIsThePericentreTurnedOnce) {
  RunState s = prepare_ring({"", 1, 0.1, 0.3, 0.9, 1e-10});
  ASSERT_TRUE(iterate_ring(s));
  const double angZ = s.okf2 * s.Delta, angX = s.Delta * s.Ctilt;
  const double R = s.Rper, V = s.Vper;
  EXPECT_NEAR(s.Xr(1, 3), R * std::cos(angZ), R * 1e-13);
  EXPECT_NEAR(s.Yr(1, 3), R * std::sin(angZ), R * 1e-13);
  EXPECT_NEAR(s.Zr(1, 3), 0.0, R * 1e-13);
  EXPECT_NEAR(s.Xr(2, 3), -V * std::cos(angX) * std::sin(angZ), V * 1e-13);
  EXPECT_NEAR(s.Yr(2, 3), V * std::cos(angX) * std::cos(angZ), V * 1e-13);
  EXPECT_NEAR(s.Zr(2, 3), V * std::sin(angX), V * 1e-13);
  EXPECT_EQ(s.res2, s.Yr(1, 3));
}

// Without tilt the ring lies in the x-y plane, body b at polar angle
// (b-1) Delta (1 + okf), and the closing point at Rper (cos 2 pi okf, sin 2 pi okf, 0).
TEST(RingIterationGeometry, UntiltedRingLiesInThePlaneAtTheTurnedAnomalies) {
  RunState s = prepare_ring({"", 12, 0.1, 0.0, 0.6, 0.05});
  ASSERT_TRUE(iterate_ring(s));
  const double okf = s.okf2;
  for (int c = 2; c <= s.N3 + 2; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(s.Zr(1, c), 0.0);
    EXPECT_EQ(s.Zr(2, c), 0.0);
    double expected = std::remainder(static_cast<double>(c - 2) * s.Delta * (1.0 + okf), s.Pi2);
    double actual = std::atan2(s.Yr(1, c), s.Xr(1, c));
    EXPECT_NEAR(std::remainder(actual - expected, s.Pi2), 0.0, 1e-12);
  }
  const int close = s.N3 + 2;
  EXPECT_NEAR(s.Xr(1, close), s.Rper * std::cos(s.Pi2 * okf), s.Rper * 1e-12);
  EXPECT_NEAR(s.Yr(1, close), s.Rper * std::sin(s.Pi2 * okf), s.Rper * 1e-12);
  EXPECT_EQ(s.res2, s.Yr(1, close));
}

// The residual vanishes for a coefficient that is a multiple of one half: the flat ring
// converges there from a nearby start.
TEST(RingIterationGeometry, UntiltedRingConvergesToAHalfInteger) {
  RunState s = prepare_ring({"", 12, 0.1, 0.0, 0.45, 1e-12});
  ASSERT_TRUE(iterate_ring(s));
  EXPECT_LT(s.I1m, 20);
  EXPECT_NEAR(s.okf, 0.5, 1e-12);
  EXPECT_NEAR(s.Yr(1, s.N3 + 2), 0.0, s.Rper * 1e-11);
}

}  // namespace
}  // namespace korvane2
