// The conic points of a ring: position and velocity at true anomaly (k-1)*Delta,
// k = 1..N3+1, on the conic of pericentre distance Rper and pericentre speed Vper.
#pragma once

#include <vector>

namespace korvane2 {

struct ConicPoints {
  // Indexed by k = 1..N3+1 (element 0 unused). z components are zero.
  std::vector<double> x, y, vx, vy;
};

void compute_conic_points(int N3, double Delta, double Qe, double Rper, double Vper, ConicPoints& c);

}  // namespace korvane2
