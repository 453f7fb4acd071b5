// Warnings about the structure in its final frame: bodies of positive mass at the same
// place, and bodies that overlap. Massless tracers exert no force and are left out.
#pragma once

#include "driver/run_state.hpp"

namespace korvane2 {

// Overlapping pairs are counted up to this many; the warning then says "more than".
inline constexpr std::int64_t kOverlapCountLimit = 1000000;

// One warning for bodies at the same place (their count goes to samePlacePairs) and one
// for overlapping bodies; no file is changed.
void warn_about_structure(RunState& s);

}  // namespace korvane2
