// Ring report section: header, the warning after 20 steps, the optional table of ring
// states in edited rows, period, distances and iteration result; then the summary
// record, which has the layout of a ring-table record.
#include "rings/ring_reports.hpp"

#include "textio/edited_row.hpp"
#include "textio/free_format_writer.hpp"
#include "textio/units.hpp"

namespace korvane2 {

namespace {

constexpr int kReportUnit = 3;
constexpr int kSummaryUnit = 6;

void write_state_table(textio::LineSink& out, const RunState& s) {
  for (int i = 1; i <= s.N3 + 2; ++i)
    for (int j = 1; j <= 2; ++j) textio::write_edited_row(out, i, s.Xr(j, i), s.Yr(j, i), s.Zr(j, i));
}

}  // namespace

void write_ring_reports(const RunState& s, int Iring) {
  textio::Unit& report = *textio::units().unit(kReportUnit);
  textio::FreeFormatWriter w(report);

  w.begin_record();
  w.put_text("******  Parameters of ");
  w.put_integer(Iring);
  w.put_text(" ring   ******");
  w.end_record();

  if (s.I1m == 20) {
    w.begin_record();
    w.put_text("On 20th step error EPS is no received");
    w.end_record();
  }
  if (s.Itab != 0) write_state_table(report, s);

  w.begin_record();
  w.put_text("Period in sideral years = ");
  w.put_double(s.Tyear);
  w.put_text(" and N3 = ");
  w.put_integer(s.N3);
  w.end_record();

  w.begin_record();
  w.put_text("Distance between bodies 2 and 3");
  w.put_double(s.d23);
  w.end_record();

  w.begin_record();
  w.put_text("Minimal distance between bodies ");
  w.put_integer(s.imin);
  w.put_text(" and ");
  w.put_integer(s.jmin);
  w.put_text(" ");
  w.put_double(s.Rmin);
  w.end_record();

  w.begin_record();
  w.put_text("Last step of itrrtn I1m");
  w.put_integer(s.I1m);
  w.put_text(" and coef-ts okf,okf1");
  w.put_double(s.okf);
  w.put_double(s.okf1);
  w.end_record();

  textio::FreeFormatWriter summary(*textio::units().unit(kSummaryUnit));
  summary.begin_record();
  summary.put_integer(Iring);
  summary.put_integer(s.N3);
  summary.put_double(s.okf);
  summary.put_double(s.Ctilt);
  summary.put_double(s.Rring);
  summary.put_double(s.Mbr);
  summary.end_record();
}

}  // namespace korvane2
