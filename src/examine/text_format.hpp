// Small text helpers of the inspector's reports: printf-style formatting into a string,
// numbers in fixed widths, and the aligned "label  value" lines of a report.
#pragma once

#include <array>
#include <string>

namespace korvane2::examine {

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// A double with 10 significant digits ("%.10g"), or in the shortest form that reads
// back as the same double, for values that must be shown exactly as read.
std::string short_real(double v);
std::string exact_real(double v);

// Three components in aligned columns.
std::string triple(const std::array<double, 3>& v);

// "  label" padded to the value column, then the value and a newline.
std::string report_line(const std::string& label, const std::string& value);

// A section title line.
std::string section(const std::string& title);

}  // namespace korvane2::examine
