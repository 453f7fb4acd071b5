// The ring table for every ring: unit 7 opened and closed as the reads of each ring
// would leave it, the records replayed from the one reading, and the warnings about a
// table that cannot be read or ends before NRing; its failures never stop the run.
#include "rings/ring_table.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>

#include "driver/text12.hpp"
#include "rings/ring_table_records.hpp"
#include "textio/read_status.hpp"
#include "textio/units.hpp"
#include "textio/warning.hpp"

namespace korvane2 {

namespace {

constexpr int kTableUnit = 7;
const char* const kItemNames[6] = {"ring number", "N3", "okf", "Ctilt", "Rring", "Mbr"};

void warn_unreadable(RunState& s, long line, int item, int Iring, int status) {
  if (std::find(s.warnedTableLines.begin(), s.warnedTableLines.end(), line) != s.warnedTableLines.end()) return;
  s.warnedTableLines.push_back(line);
  textio::warn("rngtbinp.dat line " + std::to_string(line) + ": item " + std::to_string(item) + " (" +
               kItemNames[item - 1] + ") cannot be read (" + textio::read_status_text(status) +
               ") while reading the table for ring " + std::to_string(Iring) +
               "; the ring keeps the values read so far");
}

// A missing table is an ordinary run; one that exists but cannot be read (a directory,
// no permission) is worth one warning.
void warn_unopenable(RunState& s, const std::string& name) {
  struct stat st;
  if (s.warnedTableUnopenable || ::stat(name.c_str(), &st) != 0) return;
  s.warnedTableUnopenable = true;
  textio::warn(name + " exists but cannot be read as the ring table" +
               (S_ISDIR(st.st_mode) ? " (it is a directory)" : "") + "; every ring is built from Korvane2.dat alone");
}

// The table ends while a ring reads its records, after at least one complete record of
// the ring's reads: the ring takes the last of them (with what a record cut short by the
// end gives over it), which from the top of a table of k records is ring k + 1 repeating
// record k, and the rings after it meet the end at once. Once a run.
void warn_short_table(RunState& s, const TableReads& reads, int Iring) {
  if (s.warnedShortTable) return;
  s.warnedShortTable = true;
  const TableStatement& end = *reads.failed;
  const std::string k = std::to_string(reads.completeRecords), ring = std::to_string(Iring),
                    NRing = std::to_string(s.NRing);
  std::string later;
  if (Iring + 1 == s.NRing)
    later = ", and ring " + std::to_string(Iring + 1) + " takes";
  else if (Iring < s.NRing)
    later = ", and rings " + std::to_string(Iring + 1) + " to " + NRing + " take";
  if (!later.empty())
    later += " N3, okf and the semi-major axis from the formulas of Korvane2.dat with the Ctilt and body mass of ring " +
             ring;
  const std::string missing = Iring == s.NRing ? "a record for ring " + ring : "records for rings " + ring + " to " + NRing;
  if (reads.fromTop && end.item == 1) {
    const long line = s.ringTable->entry(reads.completeRecords - 1).statement.line;
    textio::warn("rngtbinp.dat ends after record " + k + " (line " + std::to_string(line) + ") but NRing = " + NRing +
                 ": ring " + ring + " repeats record " + k + later + "; add " + missing +
                 " to rngtbinp.dat or lower NRing to " + k);
    return;
  }
  const std::string from = reads.fromTop ? "" : " from where an unreadable record left the table";
  textio::warn(std::string("rngtbinp.dat ends") + (end.item > 1 ? " inside a record" : "") + " while ring " + ring +
               " reads its records" + from +
               ": ring " + ring + " takes the values of the last complete record it read" +
               (end.item > 1 ? ", with the items of the cut record over them" : "") + later + "; add " + missing +
               " to rngtbinp.dat or lower NRing");
}

// The table read through its own descriptor, which stays open while unit 7 is closed
// and opened again ring by ring.
std::unique_ptr<textio::CharSource> table_source(const textio::Unit& unit) {
  return std::make_unique<textio::Unit>(unit.number(), unit.name(), ::dup(unit.fd()), 0, 0);
}

}  // namespace

void read_ring_table(RunState& s, int Iring) {
  auto& table = textio::units();
  s.ringN3FromTable = false;
  const std::string name = textio::trim_name(view(s.fnInp));
  // Unit 7 is connected only when a failed read left it open: the open then keeps its
  // position, and the reads go on from there.
  const bool continuing = table.unit(kTableUnit) != nullptr;
  if (table.open_unit(kTableUnit, name, textio::OpenStatus::kOld, true) != 0) {
    warn_unopenable(s, name);
    return;
  }
  if (!s.ringTable) s.ringTable = std::make_shared<RingTableRecords>(table_source(*table.unit(kTableUnit)));
  const TableReads reads = s.ringTable->replay(continuing, Iring, s);
  if (!reads.failed) {
    table.close_unit(kTableUnit);
    return;
  }
  const TableStatement& failed = *reads.failed;
  if (failed.status > 0 && failed.item >= 1) warn_unreadable(s, failed.line, failed.item, Iring, failed.status);
  if (failed.status == textio::kReadEndOfFile && reads.completeRecords > 0) warn_short_table(s, reads, Iring);
}

}  // namespace korvane2
