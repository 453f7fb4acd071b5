// Initial-data file: header (momentum, angular momentum, fixed values, NB, Ncub), the
// body records (mass, barycentric position and velocity, six zeros, radius, zero) and
// the trailer (Ntail, NB, the mass, length and velocity units, ten zeros).
#include "output/initial_data_file.hpp"

#include <algorithm>
#include <new>
#include <vector>

#include <omp.h>

#include "textio/free_format_writer.hpp"
#include "textio/record_buffer.hpp"
#include "textio/units.hpp"

namespace korvane2 {

namespace {

constexpr int kInitialDataUnit = 5;
// Body records are laid out in parallel, a batch at a time, and written in their order;
// a record's lines depend only on its item kinds, so the bytes are those of one writer.
constexpr int kBodiesPerBatch = 8192;

void write_header(textio::FreeFormatWriter& w, const RunState& s) {
  w.begin_record();
  const double zero = s.Zero;
  for (double v : {zero, s.Mmax, zero, zero, s.Vbar[0], s.Vbar[1], s.Vbar[2], s.Amom[0], s.Amom[1], s.Amom[2],
                   zero, zero, zero, zero, zero, zero, s.Phead})
    w.put_double(v);
  w.put_integer(1);
  w.put_integer(1);
  w.put_integer(s.NB);
  w.put_double(s.Hd1);
  w.put_double(s.Hd2);
  w.put_double(s.Hd3);
  w.put_integer(s.Ncub);
  w.end_record();
}

void write_body(textio::FreeFormatWriter& w, const RunState& s, int j) {
  const double zero = s.Zero;
  w.begin_record();
  for (double v : {s.Mb[j], s.Xs(j, 1), s.Xs(j, 2), s.Xs(j, 3), s.Vs(j, 1), s.Vs(j, 2), s.Vs(j, 3), zero, zero,
                   zero, zero, zero, zero, s.Rad[j], zero})
    w.put_double(v);
  w.end_record();
}

void write_bodies(textio::Unit& unit, const RunState& s) {
  const int threads = std::max(1, omp_get_max_threads());
  std::vector<textio::RecordBuffer> parts(static_cast<std::size_t>(threads));
  for (int first = s.Ibeg; first <= s.NB; first += kBodiesPerBatch) {
    const int last = std::min(s.NB, first + kBodiesPerBatch - 1);
    const int count = last - first + 1;
    // Memory running out while a part grows is carried out of the parallel region as a
    // flag, since no exception may leave it.
    bool outOfMemory = false;
#pragma omp parallel for schedule(static, 1) num_threads(threads) reduction(|| : outOfMemory)
    for (int part = 0; part < threads; ++part) {
      try {
        textio::RecordBuffer& buffer = parts[static_cast<std::size_t>(part)];
        buffer.clear();
        textio::FreeFormatWriter w(buffer);
        const int begin = first + static_cast<int>(static_cast<long>(count) * part / threads);
        const int end = first + static_cast<int>(static_cast<long>(count) * (part + 1) / threads);
        for (int j = begin; j < end; ++j) write_body(w, s, j);
      } catch (const std::bad_alloc&) {
        outOfMemory = true;
      }
    }
    if (outOfMemory) throw std::bad_alloc();
    for (const auto& buffer : parts) unit.write_bytes(buffer.bytes().data(), buffer.bytes().size());
  }
}

void write_trailer(textio::FreeFormatWriter& w, const RunState& s) {
  w.begin_record();
  w.put_integer(s.Ntail);
  w.put_integer(s.NB);
  w.put_double(s.Mtot);
  w.put_double(s.Runit);
  w.put_double(s.Vfac);
  for (int k = 0; k < 10; ++k) w.put_integer(0);
  w.end_record();
}

}  // namespace

void write_initial_data_file(const RunState& s, const std::string& name) {
  auto& table = textio::units();
  // Written through a temporary file: an earlier initial-data file of the same name is
  // replaced only by a complete one.
  table.open_unit(kInitialDataUnit, name, textio::OpenStatus::kNone, false, true);
  textio::Unit& unit = *table.unit(kInitialDataUnit);
  textio::FreeFormatWriter w(unit);
  write_header(w, s);
  write_bodies(unit, s);
  write_trailer(w, s);
  table.close_unit(kInitialDataUnit);
}

}  // namespace korvane2
