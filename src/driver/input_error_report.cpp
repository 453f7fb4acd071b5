// Input error report: "*01KV Error reading file Korvane2.dat *** " and the parameter
// values (Itab left out), written twice as one free-format record.
#include "driver/input_error_report.hpp"

#include <unistd.h>

#include <string>

#include "driver/parameter_echo.hpp"
#include "driver/text12.hpp"
#include "textio/free_format_writer.hpp"
#include "textio/read_status.hpp"
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

// Shows a field's characters with control bytes escaped, so the line stays one line.
std::string printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 32 && c < 127) {
      out.push_back(static_cast<char>(c));
    } else {
      static const char hex[] = "0123456789ABCDEF";
      out += "\\x";
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    }
  }
  return out;
}

void write_diagnostic(const ParameterReadFailure& f) {
  std::string line = "korvane2: Korvane2.dat line " + std::to_string(f.line) + " (" + parameter_name(f.line) +
                     ", columns " + std::to_string(f.firstColumn) + "-" + std::to_string(f.lastColumn) + ")";
  if (f.status == textio::kReadEndOfFile && f.fieldText.empty()) {
    line += ": end of file, the parameter file has only " + std::to_string(f.line - 1) + " of its 18 lines";
  } else {
    line += ": field \"" + printable(f.fieldText) + "\": " + textio::read_status_text(f.status);
  }
  line += "\n";
  textio::write_all(STDERR_FILENO, line.data(), line.size());
}

}  // namespace

void write_input_error_report(const RunState& s, const ParameterReadFailure& failure) {
  auto& table = textio::units();
  write_echo(table.console(), s);
  table.open_unit(kReportUnit, textio::trim_name(view(s.fnErr)), textio::OpenStatus::kNone, false);
  write_echo(*table.unit(kReportUnit), s);
  table.close_unit(kReportUnit);
  write_diagnostic(failure);
}

}  // namespace korvane2
