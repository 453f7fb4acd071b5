// Command line of korvane2-inspect: the initial-data file and its options, or the dry
// run of a parameter file, with --help and --version, parsed without side effects.
#pragma once

#include <string>
#include <vector>

namespace korvane2::examine {

enum class Mode { kInspect, kParams, kHelp, kVersion, kUsageError };

struct Options {
  Mode mode = Mode::kUsageError;
  std::string dataFile;                      // kInspect: the initial-data file
  std::string ringsFile;                     // --rings: the ring summary file, or empty
  std::string svgFile;                       // --svg: the picture to write, or empty
  std::string csvFile;                       // --csv: the table to write, or empty
  std::string paramsFile = "Korvane2.dat";   // kParams: the parameter file
  std::string error;                         // kUsageError: what is wrong
};

// Parses the arguments after the program name. Options are long options ("--rings FILE"
// or "--rings=FILE"); "--" ends the options; --help and --version win over everything.
Options parse_options(const std::vector<std::string>& args);

// The text shown by --help.
const char* usage_text();

}  // namespace korvane2::examine
