// Input error report: "*01KV Error reading file Korvane2.dat *** " and the parameter
// values (Itab left out), written twice as one free-format record.
#include "driver/input_error_report.hpp"

#include "driver/parameter_echo.hpp"
#include "driver/text12.hpp"
#include "textio/free_format_writer.hpp"
#include "textio/units.hpp"

namespace korvane2 {

namespace {

constexpr int kReportUnit = 3;

void write_echo(textio::LineSink& sink, const RunState& s) {
  textio::FreeFormatWriter w(sink);
  w.begin_record();
  w.put_text("*01KV Error reading file Korvane2.dat *** ");
  put_parameter_values(w, s, ItabInEcho::kLeftOut);
  w.end_record();
}

}  // namespace

void write_input_error_report(const RunState& s) {
  auto& table = textio::units();
  write_echo(table.console(), s);
  table.open_unit(kReportUnit, textio::trim_name(view(s.fnErr)), textio::OpenStatus::kNone, false);
  write_echo(*table.unit(kReportUnit), s);
  table.close_unit(kReportUnit);
}

}  // namespace korvane2
