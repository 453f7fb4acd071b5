// The ring table re-read from its top for every ring, statement by statement.
#include "rings/literal_ring_table.hpp"

#include "textio/free_format_reader.hpp"

namespace korvane2::literal {

TableReadsResult RingTableRereading::read_ring(int Iring, TableVariables& v) {
  TableReadsResult result;
  v.N3FromTable = false;
  result.fromTop = unit7_ == nullptr;
  if (!unit7_) unit7_ = std::make_unique<textio::MemorySource>(bytes_);
  for (int Jrec = 1; Jrec <= Iring; ++Jrec) {
    textio::FreeFormatReader r;
    int status = r.begin_read(*unit7_);
    int item = 0;
    const std::int32_t N3before = v.N3;
    if (status == 0) {
      ++item;
      status = r.read_integer(v.Irtb);
    }
    if (status == 0) {
      ++item;
      status = r.read_integer(v.N3);
      if (status == 0 && v.N3 != N3before) v.N3FromTable = true;
    }
    double* reals[4] = {&v.okf, &v.Ctilt, &v.Rring, &v.Mbr};
    for (double* real : reals) {
      if (status != 0) break;
      ++item;
      status = r.read_double(*real);
    }
    if (status == 0) status = r.end_read();
    if (status != 0) {
      result.unitOpen = true;
      result.status = status;
      result.item = item;
      result.line = r.item_line();
      return result;
    }
    ++result.completeRecords;
  }
  unit7_.reset();
  return result;
}

}  // namespace korvane2::literal
