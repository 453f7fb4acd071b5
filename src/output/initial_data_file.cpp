// Initial-data file: header (momentum, angular momentum, fixed values, NB, Ncub), the
// body records (mass, barycentric position and velocity, six zeros, radius, zero) and
// the trailer (Ntail, NB, the mass, length and velocity units, ten zeros).
#include "output/initial_data_file.hpp"

#include "textio/free_format_writer.hpp"
#include "textio/units.hpp"

namespace korvane2 {

namespace {

constexpr int kInitialDataUnit = 5;

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
  textio::FreeFormatWriter w(*table.unit(kInitialDataUnit));
  write_header(w, s);
  for (int j = s.Ibeg; j <= s.NB; ++j) write_body(w, s, j);
  write_trailer(w, s);
  table.close_unit(kInitialDataUnit);
}

}  // namespace korvane2
