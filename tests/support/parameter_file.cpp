// Parameter file builder for the end-to-end tests.
#include "support/parameter_file.hpp"

namespace korvane2::testing {

namespace {

const char* const kLabels[18] = {
    "Number of rings NRing",      "Base number of bodies N30", "Mass Mstr, kg",
    "Central fraction Fcen",      "Semi-major axis R1au, AU",  "Eccentricity Ecc",
    "Semi-major axis step dRr",   "Body-count factor FN3",     "Starting coefficient okf0",
    "Tilt coefficient Ctilt",     "Tolerance EPS",             "Ring turn switch Irot",
    "Ring table switch Itab",     "Inclination Incl, rad",     "Density Rho, kg/m3",
    "Header value Phead",         "Initial-data file fnIni",   "Trailer value Ntail"};

bool is_integer_line(int line) { return line == 1 || line == 2 || line == 12 || line == 13 || line == 18; }

}  // namespace

ParameterFile::ParameterFile()
    : values_{"1", "12", "2.0D30", "0.999", "1.0", "0.1", "0.5", "1.0", "0.95", "0.3", "1.0D-10",
              "0", "0", "0.0", "2000.0", "0.0", "ring.ini", "0"} {}

ParameterFile& ParameterFile::set(int line, const std::string& text) {
  values_[line - 1] = text;
  return *this;
}

std::string ParameterFile::text(int lines) const {
  std::string out;
  for (int line = 1; line <= lines && line <= 18; ++line) {
    std::string label = kLabels[line - 1];
    label.resize(59, ' ');
    const std::string& v = values_[line - 1];
    std::size_t width = line == 17 || is_integer_line(line) ? 12 : 11;
    std::string field = v;
    if (line != 17 && field.size() < width) field = std::string(width - field.size(), ' ') + field;
    out += label + field + "\r\n";
  }
  return out;
}

}  // namespace korvane2::testing
