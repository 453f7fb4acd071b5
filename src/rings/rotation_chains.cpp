// Rotation chain kernels. A block holds 16 chains of consecutive columns, positions and
// velocities side by side (four independent 8-lane vectors per component, kept in
// registers); all lanes are turned together the length of the shortest chain, then once
// more per further lane, each lane being stored when its chain is complete. Every lane
// performs exactly the scalar operations of the step rotation, so the vector width and
// the distribution of blocks over threads cannot change a bit of the result.
#include "rings/rotation_chains.hpp"

#include <cstring>

namespace korvane2 {

namespace {

typedef double v8d __attribute__((vector_size(64)));

constexpr int kLanes = 8;
constexpr int kBlockChains = 2 * kLanes;  // chains of one row in a block

struct BlockState {
  // Vectors 0,1: positions of chains 0..15; vectors 2,3: velocities of chains 0..15.
  v8d x[4], y[4], z[4];
};

struct BlockJob {
  const ConicPoints* c;
  int N3;
  StepRotation R;
  RingStateRows out;
};

inline __attribute__((always_inline)) void turn_block(BlockState& b, const StepRotation& R, long times) {
  v8d x0 = b.x[0], x1 = b.x[1], x2 = b.x[2], x3 = b.x[3];
  v8d y0 = b.y[0], y1 = b.y[1], y2 = b.y[2], y3 = b.y[3];
  v8d z0 = b.z[0], z1 = b.z[1], z2 = b.z[2], z3 = b.z[3];
  for (long t = 0; t < times; ++t) {
    R.apply(x0, y0, z0);
    R.apply(x1, y1, z1);
    R.apply(x2, y2, z2);
    R.apply(x3, y3, z3);
  }
  b.x[0] = x0, b.x[1] = x1, b.x[2] = x2, b.x[3] = x3;
  b.y[0] = y0, b.y[1] = y1, b.y[2] = y2, b.y[3] = y3;
  b.z[0] = z0, b.z[1] = z1, b.z[2] = z2, b.z[3] = z3;
}

inline double lane(const v8d* v, int row, int chain) {
  return v[row * 2 + chain / kLanes][chain % kLanes];
}

void store_lane(const BlockState& b, const BlockJob& job, int column, int chain) {
  for (int row = 0; row < 2; ++row) {
    job.out.x[row][column] = lane(b.x, row, chain);
    job.out.y[row][column] = lane(b.y, row, chain);
    job.out.z[row][column] = lane(b.z, row, chain);
  }
}

// Block of columns c0..c0+15 (those up to N3+2): column c starts from conic point c-1
// and is turned c-2 times.
inline __attribute__((always_inline)) void run_block(const BlockJob& job, int c0) {
  const ConicPoints& c = *job.c;
  const int last = job.N3 + 2;
  BlockState b;
  std::memset(&b, 0, sizeof b);
  for (int chain = 0; chain < kBlockChains; ++chain) {
    int column = c0 + chain;
    if (column > last) break;
    int v = chain / kLanes, l = chain % kLanes;
    b.x[v][l] = c.x[column - 1];
    b.y[v][l] = c.y[column - 1];
    b.x[2 + v][l] = c.vx[column - 1];
    b.y[2 + v][l] = c.vy[column - 1];
  }
  turn_block(b, job.R, c0 - 2);
  store_lane(b, job, c0, 0);
  for (int chain = 1; chain < kBlockChains && c0 + chain <= last; ++chain) {
    turn_block(b, job.R, 1);
    store_lane(b, job, c0 + chain, chain);
  }
}

void run_block_generic(const BlockJob& job, int c0) { run_block(job, c0); }
__attribute__((target("avx2"))) void run_block_avx2(const BlockJob& job, int c0) { run_block(job, c0); }
__attribute__((target("avx512f"))) void run_block_avx512(const BlockJob& job, int c0) { run_block(job, c0); }

using BlockKernel = void (*)(const BlockJob&, int);

BlockKernel select_kernel(KernelPath path) {
  if (path == KernelPath::kAuto) {
    if (kernel_path_available(KernelPath::kAvx512)) return run_block_avx512;
    if (kernel_path_available(KernelPath::kAvx2)) return run_block_avx2;
    return run_block_generic;
  }
  switch (path) {
    case KernelPath::kAvx512: return run_block_avx512;
    case KernelPath::kAvx2: return run_block_avx2;
    default: return run_block_generic;
  }
}

}  // namespace

bool kernel_path_available(KernelPath path) {
  switch (path) {
    case KernelPath::kAvx512: return __builtin_cpu_supports("avx512f");
    case KernelPath::kAvx2: return __builtin_cpu_supports("avx2");
    default: return true;
  }
}

double closing_residual(const ConicPoints& c, int N3, const StepRotation& R) {
  double x = c.x[N3 + 1], y = c.y[N3 + 1], z = 0.0;
  for (int t = 0; t < N3; ++t) R.apply(x, y, z);
  return y;
}

void build_ring_chains(const ConicPoints& c, int N3, const StepRotation& R, RingStateRows out, KernelPath path) {
  BlockJob job{&c, N3, R, out};
  BlockKernel kernel = select_kernel(path);
  const int blocks = (N3 + kBlockChains - 1) / kBlockChains;
  // Longest chains first, handed out one block at a time, so both cores finish together.
#pragma omp parallel for schedule(dynamic, 1)
  for (int i = 0; i < blocks; ++i) {
    int block = blocks - 1 - i;
    kernel(job, 3 + block * kBlockChains);
  }
}

}  // namespace korvane2
