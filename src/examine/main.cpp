// Entry point of korvane2-inspect: parses the command line and runs the inspection or
// the dry run of a parameter file, exiting with its status; running out of memory or a
// standard output that refuses the report ends it with status 2.
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "examine/examiner.hpp"
#include "examine/options.hpp"

namespace {

using namespace korvane2::examine;

int inspect(const Options& options) {
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
      return run_inspector(options, std::cout, std::cerr);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int status;
  try {
    status = inspect(parse_options(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc)));
  } catch (const std::bad_alloc&) {
    std::cout.flush();
    std::cerr << "korvane2-inspect: not enough memory\n";
    return 2;
  }
  // A report that did not reach standard output (a full disk, a closed pipe) is a failure.
  if (!std::cout.flush()) {
    std::cerr << "korvane2-inspect: cannot write the report to standard output\n";
    return 2;
  }
  return status;
}
