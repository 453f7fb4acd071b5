// A run-state record set up as the parameter phase leaves it, for tests and benchmarks
// that drive the ring and structure phases directly.
#pragma once

#include "driver/run_state.hpp"

namespace korvane2::testing {

// The parameters that matter for the ring construction; the defaults are one ring of
// 12 bodies about a 2e30 kg centre, converging at step 6.
struct StructureParameters {
  int NRing = 1, N30 = 12;
  double Mstr = 2e30, Fcen = 0.99, R1au = 1.0, Ecc = 0.1, dRr = 0.5, FN3 = 1.0, okf0 = 0.9, Ctilt = 0.3,
         EPS = 1e-10;
  int Irot = 0;
};

// Parameters, constants and global derived quantities in place.
RunState structure_state(const StructureParameters& p);

// The same, with ring 1 started and its quantities computed: ready for the iteration.
RunState first_ring_state(const StructureParameters& p);

}  // namespace korvane2::testing
