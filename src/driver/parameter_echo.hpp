// The parameter values as the report file echoes them: the eighteen values in file
// order as items of one free-format record (the input error echo leaves Itab out).
#pragma once

#include "driver/run_state.hpp"
#include "textio/free_format_writer.hpp"

namespace korvane2 {

enum class ItabInEcho { kLeftOut, kIncluded };

void put_parameter_values(textio::FreeFormatWriter& w, const RunState& s, ItabInEcho itab);

}  // namespace korvane2
