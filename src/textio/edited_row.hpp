// The edited table row "(I4,3(D13.6))": one integer and three doubles in 43 columns.
#pragma once

#include <cstdint>

#include "textio/line_sink.hpp"

namespace korvane2::textio {

void write_edited_row(LineSink& sink, std::int32_t number, double a, double b, double c);

}  // namespace korvane2::textio
