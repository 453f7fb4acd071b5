// Formatting helpers of the inspector's reports: printf into strings, shortest exact
// doubles, aligned report lines.
#include "examine/text_format.hpp"

#include <cstdarg>
#include <charconv>
#include <cstdio>

namespace korvane2::examine {

namespace {

constexpr std::size_t kLabelWidth = 30;

}  // namespace

std::string format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, fmt, args);
  va_end(args);
  std::string out(n > 0 ? static_cast<std::size_t>(n) : 0u, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, again);
  va_end(again);
  return out;
}

std::string short_real(double v) { return format("%.10g", v); }

std::string exact_real(double v) {
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, result.ptr);
}

std::string triple(const std::array<double, 3>& v) { return format("% 17.9e % 17.9e % 17.9e", v[0], v[1], v[2]); }

std::string report_line(const std::string& label, const std::string& value) {
  std::string line = "  " + label;
  if (line.size() < kLabelWidth) line.resize(kLabelWidth, ' ');
  else line += ' ';
  return line + value + "\n";
}

std::string section(const std::string& title) { return title + "\n"; }

}  // namespace korvane2::examine
