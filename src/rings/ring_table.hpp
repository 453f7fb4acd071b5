// The ring table "rngtbinp.dat": for ring Iring the records 1..Iring are read on unit 7
// and the last one replaces the ring's body count, starting coefficient, tilt
// coefficient, semi-major axis and body mass.
#pragma once

#include "driver/run_state.hpp"

namespace korvane2 {

// A missing table changes nothing; a short or bad table leaves unit 7 open where the
// read stopped. An unreadable field is warned about once per table line, and a table
// that ends after the records of a pass from its top (ring k + 1 of a table of k
// records) once in the run.
void read_ring_table(RunState& s, int Iring);

}  // namespace korvane2
