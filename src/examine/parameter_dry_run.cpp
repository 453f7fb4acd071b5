// The dry run reads the parameter file line by line for each field's text and with the
// parameter phase itself for the values, then runs the ring start and quantities only.
#include "examine/parameter_dry_run.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <sstream>
#include <vector>

#include "driver/parameter_checks.hpp"
#include "driver/parameters.hpp"
#include "driver/run_state.hpp"
#include "driver/text12.hpp"
#include "examine/fault_prediction.hpp"
#include "examine/hand_edit_warnings.hpp"
#include "examine/physical_constants.hpp"
#include "examine/text_format.hpp"
#include "rings/ring_quantities.hpp"
#include "rings/ring_table.hpp"
#include "structure/structure_frame.hpp"
#include "structure/structure_units.hpp"
#include "textio/char_source.hpp"
#include "textio/read_status.hpp"
#include "textio/units.hpp"

namespace korvane2::examine {

namespace {

using textio::FixedLayout;

constexpr int kLines = 18;
constexpr FixedLayout I = FixedLayout::kInteger12, D = FixedLayout::kDouble11_5, A = FixedLayout::kText12;
// The layout of every line of the parameter file, in file order.
constexpr FixedLayout kLayouts[kLines] = {I, I, D, D, D, D, D, D, D, D, D, I, I, D, D, D, A, I};
constexpr std::size_t kNameLength = 12;

// What the fixed-column reader took from one line.
struct LineReading {
  int status = 0;
  std::string fieldText;
  std::int32_t integer = 0;
  double real = 0.0;
  Text12 text{};
};

std::vector<LineReading> read_lines(std::string_view bytes) {
  std::vector<LineReading> lines;
  textio::MemorySource src(bytes);
  for (int line = 1; line <= kLines; ++line) {
    LineReading r;
    textio::FixedColumnReader reader;
    const FixedLayout layout = kLayouts[line - 1];
    r.status = reader.begin_read(src, layout);
    if (r.status == 0) {
      if (layout == I) r.status = reader.read_integer(r.integer);
      if (layout == D) r.status = reader.read_double(r.real);
      if (layout == A) r.status = reader.read_text(r.text);
    }
    r.fieldText = reader.field_text();
    if (r.status == 0) r.status = reader.end_read();
    lines.push_back(r);
    if (r.status != 0) break;
  }
  return lines;
}

std::vector<std::string_view> split_lines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < bytes.size() && lines.size() < static_cast<std::size_t>(kLines)) {
    std::size_t lf = bytes.find('\n', start);
    if (lf == std::string_view::npos) lf = bytes.size();
    lines.push_back(bytes.substr(start, lf - start));
    start = lf + 1;
  }
  return lines;
}

// The parameter of a line as the parameter phase stored it.
std::string stored_value(const RunState& s, int line) {
  switch (line) {
    case 1: return std::to_string(s.NRing);
    case 2: return std::to_string(s.N30);
    case 3: return exact_real(s.Mstr);
    case 4: return exact_real(s.Fcen);
    case 5: return exact_real(s.R1au);
    case 6: return exact_real(s.Ecc);
    case 7: return exact_real(s.dRr);
    case 8: return exact_real(s.FN3);
    case 9: return exact_real(s.okf0);
    case 10: return exact_real(s.Ctilt);
    case 11: return exact_real(s.EPS);
    case 12: return std::to_string(s.Irot);
    case 13: return std::to_string(s.Itab);
    case 14: return exact_real(s.Incl);
    case 15: return exact_real(s.Rho);
    case 16: return exact_real(s.Phead);
    case 17: return in_quotes(view(s.fnIni));
    case 18: return std::to_string(s.Ntail);
  }
  return {};
}

std::string read_value(const LineReading& r, FixedLayout layout) {
  if (layout == I) return std::to_string(r.integer);
  if (layout == D) return exact_real(r.real);
  return in_quotes(std::string_view(r.text.data(), r.text.size()));
}

