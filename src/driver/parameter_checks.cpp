// Refusal of parameter values the construction cannot use, each with one line on
// standard error naming the parameter, its line, its value and what would be accepted.
#include "driver/parameter_checks.hpp"

#include <unistd.h>

#include <cstdio>

#include "driver/text12.hpp"
#include "textio/file_names.hpp"
#include "textio/units.hpp"

namespace korvane2 {

namespace {

// The first column of a value's field in the parameter file.
constexpr std::size_t kFieldColumn = 60;

void refuse(const std::string& what) {
  std::string line = "korvane2: " + what + "\n";
  textio::write_all(STDERR_FILENO, line.data(), line.size());
}

std::string real_text(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

}  // namespace

bool check_output_names(const RunState& s) {
  struct Named {
    const Text12* name;
    const char* role;
  };
  const Named outputs[] = {{&s.fnErr, "report file"}, {&s.fnOut, "ring summary file"}};
  const Named others[] = {{&s.fnPar, "parameter file"}, {&s.fnInp, "ring table"}, {&s.fnErr, "report file"}};
  for (const Named& output : outputs) {
    const std::string name = textio::trim_name(view(*output.name));
    const textio::FileIdentity id = textio::identify_file(name);
    for (const Named& other : others) {
      if (other.name == output.name) break;
      const std::string otherName = textio::trim_name(view(*other.name));
      if (textio::same_file(id, textio::identify_file(otherName))) {
        refuse(std::string("the ") + output.role + " \"" + name + "\" is refused: it is the " + other.role + " \"" +
               otherName + "\" under another name; replace the link or the file");
        return false;
      }
    }
  }
  return true;
}

bool check_initial_data_name(const RunState& s, const std::string& name, const std::string& origin) {
  const textio::FileIdentity id = textio::identify_file(name);
  for (const Text12* other : {&s.fnPar, &s.fnInp, &s.fnErr, &s.fnOut}) {
    std::string otherName = textio::trim_name(view(*other));
    if (textio::same_file(id, textio::identify_file(otherName))) {
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
  const std::size_t bad = textio::find_control_character(view(s.fnIni));
  if (bad != std::string_view::npos) {
    refuse("Korvane2.dat line 17 (fnIni): the initial-data file name is refused: it holds " +
           textio::describe_control_character(view(s.fnIni), bad, kFieldColumn));
    return false;
  }
  std::string name = textio::trim_name(view(s.fnIni));
  if (!name.empty()) return check_initial_data_name(s, name, "Korvane2.dat line 17 (fnIni)");
  return true;
}

}  // namespace korvane2
