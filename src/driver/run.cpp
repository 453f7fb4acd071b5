// The phase sequence of a run: parameters, checks, constants, report and summary files,
// the ring loop, the structure, the closing report and the initial-data file. Every way
// a run can end passes through the end-of-run processing, which closes the units.
#include "driver/run.hpp"

#include <unistd.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "driver/input_error_report.hpp"
#include "driver/parameter_checks.hpp"
#include "driver/parameters.hpp"
#include "driver/run_state.hpp"
#include "driver/text12.hpp"
#include "driver/worker_threads.hpp"
#include "output/initial_data_file.hpp"
#include "output/structure_report.hpp"
#include "rings/ring_closure.hpp"
#include "rings/ring_distances.hpp"
#include "rings/ring_iteration.hpp"
#include "rings/ring_placement.hpp"
#include "rings/ring_quantities.hpp"
#include "rings/ring_reports.hpp"
#include "rings/ring_table.hpp"
#include "structure/structure_frame.hpp"
#include "structure/structure_units.hpp"
#include "structure/structure_warnings.hpp"
#include "textio/run_signals.hpp"
#include "textio/units.hpp"

namespace korvane2 {

namespace {

constexpr int kReportUnit = 3;
constexpr int kSummaryUnit = 6;
constexpr int kInitialDataUnit = 5;

const char kUsage[] =
    "Usage: korvane2 [INITIAL-DATA-FILE-NAME]\n"
    "\n"
    "Builds the initial state of a ring structure (a central body and NRing rings of\n"
    "equal bodies on Keplerian conics) from the parameter file Korvane2.dat and the\n"
    "optional ring table rngtbinp.dat in the current directory, and writes the report\n"
    "file Korvane2Err, the ring summary rngtbout.dat and the initial-data file named in\n"
    "line 17 of Korvane2.dat. When that name is blank, the argument gives it; without an\n"
    "argument the program asks for it.\n"
    "\n"
    "Exit status: 0 complete run; 1 run-time failure; 2 input that cannot be used;\n"
    "3 ring iteration stopped on a zero coefficient; 4 every file written, but a ring\n"
    "is not closed to EPS or bodies are at the same place (see the warnings on standard\n"
    "error); 130, 143 interrupted.\n"
    "\n"
    "  -h, --help show this text and exit\n"
    "  --version  show the version and exit\n";

void print(const char* text) { textio::write_all(STDOUT_FILENO, text, std::strlen(text)); }

// The iteration of a ring, with a progress line on a terminal while a long ring is built;
// the line is gone before anything else is written.
bool iterate_ring_showing_progress(RunState& s, int Iring) {
  textio::ProgressLine progress("ring " + std::to_string(Iring) + " of " + std::to_string(s.NRing),
                                ring_chain_turns(s.N3));
  return iterate_ring(s, KernelPath::kAuto, &progress);
}

// The ring loop; false when the iteration of a ring stopped the run.
bool build_rings(RunState& s) {
  for (int Iring = 1; Iring <= s.NRing; ++Iring) {
    start_ring(s, Iring);
    read_ring_table(s, Iring);
    compute_ring_quantities(s, Iring);
    if (!iterate_ring_showing_progress(s, Iring)) return false;
    check_ring_closure(s, Iring);
    place_ring(s, Iring);
    measure_ring_distances(s, Iring);
    write_ring_reports(s, Iring);
  }
  return true;
}

int run_phases(RunState& s) {
  auto& table = textio::units();
  assign_file_names(s);
  if (!check_output_names(s)) return kExitUnusableInput;
  ParameterReadFailure failure;
  if (!read_parameters(s, failure)) {
    write_input_error_report(s);
    return kExitUnusableInput;
  }
  if (!check_parameters(s)) return kExitUnusableInput;
  set_constants(s);
  derive_global_quantities(s);
  table.open_unit(kReportUnit, textio::trim_name(view(s.fnErr)), textio::OpenStatus::kNone, false);
  table.open_unit(kSummaryUnit, textio::trim_name(view(s.fnOut)), textio::OpenStatus::kNone, false);

  if (!build_rings(s)) return kExitIterationStop;
  table.close_unit(kSummaryUnit);
  convert_to_structure_units(s);
  bring_into_frame(s);
  warn_about_structure(s);
  write_structure_report(s);

  std::string name = table.resolve_name(kInitialDataUnit, view(s.fnIni));
  if (textio::trim_name(view(s.fnIni)).empty() &&
      !check_initial_data_name(s, name, "the initial-data file name given for a blank line 17"))
    return kExitUnusableInput;
  write_initial_data_file(s, name);
  return s.ringsNotClosed > 0 || s.samePlacePairs > 0 ? kExitFlawedStructure : kExitComplete;
}

}  // namespace

int run(int argc, char** argv) {
  // Options: the first one decides; every other argument is a name for a blank file name.
  for (int a = 1; a < argc; ++a) {
    if (std::strcmp(argv[a], "--help") == 0 || std::strcmp(argv[a], "-h") == 0) {
      print(kUsage);
      return kExitComplete;
    }
    if (std::strcmp(argv[a], "--version") == 0) {
      print("korvane2 " KORVANE2_VERSION "\n");
      return kExitComplete;
    }
    if (std::strncmp(argv[a], "--", 2) == 0) {
      const std::string_view usage(kUsage);
      const std::string refusal = std::string("korvane2: unknown option \"") + argv[a] +
                                  "\" (a file whose name begins with '-' can be given as ./NAME)\n" +
                                  std::string(usage.substr(0, usage.find('\n') + 1));
      textio::write_all(STDERR_FILENO, refusal.data(), refusal.size());
      return kExitUnusableInput;
    }
  }

  auto& table = textio::units();
  table.set_arguments(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  int status;
  try {
    textio::install_run_signals();
    start_worker_threads();
    auto state = std::make_unique<RunState>();
    status = run_phases(*state);
  } catch (const textio::RunTermination& end) {
    status = end.status;
  } catch (const std::bad_alloc&) {
    const char message[] = "korvane2: not enough memory for the structure of this run\n";
    textio::write_all(STDERR_FILENO, message, sizeof message - 1);
    status = kExitRunTimeFailure;
  }
  table.end_run(status == kExitComplete || status == kExitFlawedStructure);
  textio::remove_run_signals();
  return status;
}

}  // namespace korvane2
