// The ring table read once: every read statement of the table in file order, what it
// gave each of the six items, where and how it failed, and what a ring's pass of reads
// leaves from its first record through it. A pass starts at the top of the table (unit 7
// freshly opened) or right after a failed statement (unit 7 left open there), and the
// statements that follow a position are always the same, so that every ring's reads can
// be replayed from the one reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "driver/run_state.hpp"
#include "textio/char_source.hpp"

namespace korvane2 {

// Values of the six items of a record; bit i of `assigned` is set when item i + 1 (ring
// number, N3, okf, Ctilt, Rring, Mbr) received a value.
struct TableFields {
  std::int32_t Irtb = 0, N3 = 0;
  double okf = 0.0, Ctilt = 0.0, Rring = 0.0, Mbr = 0.0;
  unsigned assigned = 0;
};

constexpr unsigned kTableN3 = 1u << 1;

// One read statement of the table.
struct TableStatement {
  TableFields fields;
  int status = 0;  // 0 complete, otherwise the status of the failed step
  int item = 0;    // the item steps taken (the failed one, or 6 when the end of the statement failed)
  long line = 0;   // the line on which the last item was found or failed
};

// A statement with what the pass that reached it leaves: the fields of every statement
// from the pass's first one through this one, later ones winning, and what tells whether
// the body count changed during the pass.
struct TableEntry {
  TableStatement statement;
  std::size_t passStart = 0;  // the statement the passes through this one start at
  TableFields merged;
  std::int32_t firstN3 = 0;   // the first N3 the pass assigned (when merged assigns N3)
  bool N3Reassigned = false;  // a later statement of the pass assigned an N3 that differs
};

// How a ring's pass ends: at statement `last`, failed (unit 7 stays open after it) or
// with all its records read (unit 7 closed).
struct TablePass {
  std::size_t last = 0;
  bool failed = false;
};

// What the reads of one ring did.
struct TableReads {
  bool fromTop = false;                 // the pass started at the first record
  std::size_t completeRecords = 0;      // records the pass read completely
  const TableStatement* failed = nullptr;  // the statement that failed (unit 7 stays open), or null
};

class RingTableRecords {
 public:
  explicit RingTableRecords(std::unique_ptr<textio::CharSource> source);

  // The reads of ring Iring, from the top or, when `continuing` (unit 7 was left open by
  // a failed read), from where the last failed read left the file: sets the six fields
  // the records assign and whether the body count came from the table.
  TableReads replay(bool continuing, int Iring, RunState& s);

  // The pass of `records` reads (at least 1) that starts at statement `first`, a pass
  // start: the top (0) or a statement after a failed one (`resume_after`).
  TablePass pass(std::size_t first, std::int64_t records);
  const TableEntry& entry(std::size_t statement) const;
  // Where the next pass starts after the failed statement `failed`.
  std::size_t resume_after(std::size_t failed) const;

 private:
  void read_statement();

  std::unique_ptr<textio::CharSource> source_;
  std::vector<TableEntry> entries_;
  std::vector<std::size_t> failures_;  // indices of the failed statements, ascending
  // The statement read with the file already at its end: it and every later one fail at
  // the first item without moving.
  std::optional<std::size_t> final_;
  std::size_t resume_ = 0;  // where a pass continuing after a failed read starts
};

}  // namespace korvane2
