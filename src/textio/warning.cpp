// Warnings go out in one write, so that lines of a run never interleave.
#include "textio/warning.hpp"

#include <unistd.h>

#include <cstdio>

#include "textio/units.hpp"

namespace korvane2::textio {

void warn(const std::string& text) {
  const std::string line = "korvane2: warning: " + text + "\n";
  write_all(STDERR_FILENO, line.data(), line.size());
}

std::string warning_number(double value, int digits) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*g", digits, value);
  return buf;
}

}  // namespace korvane2::textio