// Runs in the parameter file's directory for as long as it lives, as a run would.
class RunDirectory {
 public:
  explicit RunDirectory(const std::filesystem::path& dir) {
    if (dir.empty()) return;
    saved_ = ::open(".", O_RDONLY | O_DIRECTORY);
    ok_ = saved_ >= 0 && ::chdir(dir.c_str()) == 0;
  }
  ~RunDirectory() {
    if (saved_ < 0) return;
    // Back to where the inspector started; if that directory has gone, there is nowhere
    // else to go.
    const int back = ::fchdir(saved_);
    static_cast<void>(back);
    ::close(saved_);
  }
  RunDirectory(const RunDirectory&) = delete;
  RunDirectory& operator=(const RunDirectory&) = delete;
  bool ok() const { return ok_; }

 private:
  int saved_ = -1;
  bool ok_ = true;
};

// Ends the unit table's use by the dry run whichever way it ends.
struct UnitsClosed {
  ~UnitsClosed() { textio::units().end_run(true); }
};

const double kNotRead = std::bit_cast<double>(std::uint64_t{0x7ff8dead5eed0000});

bool not_read(double v) { return std::bit_cast<std::uint64_t>(v) == std::bit_cast<std::uint64_t>(kNotRead); }

// The stages of the computations a dry run foretells the faults of: ring Iring's start,
// table record and quantities are stage Iring, the structure units stage NRing + 1, the
// frame with the radii stage NRing + 2.
int units_stage(const RunState& s) { return s.NRing + 1; }

// What a run computes besides the iteration and what hangs on its positions: every
// ring's start, table record and quantities, then the structure units and the frame with
// the bodies' radii, on a stand-in structure of the central body and one body of each
// ring at the origin (the units and the radii depend on the masses only).
void compute_without_iteration(RunState& s, int& stage) {
  std::vector<double> ringMasses;
  for (int Iring = 1; Iring <= s.NRing; ++Iring) {
    stage = Iring;
    start_ring(s, Iring);
    read_ring_table(s, Iring);
    compute_ring_quantities(s, Iring);
    ringMasses.push_back(s.Mbr);
  }
  s.NB = s.NRing + 1;
  for (std::vector<double>* a : {&s.Mb, &s.Xb, &s.Yb, &s.Zb, &s.VXb, &s.VYb, &s.VZb})
    a->assign(static_cast<std::size_t>(s.NB) + 1, 0.0);
  std::copy(ringMasses.begin(), ringMasses.end(), s.Mb.begin() + 2);
  stage = units_stage(s);
  convert_to_structure_units(s);
  stage = units_stage(s) + 1;
  bring_into_frame(s);
}

std::string indented(const std::string& report) {
  std::string text;
  std::size_t start = 0;
  while (start < report.size()) {
    std::size_t end = report.find('\n', start);
    if (end == std::string::npos) end = report.size();
    text += "    " + report.substr(start, end - start) + "\n";
    start = end + 1;
  }
  return text;
}

