// Refusal of a ring the construction cannot build (a body count below 1 or beyond 32
// bits): one line on standard error, and the run ends with status 2.
#pragma once

#include <string>

namespace korvane2 {

[[noreturn]] void refuse_ring(int Iring, const std::string& why);

}  // namespace korvane2
