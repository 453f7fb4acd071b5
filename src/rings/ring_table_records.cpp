// Reading the ring table statement by statement, once, as far as the rings' passes need
// it, and merging each pass's statements as they are read.
#include "rings/ring_table_records.hpp"

#include <algorithm>

#include "textio/free_format_reader.hpp"

namespace korvane2 {

namespace {

// Copies the items `f` assigned into the variables of the same names (the merged fields
// of a pass, or the run-state record).
template <class Variables>
void take_assigned(const TableFields& f, Variables& to) {
  if (f.assigned & (1u << 0)) to.Irtb = f.Irtb;
  if (f.assigned & (1u << 1)) to.N3 = f.N3;
  if (f.assigned & (1u << 2)) to.okf = f.okf;
  if (f.assigned & (1u << 3)) to.Ctilt = f.Ctilt;
  if (f.assigned & (1u << 4)) to.Rring = f.Rring;
  if (f.assigned & (1u << 5)) to.Mbr = f.Mbr;
}

}  // namespace

RingTableRecords::RingTableRecords(std::unique_ptr<textio::CharSource> source) : source_(std::move(source)) {}

void RingTableRecords::read_statement() {
  const std::size_t index = entries_.size();
  const bool startsPass = index == 0 || entries_[index - 1].statement.status != 0;
  // At the end of the file a statement fails at its first item without moving; once that
  // starts a pass, every later pass is that one statement.
  if (startsPass && source_->peek() == textio::CharSource::kEnd) final_ = index;

  TableEntry e;
  TableStatement& st = e.statement;
  TableFields& f = st.fields;
  textio::FreeFormatReader r;
  int status = r.begin_read(*source_);
  auto item = [&](int status_of_read) {
    ++st.item;
    if (status_of_read == 0 && r.item_assigned()) f.assigned |= 1u << (st.item - 1);
    status = status_of_read;
    return status == 0;
  };
  if (status == 0 && item(r.read_integer(f.Irtb)) && item(r.read_integer(f.N3)) && item(r.read_double(f.okf)) &&
      item(r.read_double(f.Ctilt)) && item(r.read_double(f.Rring)) && item(r.read_double(f.Mbr)))
    status = r.end_read();
  st.status = status;
  st.line = r.item_line();

  e.passStart = startsPass ? index : entries_[index - 1].passStart;
  if (!startsPass) {
    const TableEntry& before = entries_[index - 1];
    e.merged = before.merged;
    e.firstN3 = before.firstN3;
    e.N3Reassigned = before.N3Reassigned;
  }
  TableFields& m = e.merged;
  if (f.assigned & kTableN3) {
    if (!(m.assigned & kTableN3)) e.firstN3 = f.N3;
    else if (f.N3 != m.N3) e.N3Reassigned = true;
  }
  take_assigned(f, m);
  m.assigned |= f.assigned;

  if (status != 0) failures_.push_back(index);
  entries_.push_back(e);
}

TablePass RingTableRecords::pass(std::size_t first, std::int64_t records) {
  if (final_ && first >= *final_) return {*final_, true};
  const std::size_t last = first + static_cast<std::size_t>(records) - 1;
  for (;;) {
    // The first failure from `first` on belongs to this pass: passes start after failures.
    auto failure = std::lower_bound(failures_.begin(), failures_.end(), first);
    if (failure != failures_.end() && *failure <= last) return {*failure, true};
    if (entries_.size() > last) return {last, false};
    read_statement();
  }
}

const TableEntry& RingTableRecords::entry(std::size_t statement) const {
  return entries_[final_ ? std::min(statement, *final_) : statement];
}

std::size_t RingTableRecords::resume_after(std::size_t failed) const {
  return final_ && failed >= *final_ ? *final_ : failed + 1;
}

TableReads RingTableRecords::replay(bool continuing, int Iring, RunState& s) {
  const std::size_t first = continuing ? resume_ : 0;
  const TablePass p = pass(first, Iring);
  const TableEntry& e = entry(p.last);
  const TableFields& m = e.merged;
  s.ringN3FromTable = e.N3Reassigned || ((m.assigned & kTableN3) && e.firstN3 != s.N3);
  take_assigned(m, s);

  TableReads reads;
  reads.fromTop = !continuing;
  reads.completeRecords = p.last - first + (p.failed ? 0 : 1);
  if (p.failed) {
    reads.failed = &e.statement;
    resume_ = resume_after(p.last);
  }
  return reads;
}

}  // namespace korvane2
