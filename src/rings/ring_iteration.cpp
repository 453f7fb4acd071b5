// Ring iteration. A step's residual is the closing point alone: conic point N3+1 turned
// N3 times by the step rotation, the same operations in the same order as a full sweep
// of the ring performs for that column. Only the coefficient that ends the iteration has
// every ring state built, once.
#include "rings/ring_iteration.hpp"

#include <cmath>

#include "rings/conic_points.hpp"
#include "textio/free_format_writer.hpp"
#include "textio/units.hpp"

namespace korvane2 {

namespace {

constexpr int kMaxSteps = 20;
// The single-precision value of 1.05, widened to double.
constexpr double kFirstStepFactor = 1.0499999523162842;

void report_zero_coefficient(double okf2) {
  textio::FreeFormatWriter w(textio::units().console());
  w.begin_record();
  w.put_text("Error okf2 = ");
  w.put_double(okf2);
  w.end_record();
}

void build_ring_states(RunState& s, const ConicPoints& conic, const StepRotation& R, KernelPath path,
                       textio::ProgressLine* progress) {
  const int N3 = s.N3;
  for (RowPair* a : {&s.Xr, &s.Yr, &s.Zr}) a->resize(static_cast<std::size_t>(N3) + 2);
  RingStateRows out{{s.Xr.row[0].data(), s.Xr.row[1].data()},
                    {s.Yr.row[0].data(), s.Yr.row[1].data()},
                    {s.Zr.row[0].data(), s.Zr.row[1].data()}};
  build_ring_chains(conic, N3, R, out, path, progress);
  // Column 1 is the ring's centre; column 2 is body 1 at the pericentre, exactly.
  for (int row = 1; row <= 2; ++row) s.Xr(row, 1) = s.Yr(row, 1) = s.Zr(row, 1) = 0.0;
  s.Xr(1, 2) = s.Rper, s.Yr(1, 2) = 0.0, s.Zr(1, 2) = 0.0;
  s.Xr(2, 2) = 0.0, s.Yr(2, 2) = s.Vper, s.Zr(2, 2) = 0.0;
}

}  // namespace

bool iterate_ring(RunState& s, KernelPath path, textio::ProgressLine* progress) {
  ConicPoints conic;
  compute_conic_points(s.N3, s.Delta, s.Qe, s.Rper, s.Vper, conic);

  StepRotation R{};
  s.endedOnTest = false;
  for (int I = 1; I <= kMaxSteps; ++I) {
    s.I1m = I;
    double angZ = s.okf * s.Delta;
    double angX = s.Delta * s.Ctilt;
    R = StepRotation{std::cos(angZ), std::sin(angZ), std::cos(angX), std::sin(angX)};
    double residual = closing_residual(conic, s.N3, R);

    s.okf1 = s.okf2;
    s.okf2 = s.okf;
    s.res1 = s.res2;
    s.res2 = residual;
    if (I == 1) {
      s.okf = s.okf * kFirstStepFactor;
      continue;
    }
    if (s.okf2 == 0.0) {
      report_zero_coefficient(s.okf2);
      return false;
    }
    // Relative change, divided by okf2 with its sign.
    s.dokf = std::fabs(s.okf2 - s.okf1) / s.okf2;
    if (s.dokf <= s.EPS) {
      s.endedOnTest = true;
      break;
    }
    // Secant rule on the closing residual.
    s.okf = s.okf2 - ((s.okf2 - s.okf1) * s.res2) / (s.res2 - s.res1);
  }
  build_ring_states(s, conic, R, path, progress);
  return true;
}

}  // namespace korvane2
