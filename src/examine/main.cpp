// Entry point of korvane2-inspect: parses the command line and runs the inspection or
// the dry run of a parameter file, exiting with its status.
#include <iostream>
#include <string>
#include <vector>

#include "examine/examiner.hpp"
#include "examine/options.hpp"

int main(int argc, char** argv) {
  using namespace korvane2::inspect;
  const Options options = parse_options(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  switch (options.mode) {
    case Mode::kHelp:
      std::cout << usage_text();
      return 0;
    case Mode::kVersion:
      std::cout << "korvane2-inspect " KORVANE2_VERSION "\n";
      return 0;
    case Mode::kUsageError:
      std::cerr << "korvane2-inspect: " << options.error << "\n"
                << "Try 'korvane2-inspect --help' for more information.\n";
      return 2;
    default:
      break;
  }
  const int status = run_inspector(options, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
