// The rotation chains of a ring: a conic point turned again and again by the step
// rotation. The closing residual needs one chain; the ring states need N3 chains, which
// run in parallel and vectorised across chains, bit-identical for any thread count and
// vector width.
#pragma once

#include <vector>

#include "rings/conic_points.hpp"
#include "rings/step_rotation.hpp"
#include "textio/progress_line.hpp"

namespace korvane2 {

// Vector instruction sets the chain kernel can be built for. kAuto takes the widest the
// processor offers; the others are for tests and benchmarks that compare the paths.
enum class KernelPath { kAuto, kGeneric, kAvx2, kAvx512 };

bool kernel_path_available(KernelPath path);

// y position of conic point N3+1 turned N3 times in succession: the closing residual.
double closing_residual(const ConicPoints& c, int N3, const StepRotation& R);

// Output columns of the ring states, each indexed by column 1..N3+2.
struct RingStateRows {
  double* x[2];  // rows 1 (position) and 2 (velocity) of Xr
  double* y[2];
  double* z[2];
};

// The turns of columns 3..N3+2 in all: N3 (N3 + 1) / 2.
std::int64_t ring_chain_turns(int N3);

// Columns 3..N3+2: conic point c-1 turned c-2 times in succession, both rows. Each turn
// counts one unit of `progress`, if given.
void build_ring_chains(const ConicPoints& c, int N3, const StepRotation& R, RingStateRows out,
                       KernelPath path = KernelPath::kAuto, textio::ProgressLine* progress = nullptr);

}  // namespace korvane2
