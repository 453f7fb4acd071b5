// Parsing of the inspector's command line: long options with a separate or an attached
// value, one positional file, and the optional file of --params.
#include "examine/options.hpp"

#include <cstddef>

namespace korvane2::examine {

namespace {

Options usage_error(std::string message) {
  Options o;
  o.mode = Mode::kUsageError;
  o.error = std::move(message);
  return o;
}

}  // namespace

const char* usage_text() {
  return "Usage: korvane2-inspect [--rings FILE] [--svg FILE] [--csv FILE] INITIAL-DATA-FILE\n"
         "       korvane2-inspect --params [PARAMETER-FILE]\n"
         "\n"
         "Reads an initial-data file written by korvane2, prints a summary of the structure it\n"
         "describes (bodies, units, total mass, barycentre, momentum, angular momentum, energies,\n"
         "radii, the closest pair of bodies) and checks the contract an integration program\n"
         "relies on: record counts, the fixed items, the masses, the barycentre, the momentum,\n"
         "the angular momentum and bodies that overlap.\n"
         "\n"
         "With --params it reads a parameter file (default Korvane2.dat) exactly as korvane2\n"
         "does, shows each value with its line, columns and text, warns about edits that have\n"
         "probably gone wrong, and shows every ring as it will be built (with the ring table\n"
         "rngtbinp.dat of the same directory, when there is one), without building it.\n"
         "\n"
         "Options:\n"
         "  --rings FILE    the ring summary rngtbout.dat of the same run: bodies by ring\n"
         "  --svg FILE      draw the structure (x-y and x-z projections) as an SVG picture\n"
         "  --csv FILE      write one row per body as a CSV table\n"
         "  --params [FILE] dry run of a parameter file instead of inspecting a result\n"
         "  -h, --help      show this text and exit\n"
         "  --version       show the version and exit\n"
         "\n"
         "An output that is the same file as an input or as the other output is refused.\n"
         "\n"
         "Exit status: 0 every check holds (or the parameter file reads without an error);\n"
         "1 a check failed; 2 a file cannot be read or written (standard output included),\n"
         "an output is an input or the other output, memory runs out, or bad usage.\n";
}

Options parse_options(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--") break;
    Options o;
    if (a == "--help" || a == "-h") o.mode = Mode::kHelp;
    if (a == "--version") o.mode = Mode::kVersion;
    if (o.mode != Mode::kUsageError) return o;
  }

  Options o;
  o.mode = Mode::kInspect;
  bool params = false;
  bool paramsFileGiven = false;
  bool optionsEnded = false;
  std::vector<std::string> positional;

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.size() < 2 || a[0] != '-') {
      positional.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = a;
    std::string value;
    bool attached = false;
    if (std::size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
      attached = true;
    }

    std::string* target = nullptr;
    if (name == "--rings") target = &o.ringsFile;
    if (name == "--svg") target = &o.svgFile;
    if (name == "--csv") target = &o.csvFile;
    if (target != nullptr) {
      if (!attached) {
        if (i + 1 >= args.size()) return usage_error("option " + name + " needs a file name");
        value = args[++i];
      }
      if (value.empty()) return usage_error("option " + name + " needs a file name");
      if (!target->empty()) return usage_error("option " + name + " is given twice");
      *target = value;
      continue;
    }
    if (name == "--params") {
      if (params) return usage_error("option --params is given twice");
      params = true;
      if (attached) {
        if (value.empty()) return usage_error("option --params= needs a file name");
        o.paramsFile = value;
        paramsFileGiven = true;
      }
      continue;
    }
    return usage_error("unknown option " + name);
  }

  if (params) {
    if (!o.ringsFile.empty() || !o.svgFile.empty() || !o.csvFile.empty())
      return usage_error("--params cannot be combined with --rings, --svg or --csv");
    if (positional.size() > (paramsFileGiven ? 0u : 1u))
      return usage_error("--params takes at most one parameter file");
    if (!positional.empty()) o.paramsFile = positional.front();
    o.mode = Mode::kParams;
    return o;
  }
  if (positional.empty()) return usage_error("no initial-data file given");
  if (positional.size() > 1) return usage_error("more than one initial-data file given: " + positional[1]);
  o.dataFile = positional.front();
  return o;
}

}  // namespace korvane2::examine
