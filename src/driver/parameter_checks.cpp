// Refusal of parameter values the construction cannot use, each with one line on
// standard error naming the parameter, its line, its value and what would be accepted.
#include "driver/parameter_checks.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "driver/text12.hpp"
#include "textio/units.hpp"

namespace korvane2 {

namespace {

void refuse(const std::string& what) {
  std::string line = "korvane2: " + what + "\n";
  textio::write_all(STDERR_FILENO, line.data(), line.size());
}

std::string real_text(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

bool same_existing_file(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace

bool check_initial_data_name(const RunState& s, const std::string& name, const std::string& origin) {
  for (const Text12* other : {&s.fnPar, &s.fnInp, &s.fnErr, &s.fnOut}) {
    std::string otherName = textio::trim_name(view(*other));
    if (name == otherName || same_existing_file(name, otherName)) {
      refuse(origin + ": the initial-data file name \"" + name + "\" is refused: it would replace \"" + otherName +
             "\"; give a name other than Korvane2.dat, rngtbinp.dat, Korvane2Err and rngtbout.dat");
      return false;
    }
  }
  return true;
}

bool check_parameters(const RunState& s) {
  if (s.NRing < 1) {
    refuse("Korvane2.dat line 1: NRing = " + std::to_string(s.NRing) +
           " is refused: the number of rings must be at least 1");
    return false;
  }
  if (s.N30 < 1) {
    refuse("Korvane2.dat line 2: N30 = " + std::to_string(s.N30) +
           " is refused: the base number of bodies of a ring must be at least 1");
    return false;
  }
  if (!(s.Ecc > -1.0 && s.Ecc < 1.0)) {
    refuse("Korvane2.dat line 6: Ecc = " + real_text(s.Ecc) +
           " is refused: the eccentricity must lie strictly between -1 and 1");
    return false;
  }
  std::string name = textio::trim_name(view(s.fnIni));
  if (!name.empty()) return check_initial_data_name(s, name, "Korvane2.dat line 17 (fnIni)");
  return true;
}

}  // namespace korvane2
