// Warnings of a run: one line on standard error, "korvane2: warning: " and the text. A
// warning changes no file.
#pragma once

#include <string>

namespace korvane2::textio {

void warn(const std::string& text);

// A double in a warning: `digits` significant digits, shortest form ("%.*g").
std::string warning_number(double value, int digits = 3);

}  // namespace korvane2::textio
