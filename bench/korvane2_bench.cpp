// Benchmarks of the kernels that decide the run time of a large ring: the rotation
// chains of the final build, the closing residual, the distance search, the double-to-
// text conversion and the free-format writer, the searches for bodies at the same place
// and overlapping bodies, and the whole ring construction against the literal
// step-by-step algorithm.
#include <benchmark/benchmark.h>
#include <omp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "driver/run_state.hpp"
#include "rings/literal_ring.hpp"
#include "rings/literal_ring_table.hpp"
#include "rings/ring_table_records.hpp"
#include "support/parameter_file.hpp"
#include "support/program_run.hpp"
#include "support/structure_setup.hpp"
#include "rings/ring_distances.hpp"
#include "rings/ring_iteration.hpp"
#include "rings/ring_placement.hpp"
#include "rings/ring_quantities.hpp"
#include "rings/rotation_chains.hpp"
#include "textio/double_text.hpp"
#include "structure/body_pairs.hpp"
#include "structure/structure_frame.hpp"
#include "structure/structure_units.hpp"
#include "structure/structure_warnings.hpp"
#include "textio/free_format_writer.hpp"

namespace korvane2 {
namespace {

// A ring of N3 bodies that converges in a few steps (N3 = 12 converges at step 6).
RunState ring_state(int n3) {
  testing::StructureParameters p;
  p.N30 = n3;
  p.Fcen = 0.999;
  return testing::first_ring_state(p);
}

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_RingChains(benchmark::State& state) {
  const int n3 = static_cast<int>(state.range(0));
  const auto path = static_cast<KernelPath>(state.range(1));
  if (!kernel_path_available(path)) {
    state.SkipWithError("kernel path not available on this processor");
    return;
  }
  RunState s = ring_state(n3);
  ConicPoints c;
  compute_conic_points(n3, s.Delta, s.Qe, s.Rper, s.Vper, c);
  StepRotation R{std::cos(0.95 * s.Delta), std::sin(0.95 * s.Delta), std::cos(0.3 * s.Delta), std::sin(0.3 * s.Delta)};
  for (RowPair* a : {&s.Xr, &s.Yr, &s.Zr}) a->resize(static_cast<std::size_t>(n3) + 2);
  RingStateRows out{{s.Xr.row[0].data(), s.Xr.row[1].data()},
                    {s.Yr.row[0].data(), s.Yr.row[1].data()},
                    {s.Zr.row[0].data(), s.Zr.row[1].data()}};
  for (auto _ : state) {
    build_ring_chains(c, n3, R, out, path);
    benchmark::DoNotOptimize(s.Xr.row[0].data());
  }
  // N3 (N3 + 1) / 2 rotations per row, two rows.
  const double rotations = static_cast<double>(n3) * (n3 + 1);
  state.counters["rotations/s"] = benchmark::Counter(rotations, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RingChains)
    ->ArgsProduct({{3000, 10000, 30000}, {static_cast<int>(KernelPath::kGeneric), static_cast<int>(KernelPath::kAvx2),
                                           static_cast<int>(KernelPath::kAvx512)}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ClosingResidual(benchmark::State& state) {
  const int n3 = static_cast<int>(state.range(0));
  RunState s = ring_state(n3);
  ConicPoints c;
  compute_conic_points(n3, s.Delta, s.Qe, s.Rper, s.Vper, c);
  StepRotation R{std::cos(0.95 * s.Delta), std::sin(0.95 * s.Delta), std::cos(0.3 * s.Delta), std::sin(0.3 * s.Delta)};
  for (auto _ : state) benchmark::DoNotOptimize(closing_residual(c, n3, R));
  state.counters["rotations/s"] = benchmark::Counter(n3, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ClosingResidual)->Arg(30000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_ClosestPair(benchmark::State& state) {
  const int n3 = static_cast<int>(state.range(0));
  RunState s = ring_state(n3);
  iterate_ring(s);
  for (auto _ : state)
    benchmark::DoNotOptimize(closest_pair(s.Xr.row[0].data(), s.Yr.row[0].data(), s.Zr.row[0].data(), 2, n3 + 1));
  state.counters["bodies/s"] = benchmark::Counter(n3, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ClosestPair)->Arg(3000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LiteralDistanceLoop(benchmark::State& state) {
  const int n3 = static_cast<int>(state.range(0));
  RunState s = ring_state(n3);
  iterate_ring(s);
  for (auto _ : state) {
    literal::DistanceState st;
    literal::ring_distances(s.Xr.row[0].data(), s.Yr.row[0].data(), s.Zr.row[0].data(), n3, 1, st);
    benchmark::DoNotOptimize(st);
  }
}
BENCHMARK(BM_LiteralDistanceLoop)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond);

std::vector<double> sample_doubles() {
  std::mt19937_64 rng(12345);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-30, 30);
  std::vector<double> v(4096);
  for (double& d : v) d = std::ldexp(mantissa(rng), exponent(rng));
  return v;
}

void BM_FreeFormatDoubleText(benchmark::State& state) {
  std::vector<double> v = sample_doubles();
  char buf[32];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(textio::format_free_double(v[i++ & 4095], buf));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FreeFormatDoubleText);

// A sink that only counts bytes, so the writer alone is measured.
class CountingSink final : public textio::LineSink {
 public:
  void put_line(std::string_view line) override { bytes += line.size() + 2; }
  std::size_t bytes = 0;
};

void BM_BodyRecords(benchmark::State& state) {
  const int bodies = static_cast<int>(state.range(0));
  std::vector<double> v = sample_doubles();
  CountingSink sink;
  textio::FreeFormatWriter w(sink);
  for (auto _ : state) {
    std::size_t i = 0;
    for (int j = 0; j < bodies; ++j) {
      w.begin_record();
      for (int k = 0; k < 15; ++k) w.put_double(v[i++ & 4095]);
      w.end_record();
    }
  }
  benchmark::DoNotOptimize(sink.bytes);
  state.counters["doubles/s"] = benchmark::Counter(15.0 * bodies, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BodyRecords)->Arg(30001)->Unit(benchmark::kMillisecond);

// One ring of N3 bodies built, placed and brought into the final frame with bodies of
// the given density (kg/m3), as the structure warnings see it.
RunState final_frame(int n3, double Rho) {
  RunState s = ring_state(n3);
  s.Rho = Rho;
  iterate_ring(s);
  place_ring(s, 1);
  convert_to_structure_units(s);
  bring_into_frame(s);
  return s;
}

// Both searches of the structure warnings: at density 2000 the benchmark rings have no
// pair to report; at 1e-20 every pair overlaps and the overlap count stops at its limit.
void BM_StructurePairs(benchmark::State& state) {
  const int n3 = static_cast<int>(state.range(0));
  const double Rho = state.range(1) == 0 ? 2000.0 : 1e-20;
  const RunState s = final_frame(n3, Rho);
  const BodyPlaces bodies{s.Xs, s.Mb, s.Rad, s.NB};
  std::int64_t found = 0;
  for (auto _ : state) {
    found = find_same_place_pairs(bodies).count;
    found += find_overlapping_pairs(bodies, kOverlapCountLimit).count;
    benchmark::DoNotOptimize(found);
  }
  state.counters["pairs"] = static_cast<double>(found);
}
BENCHMARK(BM_StructurePairs)
    ->Args({30000, 0})
    ->Args({100000, 0})
    ->Args({30000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The ring construction of the program (iteration and distances) against the literal
// algorithm on the same ring: the literal one is run once, the program's (after a warm-up
// that starts the thread pool) several times, its best time counted; the ratio is the
// speed-up.
void BM_RingFastVersusLiteral(benchmark::State& state) {
  const int n3 = static_cast<int>(state.range(0));
  constexpr int kFastRuns = 5;
  double literalSeconds = 0.0, fastSeconds = 0.0;
  int steps = 0;
  for (auto _ : state) {
    const RunState start = ring_state(n3);
    auto t0 = std::chrono::steady_clock::now();
    literal::RingIterationResult lit = literal::iterate_ring(literal::iteration_input(start));
    literal::DistanceState st = literal::distance_state(start);
    literal::ring_distances(lit.Xr.row[0].data(), lit.Yr.row[0].data(), lit.Zr.row[0].data(), n3, 1, st);
    literalSeconds = seconds_since(t0);

    fastSeconds = 1e99;
    for (int run = 0; run <= kFastRuns; ++run) {
      RunState s = start;
      t0 = std::chrono::steady_clock::now();
      iterate_ring(s);
      measure_ring_distances(s, 1);
      if (run > 0) fastSeconds = std::min(fastSeconds, seconds_since(t0));
      steps = s.I1m;
      if (std::memcmp(lit.Yr.row[0].data(), s.Yr.row[0].data(), sizeof(double) * (n3 + 3)) != 0 ||
          st.Rmin != s.Rmin || st.imin != s.imin || st.jmin != s.jmin)
        state.SkipWithError("the fast ring differs from the literal one");
    }
  }
  state.counters["steps"] = steps;
  state.counters["literal_s"] = literalSeconds;
  state.counters["fast_s"] = fastSeconds;
  state.counters["speedup"] = literalSeconds / fastSeconds;
}
BENCHMARK(BM_RingFastVersusLiteral)->Arg(3000)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// A ring table of `records` records laid out as a ring summary (two lines a record).
std::string summary_table(int records) {
  std::string table;
  char line[128];
  for (int i = 1; i <= records; ++i) {
    std::snprintf(line, sizeof line, "%12d%12d%24.15E%24.15E\r\n%24.15E%24.15E\r\n", i, 3 + i % 5, 0.95 - 1e-6 * i, 0.3,
                  1.5e11 * (1.0 + 1e-4 * i), 1.7e26);
    table += line;
  }
  return table;
}

// The ring table's reads for rings 1..N over a table of N records: the one reading with
// its replay, and the re-reading from the top for every ring.
void BM_RingTableReplay(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string table = summary_table(n);
  for (auto _ : state) {
    RingTableRecords records(std::make_unique<textio::MemorySource>(table));
    RunState s;
    bool open = false;
    for (int Iring = 1; Iring <= n; ++Iring) open = records.replay(open, Iring, s).failed != nullptr;
    benchmark::DoNotOptimize(s.okf);
  }
}
BENCHMARK(BM_RingTableReplay)->Arg(2000)->Arg(5000)->Arg(30000)->Unit(benchmark::kMillisecond);

void BM_RingTableRereading(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string table = summary_table(n);
  for (auto _ : state) {
    literal::RingTableRereading rereading(table);
    literal::TableVariables v;
    for (int Iring = 1; Iring <= n; ++Iring) rereading.read_ring(Iring, v);
    benchmark::DoNotOptimize(v.okf);
  }
}
BENCHMARK(BM_RingTableRereading)->Arg(2000)->Arg(5000)->Iterations(1)->Unit(benchmark::kSecond);

// Whole runs of NRing rings of 3 bodies, with the ring summary of the same run as the
// ring table (every ring reads its record) and without a table, with one thread or the
// default thread count (each ring's parallel regions then wait for the other thread).
void BM_WholeRunWithSummaryAsTable(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const bool withTable = state.range(1) != 0;
  testing::RunOptions options;
  if (state.range(2) != 0) options.env["OMP_NUM_THREADS"] = std::to_string(state.range(2));
  testing::TempDir dir;
  testing::ParameterFile p;
  p.set(1, std::to_string(n)).set(2, "3").set(7, "1.0D-4");
  dir.write("Korvane2.dat", p.text());
  if (withTable) {
    if (testing::run_korvane2(dir, options).status != 0) {
      state.SkipWithError("the run that writes the summary failed");
      return;
    }
    dir.write("rngtbinp.dat", dir.read("rngtbout.dat"));
  }
  for (auto _ : state) {
    const testing::ProgramResult r = testing::run_korvane2(dir, options);
    if (r.status != 0) state.SkipWithError(r.err.c_str());
  }
}
BENCHMARK(BM_WholeRunWithSummaryAsTable)
    ->ArgNames({"NRing", "table", "threads"})
    ->ArgsProduct({{2000, 5000}, {0, 1}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace korvane2

BENCHMARK_MAIN();
