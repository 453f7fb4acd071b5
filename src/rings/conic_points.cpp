// Conic points of a ring, evaluated in the written order. They do not depend on the ring
// coefficient, so one evaluation serves every step of the iteration.
#include "rings/conic_points.hpp"

#include <cmath>

namespace korvane2 {

namespace {

// Below this many points the threads would cost more than they save; a run of thousands
// of small rings would otherwise wake them for every ring.
constexpr int kParallelPoints = 4096;

}  // namespace

void compute_conic_points(int N3, double Delta, double Qe, double Rper, double Vper, ConicPoints& c) {
  const std::size_t n = static_cast<std::size_t>(N3) + 2;
  c.x.assign(n, 0.0);
  c.y.assign(n, 0.0);
  c.vx.assign(n, 0.0);
  c.vy.assign(n, 0.0);
#pragma omp parallel for schedule(static) if (N3 >= kParallelPoints)
  for (int k = 1; k <= N3 + 1; ++k) {
    double theta = static_cast<double>(k - 1) * Delta;
    double cosT = std::cos(theta);
    double sinT = std::sin(theta);
    // Focal equation of the conic: r = Rper / ((Qe + 1) cos theta - Qe).
    double rk = Rper / ((Qe + 1.0) * cosT - Qe);
    double a = Qe + 1.0;
    double b = Rper / rk + Qe;
    // The radicand is (Qe + 1)^2 sin^2(theta) exactly; below zero only by rounding.
    double radicand = a * a - b * b;
    if (radicand < 0.0) radicand = 0.0;
    double vrk = std::sqrt(radicand) * Vper;
    if (sinT < 0.0) vrk = -vrk;
    double vtk = (Vper * Rper) / rk;
    c.x[k] = rk * cosT;
    c.y[k] = rk * sinT;
    c.vx[k] = vrk * cosT - vtk * sinT;
    c.vy[k] = vtk * cosT + vrk * sinT;
  }
}

}  // namespace korvane2
