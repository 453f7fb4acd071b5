// Fuzz target: the fuzzed bytes as a ring table, read with the free-format reader in
// records of two integers and four doubles (ring number, body count, coefficient, tilt
// coefficient, semi-major axis, body mass), the way the ring loop reads it: the six
// values live on from record to record (a null item keeps the value before it), and
// after a record that fails part way the next record is read from where the failure left
// the file, as the next ring does with the unit still open. Reading stops at the end of
// the file.
//
// Every item is checked against a small independent model of the free-format rules
// (blanks, commas, the comma that completes a blank, "/", line ends as blanks, repeat
// counts "r*v" and "r*", quotes and parentheses refused, the rest of the last line
// skipped unless the last value ended at the line end), and the whole reading is done a
// second time through a source with a tiny buffer and tiny refills; all three must agree
// in every status and every value. Further properties:
//   - a failed item keeps its previous value;
//   - reading terminates: every statement that does not meet the end of the file moves
//     on in the file, and a successful statement ends on a later line than it began;
//   - the two readings report the same diagnostic line for every item.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.hpp"
#include "textio/char_source.hpp"
#include "textio/field_conversion.hpp"
#include "textio/free_format_reader.hpp"
#include "textio/read_status.hpp"

using korvane2::fuzz::bits_text;
using korvane2::fuzz::quoted;
using korvane2::fuzz::same_bits;
using korvane2::textio::CharSource;
using korvane2::textio::FreeFormatReader;

namespace {

constexpr std::size_t kMaxValueText = 4096;  // longest value the reader keeps

// The six variables of a ring-table record.
struct Record {
  std::int32_t Irtb = 0x11111111, N3 = 0x22222222;
  double okf = -1.25e-301, Ctilt = 3.5e+301, Rring = -0.0, Mbr = 7.0;
};

bool same(const Record& a, const Record& b) {
  return a.Irtb == b.Irtb && a.N3 == b.N3 && same_bits(a.okf, b.okf) && same_bits(a.Ctilt, b.Ctilt) &&
         same_bits(a.Rring, b.Rring) && same_bits(a.Mbr, b.Mbr);
}

std::string text_of(const Record& r) {
  return std::to_string(r.Irtb) + " " + std::to_string(r.N3) + " " + bits_text(r.okf) + " " + bits_text(r.Ctilt) +
         " " + bits_text(r.Rring) + " " + bits_text(r.Mbr);
}

// Independent model of the free-format statement over the whole data.
class Model {
 public:
  // A last line without LF is read as if an LF followed it.
  explicit Model(std::string_view data) : data_(data) {
    if (!data_.empty() && data_.back() != '\n') data_.push_back('\n');
  }

  void begin() {
    lastSeparator_ = ',';
    repeatLeft_ = 0;
    valueText_.clear();
    tooLong_ = false;
    endedAtLineEnd_ = false;
  }
  int integer(std::int32_t& v) {
    bool take = false;
    int st = item(take);
    if (st != 0 || !take) return st;
    return korvane2::textio::convert_integer(valueText_, v);
  }
  int real(double& v) {
    bool take = false;
    int st = item(take);
    if (st != 0 || !take) return st;
    return korvane2::textio::convert_double(valueText_, 0, false, v);
  }
  int end() {
    if (!endedAtLineEnd_) pass_line();
    return 0;
  }
  std::size_t position() const { return pos_; }
  std::size_t size() const { return data_.size(); }

 private:
  // Passes over the rest of the line up to and including its LF (an LF is assumed after
  // a last line without one).
  void pass_line() {
    std::size_t lf = data_.find('\n', pos_);
    pos_ = lf == std::string::npos ? data_.size() : lf + 1;
  }

  int item(bool& take) {
    take = false;
    if (lastSeparator_ == '/' && repeatLeft_ == 0) return 0;
    if (repeatLeft_ > 0) {
      --repeatLeft_;
    } else {
      int st = value();
      if (st != 0) return st;
    }
    if (tooLong_) return korvane2::textio::kReadValueTooLong;
    take = !valueText_.empty();
    return 0;
  }

  int value() {
    valueText_.clear();
    tooLong_ = false;
    endedAtLineEnd_ = false;
    bool repeat = false;
    for (;;) {
      if (pos_ >= data_.size()) return korvane2::textio::kReadEndOfFile;
      const char c = data_[pos_];
      if (c == '\n' || c == '\r') {
        pass_line();
        if (valueText_.empty() && !repeat) continue;
        if (!valueText_.empty()) endedAtLineEnd_ = true;
        lastSeparator_ = ' ';
        return 0;
      }
      ++pos_;
      if (c == ' ' || c == '\t') {
        if (valueText_.empty() && !repeat) continue;
        lastSeparator_ = ' ';
        return 0;
      }
      if (c == ',') {
        if (valueText_.empty() && lastSeparator_ == ' ' && !repeat) {
          lastSeparator_ = ',';
          continue;
        }
        lastSeparator_ = ',';
        return 0;
      }
      if (c == '/') {
        lastSeparator_ = '/';
        return 0;
      }
      if (c == '*') {
        if (repeat) return korvane2::textio::kReadBadRepeatCount;
        if (tooLong_) return korvane2::textio::kReadValueTooLong;
        std::int32_t r = 0;
        int st = korvane2::textio::convert_integer(valueText_, r);
        if (st != 0) return st;
        if (r < 1) return korvane2::textio::kReadBadRepeatCount;
        repeatLeft_ = r - 1;
        repeat = true;
        valueText_.clear();
        continue;
      }
      if (valueText_.empty() && (c == '\'' || c == '"' || c == '(')) return korvane2::textio::kReadQuotedValue;
      if (valueText_.size() < kMaxValueText) {
        valueText_.push_back(c);
      } else {
        tooLong_ = true;
      }
    }
  }

