// The ring iteration and the ring distance search written out step by step, as plainly
// as possible: every step evaluates all conic points, performs the full rotation sweep
// over them, sets the fixed columns and does the bookkeeping and the secant update; the
// distance search visits every ordered pair. Slow on purpose: it is the reference that
// the fast ring code must match bit for bit, in tests and in benchmarks.
#pragma once

#include <cstdint>
#include <vector>

#include "driver/run_state.hpp"

namespace korvane2::literal {

// Two rows (1 position, 2 velocity) of one Cartesian component, columns from 1.
struct Rows {
  std::vector<double> row[2];
  double& at(int r, int column) { return row[r - 1][static_cast<std::size_t>(column)]; }
  double at(int r, int column) const { return row[r - 1][static_cast<std::size_t>(column)]; }
};

// What the ring iteration reads: the ring quantities in force when it starts.
struct RingIterationInput {
  std::int32_t N3 = 0;
  double Delta = 0.0, Qe = 0.0, Rper = 0.0, Vper = 0.0, Ctilt = 0.0, EPS = 0.0;
  double okf = 0.0;  // starting coefficient
  // Values left by earlier rings; okf2 and res2 are 0 at the start of every ring.
  double okf1 = 0.0, okf2 = 0.0, res1 = 0.0, res2 = 0.0;
};

// The input as a ring in the run-state record holds it after its ring quantities.
RingIterationInput iteration_input(const RunState& s);

struct RingIterationResult {
  // false: okf2 was zero at a step from 2 on; the run would stop with "Error okf2 = ".
  // The arrays then hold what that step built.
  bool completed = false;
  Rows Xr, Yr, Zr;  // columns 1 .. N3+2
  double okf = 0.0, okf1 = 0.0, okf2 = 0.0, res1 = 0.0, res2 = 0.0, dokf = 0.0;
  std::int32_t I1m = 0;
  // Conic-point velocity radicands found below zero (and taken as 0.0), over all steps.
  long negativeRadicands = 0;
};

RingIterationResult iterate_ring(const RingIterationInput& in);

// What the distance search reads and writes besides the ring positions.
struct DistanceState {
  double d23 = 0.0, Rmin = 1e99;
  std::int32_t imin = 0, jmin = 0;
  double Rminn = 1e99;
  std::int32_t iRminn = 0, jRminn = 0, ringRminn = 0;
};

DistanceState distance_state(const RunState& s);

// The double loop over columns 2 .. N3+1 of the positions x, y, z (indexed by column),
// then the update of the run's smallest distance for ring Iring.
void ring_distances(const double* x, const double* y, const double* z, std::int32_t N3, std::int32_t Iring,
                    DistanceState& st);

}  // namespace korvane2::literal
