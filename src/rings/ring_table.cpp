// Reading the ring table record by record from its top for every ring; its failures
// never stop the run.
#include "rings/ring_table.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "driver/text12.hpp"
#include "textio/free_format_reader.hpp"
#include "textio/read_status.hpp"
#include "textio/units.hpp"

namespace korvane2 {

namespace {

constexpr int kTableUnit = 7;
const char* const kItemNames[6] = {"ring number", "N3", "okf", "Ctilt", "Rring", "Mbr"};

void warn_unreadable(RunState& s, long line, int item, int Iring, int status) {
  if (std::find(s.warnedTableLines.begin(), s.warnedTableLines.end(), line) != s.warnedTableLines.end()) return;
  s.warnedTableLines.push_back(line);
  std::string text = "korvane2: warning: rngtbinp.dat line " + std::to_string(line) + ": item " +
                     std::to_string(item) + " (" + kItemNames[item - 1] + ") cannot be read (" +
                     textio::read_status_text(status) + ") while reading the table for ring " +
                     std::to_string(Iring) + "; the ring keeps the values read so far\n";
  textio::write_all(STDERR_FILENO, text.data(), text.size());
}

// A missing table is an ordinary run; one that exists but cannot be read (a directory,
// no permission) is worth one warning.
void warn_unopenable(RunState& s, const std::string& name) {
  struct stat st;
  if (s.warnedTableUnopenable || ::stat(name.c_str(), &st) != 0) return;
  s.warnedTableUnopenable = true;
  std::string text = "korvane2: warning: " + name + " exists but cannot be read as the ring table" +
                     (S_ISDIR(st.st_mode) ? " (it is a directory)" : "") +
                     "; every ring is built from Korvane2.dat alone\n";
  textio::write_all(STDERR_FILENO, text.data(), text.size());
}

// One free-format record; false at the first failed step.
bool read_record(RunState& s, textio::CharSource& in, int Iring) {
  textio::FreeFormatReader r;
  int status = r.begin_read(in);
  int item = 0;
  auto step = [&](int st) {
    ++item;
    status = st;
    return st == 0;
  };
  const std::int32_t formulaN3 = s.N3;
  bool ok = status == 0 && step(r.read_integer(s.Irtb)) && step(r.read_integer(s.N3)) &&
            (s.ringN3FromTable = s.ringN3FromTable || s.N3 != formulaN3, step(r.read_double(s.okf))) &&
            step(r.read_double(s.Ctilt)) && step(r.read_double(s.Rring)) && step(r.read_double(s.Mbr));
  if (ok) status = r.end_read();
  if (status == 0) return true;
  if (status > 0 && item >= 1) warn_unreadable(s, r.item_line(), item, Iring, status);
  return false;
}

}  // namespace

void read_ring_table(RunState& s, int Iring) {
  auto& table = textio::units();
  s.ringN3FromTable = false;
  const std::string name = textio::trim_name(view(s.fnInp));
  if (table.open_unit(kTableUnit, name, textio::OpenStatus::kOld, true) != 0) {
    warn_unopenable(s, name);
    return;
  }
  textio::CharSource& in = *table.unit(kTableUnit);
  for (int Jrec = 1; Jrec <= Iring; ++Jrec)
    if (!read_record(s, in, Iring)) return;
  table.close_unit(kTableUnit);
}

}  // namespace korvane2
