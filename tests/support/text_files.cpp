#include "support/text_files.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace korvane2::testing {

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string first_difference(const std::string& got, const std::string& want) {
  if (got == want) return "identical";
  const std::vector<std::string> g = lines_of(got), w = lines_of(want);
  for (std::size_t n = 0; n < std::max(g.size(), w.size()); ++n) {
    const std::string gl = n < g.size() ? g[n] : "<no line>", wl = n < w.size() ? w[n] : "<no line>";
    if (gl != wl) return "line " + std::to_string(n + 1) + ":\n  got:      " + gl + "\n  expected: " + wl;
  }
  return "same lines, other line ends (" + std::to_string(got.size()) + " bytes, expected " +
         std::to_string(want.size()) + ")";
}

}  // namespace korvane2::testing