  std::string data_;
  std::size_t pos_ = 0;
  char lastSeparator_ = ',';
  int repeatLeft_ = 0;
  std::string valueText_;
  bool tooLong_ = false;
  bool endedAtLineEnd_ = false;
};

// One statement of the record through the reader; returns the first non-zero status.
// `lines` receives the diagnostic line of every item read.
int read_record(FreeFormatReader& r, CharSource& src, Record& rec, std::array<long, 6>& lines, int& items,
                std::string_view data) {
  items = 0;
  int st = r.begin_read(src);
  FUZZ_CHECK(st == 0, "begin_read failed: " + std::to_string(st));
  auto check_kept = [&](const Record& before, int status) {
    if (status != 0)
      FUZZ_CHECK(same(before, rec), "a failed item changed a value: " + text_of(before) + " -> " + text_of(rec) +
                                        " in " + quoted(data));
  };
  std::int32_t* ints[2] = {&rec.Irtb, &rec.N3};
  double* reals[4] = {&rec.okf, &rec.Ctilt, &rec.Rring, &rec.Mbr};
  for (int i = 0; i < 6; ++i) {
    const Record before = rec;
    st = i < 2 ? r.read_integer(*ints[i]) : r.read_double(*reals[i - 2]);
    lines[i] = r.item_line();
    ++items;
    check_kept(before, st);
    if (st != 0) return st;
  }
  return r.end_read();
}

int model_record(Model& m, Record& rec) {
  m.begin();
  int st = m.integer(rec.Irtb);
  if (st == 0) st = m.integer(rec.N3);
  if (st == 0) st = m.real(rec.okf);
  if (st == 0) st = m.real(rec.Ctilt);
  if (st == 0) st = m.real(rec.Rring);
  if (st == 0) st = m.real(rec.Mbr);
  if (st == 0) st = m.end();
  return st;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  korvane2::textio::MemorySource memory(data);
  korvane2::fuzz::ChunkedSource chunked(data, size % 5 + 1, size % 3 + 1);
  Model model(data);
  Record recMemory, recChunked, recModel;

  // Every statement that does not end in end of file consumes at least one byte (of the
  // data and the LF assumed after a last line without one), so there can be no more
  // statements than that, plus the one that meets the end.
  const std::size_t maxStatements = size + 2;
  for (std::size_t statement = 1;; ++statement) {
    FUZZ_CHECK(statement <= maxStatements, "reading the table does not come to an end in " + quoted(data));
    const long lineBefore = memory.line_number();
    const std::size_t modelBefore = model.position();
    FreeFormatReader r1, r2;
    std::array<long, 6> lines1{}, lines2{};
    int items1 = 0, items2 = 0;
    const int st1 = read_record(r1, memory, recMemory, lines1, items1, data);
    const int st2 = read_record(r2, chunked, recChunked, lines2, items2, data);
    const int stm = model_record(model, recModel);
    auto where = [&] { return "statement " + std::to_string(statement) + " of " + quoted(data); };
    FUZZ_CHECK(st1 == stm, "status " + std::to_string(st1) + ", expected " + std::to_string(stm) + "; " + where());
    FUZZ_CHECK(same(recMemory, recModel),
               "values " + text_of(recMemory) + ", expected " + text_of(recModel) + "; " + where());
    FUZZ_CHECK(st2 == st1 && items2 == items1 && same(recChunked, recMemory),
               "the small-buffer source reads differently: status " + std::to_string(st2) + " values " +
                   text_of(recChunked) + "; " + where());
    FUZZ_CHECK(memory.line_number() == chunked.line_number(), "line numbers differ between the sources; " + where());
    for (int i = 0; i < items1; ++i)
      FUZZ_CHECK(lines1[i] == lines2[i], "item lines differ between the sources; " + where());
    if (st1 == 0) {
      FUZZ_CHECK(memory.line_number() > lineBefore,
                 "a successful statement ended on the line it began on, " + std::to_string(lineBefore) + "; " + where());
    }
    if (st1 == korvane2::textio::kReadEndOfFile) {
      FUZZ_CHECK(model.position() == model.size(), "end of file reported before the end of the data; " + where());
      break;
    }
    FUZZ_CHECK(model.position() > modelBefore, "a statement that did not meet the end made no progress; " + where());
  }
  return 0;
}