// The rings as start_ring, read_ring_table and compute_ring_quantities leave them, up to
// the ring whose quantities a run stops at.
int show_rings(RunState& s, std::ostream& out, bool tableExists, const FaultPrediction& fault) {
  out << section(tableExists ? "Rings as a run will build them (with the ring table rngtbinp.dat)"
                             : "Rings as a run will build them (no ring table rngtbinp.dat: all from the parameter file)");
  const char* const titles[] = {"ring", "bodies", "semi-major axis (m)", "(AU)", "body mass (kg)", "okf (start)",
                                 "Ctilt", "period (years)"};
  const int widths[] = {4, 8, 24, 10, 24, 20, 20, 15};
  auto row = [&](const std::vector<std::string>& cells) {
    std::string line = " ";
    for (std::size_t c = 0; c < cells.size(); ++c) line += format(" %*s", widths[c], cells[c].c_str());
    while (line.back() == ' ') line.pop_back();
    return line + "\n";
  };
  out << row(std::vector<std::string>(std::begin(titles), std::end(titles)));
  bool ctiltFromTable = false, mbrFromTable = false;
  const int faultRing = fault.faulted && fault.stage <= s.NRing ? fault.stage : 0;
  std::string counts;
  for (int Iring = 1; Iring <= s.NRing; ++Iring) {
    out.flush();
    if (Iring == faultRing) {
      out << format("A run stops at ring %d: its quantities divide by zero, overflow or take an invalid operation, "
                    "which ends the run with exit status 1 and the arithmetic fault report\n",
                    Iring)
          << indented(fault.report);
      return 2;
    }
    start_ring(s, Iring);
    const double okf = s.okf, Rring = s.Rring, Ctilt = s.Ctilt, Mbr = s.Mbr;
    s.okf = s.Rring = s.Ctilt = s.Mbr = kNotRead;
    read_ring_table(s, Iring);
    const bool okfTable = !not_read(s.okf), RringTable = !not_read(s.Rring);
    if (!okfTable) s.okf = okf;
    if (!RringTable) s.Rring = Rring;
    if (not_read(s.Ctilt)) s.Ctilt = Ctilt;
    else ctiltFromTable = true;
    if (not_read(s.Mbr)) s.Mbr = Mbr;
    else mbrFromTable = true;
    const bool N3Table = s.ringN3FromTable;
    try {
      compute_ring_quantities(s, Iring);
    } catch (const std::bad_alloc&) {
      out << format("A run stops at ring %d: its arrays need more memory than the machine has, which ends the run "
                    "with exit status 1 and the message that there is not enough memory.\n",
                    Iring);
      return 2;
    }

    auto marked = [](std::string value, bool fromTable) { return value + (fromTable ? "*" : " "); };
    out << row({std::to_string(Iring), marked(std::to_string(s.N3), N3Table),
                marked(exact_real(s.Rring), RringTable), format("%.6g", s.Rring / kAstronomicalUnit) + " ",
                marked(exact_real(s.Mbr), mbrFromTable), marked(exact_real(s.okf), okfTable),
                marked(exact_real(s.Ctilt), ctiltFromTable), format("%.8g", s.Tyear) + " "});
    counts += " + " + std::to_string(s.N3);
  }
  if (tableExists) out << "  * from the ring table rngtbinp.dat; the other values from the parameter file and the ring formulas\n";
  out << report_line("bodies in all", "1" + counts + format(" = %d", s.NB));
  out << report_line("total mass", exact_real(static_cast<double>(s.N3) * s.Mbr + s.Mint) + " kg");
  if (fault.faulted) {
    out << (fault.stage == units_stage(s)
                ? std::string("A run stops when it converts the structure to its units (mass, length and time unit "
                              "from the total mass and the period of ring 1, the density in those units)")
                : std::string("A run stops when it gives the bodies their radii from their masses and the density: "
                              "the density Rho (line 15) must be positive and keep every radius finite"))
        << ", which ends the run with exit status 1 and the arithmetic fault report\n"
        << indented(fault.report);
    return 2;
  }
  if (!fault.available)
    out << "The dry run could not start the process that foretells the arithmetic faults of the rings' quantities, "
           "the units and the radii; a run may still stop with one.\n";
  out << "Not foretold: the ring iteration and everything that depends on the bodies' positions (distances, "
         "barycentre, momentum) are not computed here; an arithmetic fault there (for instance a starting "
         "coefficient okf so large that the iteration overflows) shows only in a run.\n";
  return 0;
}

}  // namespace

