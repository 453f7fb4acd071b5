// The ring table read as plainly as possible: for every ring, unit 7 opened (kept where
// it is when a failed read left it connected, otherwise from the top), records 1 to
// Iring read one after the other, and unit 7 closed only when all of them succeeded. The
// reference that the one reading and its replay must match for every ring.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "textio/char_source.hpp"

namespace korvane2::literal {

// The variables the ring table reads into, and whether the ring's body count came from
// the table (a record's N3 differed from the value before it).
struct TableVariables {
  std::int32_t Irtb = 0, N3 = 0;
  double okf = 0.0, Ctilt = 0.0, Rring = 0.0, Mbr = 0.0;
  bool N3FromTable = false;
};

// What the reads of one ring did.
struct TableReadsResult {
  bool fromTop = false;            // unit 7 was opened afresh
  std::size_t completeRecords = 0;
  bool unitOpen = false;           // a read failed and left unit 7 connected
  int status = 0, item = 0;        // of the failed read
  long line = 0;
};

class RingTableRereading {
 public:
  explicit RingTableRereading(std::string bytes) : bytes_(std::move(bytes)) {}
  TableReadsResult read_ring(int Iring, TableVariables& v);

 private:
  std::string bytes_;
  std::unique_ptr<textio::MemorySource> unit7_;  // connected, or null
};

}  // namespace korvane2::literal
