// Helpers for the 12-character blank-padded texts that hold file names.
#pragma once

#include <string_view>

#include "driver/run_state.hpp"

namespace korvane2 {

// The text padded with blanks (or cut) to 12 characters.
inline Text12 make_text12(std::string_view text) {
  Text12 t;
  t.fill(' ');
  for (std::size_t i = 0; i < t.size() && i < text.size(); ++i) t[i] = text[i];
  return t;
}

inline std::string_view view(const Text12& t) { return std::string_view(t.data(), t.size()); }

}  // namespace korvane2