int dry_run_parameters(const std::string& path, std::ostream& out, std::ostream& err) {
  if (std::filesystem::is_directory(path)) {
    err << "korvane2-inspect: " << path << " is a directory, not a parameter file\n";
    return 2;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  if (in) content << in.rdbuf();
  if (!in || in.bad()) {
    err << "korvane2-inspect: cannot read the parameter file " << path << ": " << std::strerror(errno) << "\n";
    return 2;
  }
  const std::string bytes = content.str();
  const std::filesystem::path file(path);
  const std::string base = file.filename().string();
  if (base.size() > kNameLength) {
    err << "korvane2-inspect: " << path << ": the program reads its parameter file by a name of at most twelve "
        << "characters (Korvane2.dat); rename or link the file\n";
    return 2;
  }

  const std::vector<LineReading> readings = read_lines(bytes);
  const std::vector<std::string_view> rawLines = split_lines(bytes);

  RunDirectory directory(file.parent_path());
  if (!directory.ok()) {
    err << "korvane2-inspect: cannot enter the directory of " << path << ": " << std::strerror(errno) << "\n";
    return 2;
  }
  UnitsClosed closeUnits;
  auto state = std::make_unique<RunState>();
  RunState& s = *state;
  assign_file_names(s);
  s.fnPar = make_text12(base);

  ParameterReadFailure failure;
  bool complete = false;
  try {
    complete = read_parameters(s, failure);
  } catch (const textio::RunTermination&) {
    err << "korvane2-inspect: the parameter file " << path << " cannot be opened\n";
    return 2;
  }

  out << section("Parameter file " + path + ", as korvane2 reads it");
  out << format("  %4s  %-6s %-8s %-16s %s\n", "line", "name", "columns", "field text", "value");
  const int shown = complete ? kLines : failure.line - 1;
  std::vector<std::string> warnings;
  for (int line = 1; line <= shown; ++line) {
    const FixedLayout layout = kLayouts[line - 1];
    const std::string value = stored_value(s, line);
    if (static_cast<std::size_t>(line) > readings.size() || readings[static_cast<std::size_t>(line - 1)].status != 0 ||
        read_value(readings[static_cast<std::size_t>(line - 1)], layout) != value) {
      err << "korvane2-inspect: internal error: line " << line
          << " reads differently line by line and in the parameter phase (" << value << ")\n";
      return 2;
    }
    const LineReading& r = readings[static_cast<std::size_t>(line - 1)];
    out << format("  %4d  %-6s %d-%-5d %-16s %s\n", line, parameter_name(line), field_first_column(),
                  field_last_column(layout), in_quotes(r.fieldText).c_str(), value.c_str());
    if (static_cast<std::size_t>(line) <= rawLines.size())
      for (const HandEditWarning& w : hand_edit_warnings(rawLines[static_cast<std::size_t>(line - 1)], layout))
        warnings.push_back(format("line %d (%s): ", line, parameter_name(line)) + w.message);
    if (layout == A && textio::trim_name(view(s.fnIni)).empty())
      warnings.push_back(format("line %d (%s): ", line, parameter_name(line)) +
                         "the name is blank: a run takes the initial-data file name from its first argument, or asks "
                         "for it on the console");
  }
  if (!complete) {
    const bool endOfFile = failure.status == textio::kReadEndOfFile && failure.fieldText.empty();
    out << format("  %4d  %-6s %d-%-5d %-16s ", failure.line, parameter_name(failure.line), failure.firstColumn,
                  failure.lastColumn, in_quotes(failure.fieldText).c_str())
        << (endOfFile ? format("cannot be read: the file ends after %d of its 18 lines", failure.line - 1)
                      : std::string("cannot be read: ") + textio::read_status_text(failure.status))
        << "\n";
  }

  out << section("Warnings");
  for (const std::string& w : warnings) out << "  " << w << "\n";
  if (warnings.empty()) out << "  none\n";

  if (!complete) {
    out << "A run stops here with the input error report (\"*01KV Error reading file Korvane2.dat *** \" and the "
           "values read so far) and exit status 2.\n";
    return 2;
  }
  out.flush();
  if (!check_parameters(s)) {
    out << "A run refuses this parameter file (the reason is on standard error) and ends with exit status 2.\n";
    return 2;
  }
  set_constants(s);
  derive_global_quantities(s);
  const bool tableExists = std::filesystem::exists(textio::trim_name(view(s.fnInp)));
  out.flush();
  const FaultPrediction fault = predict_arithmetic_fault([&s](int& stage) { compute_without_iteration(s, stage); });
  try {
    return show_rings(s, out, tableExists, fault);
  } catch (const textio::RunTermination& stop) {
    out << format("A run stops at this ring (the reason is on standard error) with exit status %d.\n", stop.status);
    return 2;
  }
}

}  // namespace korvane2::examine
