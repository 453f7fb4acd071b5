// Rotation chain kernels. A block holds 2·L chains of consecutive columns (L the lanes
// of the vector type of the instruction set), positions and velocities side by side:
// four independent vectors per component, kept in registers. All lanes are turned
// together the length of the shortest chain, then once more per further lane, each lane
// being stored when its chain is complete. Every lane performs exactly the scalar
// operations of the step rotation, so neither the vector width, nor the block size, nor
// the distribution of blocks over threads can change a bit of the result.
#include "rings/rotation_chains.hpp"

#include <omp.h>

#include <algorithm>
#include <cstring>

namespace korvane2 {

namespace {

typedef double v2d __attribute__((vector_size(16)));
typedef double v4d __attribute__((vector_size(32)));
typedef double v8d __attribute__((vector_size(64)));

struct BlockJob {
  const ConicPoints* c;
  int N3;
  StepRotation R;
  RingStateRows out;
};

template <typename V>
struct Block {
  static constexpr int kLanes = sizeof(V) / sizeof(double);
  static constexpr int kChains = 2 * kLanes;  // chains of one row
  // Vectors 0,1: positions of the chains; vectors 2,3: their velocities.
  V x[4], y[4], z[4];

  static double get(const V* v, int row, int chain) { return v[row * 2 + chain / kLanes][chain % kLanes]; }
  static void set(V* v, int row, int chain, double value) { v[row * 2 + chain / kLanes][chain % kLanes] = value; }
};

template <typename V>
inline __attribute__((always_inline)) void turn_block(Block<V>& b, const StepRotation& R, long times) {
  V x0 = b.x[0], x1 = b.x[1], x2 = b.x[2], x3 = b.x[3];
  V y0 = b.y[0], y1 = b.y[1], y2 = b.y[2], y3 = b.y[3];
  V z0 = b.z[0], z1 = b.z[1], z2 = b.z[2], z3 = b.z[3];
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

template <typename V>
void store_lane(const Block<V>& b, const BlockJob& job, int column, int chain) {
  for (int row = 0; row < 2; ++row) {
    job.out.x[row][column] = Block<V>::get(b.x, row, chain);
    job.out.y[row][column] = Block<V>::get(b.y, row, chain);
    job.out.z[row][column] = Block<V>::get(b.z, row, chain);
  }
}

// Block of columns c0 .. c0 + kChains - 1 (those up to N3+2): column c starts from
// conic point c-1 and is turned c-2 times.
template <typename V>
inline __attribute__((always_inline)) void run_block(const BlockJob& job, int c0) {
  using B = Block<V>;
  const ConicPoints& c = *job.c;
  const int last = job.N3 + 2;
  B b;
  std::memset(&b, 0, sizeof b);
  for (int chain = 0; chain < B::kChains && c0 + chain <= last; ++chain) {
    const int column = c0 + chain;
    B::set(b.x, 0, chain, c.x[column - 1]);
    B::set(b.y, 0, chain, c.y[column - 1]);
    B::set(b.x, 1, chain, c.vx[column - 1]);
    B::set(b.y, 1, chain, c.vy[column - 1]);
  }
  turn_block(b, job.R, c0 - 2);
  store_lane(b, job, c0, 0);
  for (int chain = 1; chain < B::kChains && c0 + chain <= last; ++chain) {
    turn_block(b, job.R, 1);
    store_lane(b, job, c0 + chain, chain);
  }
}

struct Kernel {
  void (*run)(const BlockJob&, int);
  int chainsPerBlock;
};

void run_block_generic(const BlockJob& job, int c0) { run_block<v2d>(job, c0); }
__attribute__((target("avx2"))) void run_block_avx2(const BlockJob& job, int c0) { run_block<v4d>(job, c0); }
__attribute__((target("avx512f"))) void run_block_avx512(const BlockJob& job, int c0) { run_block<v8d>(job, c0); }

Kernel kernel_for(KernelPath path) {
  if (path == KernelPath::kAuto) {
    if (kernel_path_available(KernelPath::kAvx512)) path = KernelPath::kAvx512;
    else if (kernel_path_available(KernelPath::kAvx2)) path = KernelPath::kAvx2;
    else path = KernelPath::kGeneric;
  }
  switch (path) {
    case KernelPath::kAvx512: return {run_block_avx512, Block<v8d>::kChains};
    case KernelPath::kAvx2: return {run_block_avx2, Block<v4d>::kChains};
    default: return {run_block_generic, Block<v2d>::kChains};
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

std::int64_t ring_chain_turns(int N3) { return static_cast<std::int64_t>(N3) * (N3 + 1) / 2; }

void build_ring_chains(const ConicPoints& c, int N3, const StepRotation& R, RingStateRows out, KernelPath path,
                       textio::ProgressLine* progress) {
  BlockJob job{&c, N3, R, out};
  const Kernel kernel = kernel_for(path);
  const int blocks = (N3 + kernel.chainsPerBlock - 1) / kernel.chainsPerBlock;
  // Longest chains first, handed out one block at a time, so both cores finish together;
  // a ring of one block keeps to the calling thread.
#pragma omp parallel for schedule(dynamic, 1) if (blocks > 1)
  for (int i = 0; i < blocks; ++i) {
    const int block = blocks - 1 - i;
    const int c0 = 3 + block * kernel.chainsPerBlock;
    kernel.run(job, c0);
    if (!progress) continue;
    // Column c takes c - 2 turns.
    const int c1 = std::min(c0 + kernel.chainsPerBlock - 1, N3 + 2);
    progress->advance(static_cast<std::int64_t>(c1 - c0 + 1) * (c0 + c1 - 4) / 2);
    // The main thread draws the line, between blocks, never inside a write of a file.
    if (omp_get_thread_num() == 0) progress->show_if_due();
  }
}

}  // namespace korvane2
