// Closing section of the report file, eleven free-format records on unit 3.
#include "output/structure_report.hpp"

#include "driver/parameter_echo.hpp"
#include "driver/text12.hpp"
#include "textio/free_format_writer.hpp"
#include "textio/units.hpp"

namespace korvane2 {

namespace {

constexpr int kReportUnit = 3;

void text_record(textio::FreeFormatWriter& w, std::string_view text) {
  w.begin_record();
  w.put_text(text);
  w.end_record();
}

template <typename Triple>
void triple_record(textio::FreeFormatWriter& w, const Triple& v) {
  w.begin_record();
  for (double d : v) w.put_double(d);
  w.end_record();
}

}  // namespace

void write_structure_report(const RunState& s) {
  textio::FreeFormatWriter w(*textio::units().unit(kReportUnit));
  text_record(w, "******  Parameters of all structure   ******");

  w.begin_record();
  w.put_text("The minimal distance between bodies ");
  w.put_integer(s.iRminn);
  w.put_text(" and ");
  w.put_integer(s.jRminn);
  w.put_text(" Rminn = ");
  w.put_double(s.Rminn);
  w.put_text(" is in ");
  w.put_integer(s.ringRminn);
  w.put_text(" ring.");
  w.end_record();

  text_record(w, "Coordinates and velocities of the system baricentre");
  triple_record(w, s.Xbar);
  triple_record(w, s.Vbar);
  text_record(w, "Initial undimensional coordinates and velocities");
  text_record(w, "             of the 1-st body");
  triple_record(w, s.Xu.v[2]);
  triple_record(w, s.Vu.v[2]);

  w.begin_record();
  w.put_text("Initial data in file ");
  w.put_text(view(s.fnPar));
  w.end_record();

  w.begin_record();
  put_parameter_values(w, s, ItabInEcho::kIncluded);
  w.end_record();

  textio::units().close_unit(kReportUnit);
}

}  // namespace korvane2
