// Fuzz target: the fuzzed bytes as a parameter file, read with the fixed-column reader in
// the eighteen statements of the parameter file (I12 lines 1, 2, 12, 13, 18; A12 line 17;
// D11.5 the others), stopping at the first non-zero status as the program does. When all
// eighteen succeed, the remaining lines are read on with the three layouts in turn, so
// that every layout meets every kind of line.
//
// Every statement is checked against a small independent model of the column rules
// (line, usable part before a CR, 59 skipped columns, field width, blanks, commas, signs,
// leading zeros, byte 26), and the same statements are read a second time through a
// source with a tiny buffer and tiny refills; both readings must agree with the model in
// status, value, raw field text and line number. Further properties:
//   - a statement never consumes more than one line: after a successful statement the
//     line number has advanced by exactly one;
//   - a failed transfer leaves the destination as it was (a sentinel value);
//   - a statement that finds no line left reports end of file (-1), never an error.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.hpp"
#include "textio/char_source.hpp"
#include "textio/field_conversion.hpp"
#include "textio/fixed_column_reader.hpp"
#include "textio/read_status.hpp"

using korvane2::fuzz::bits_text;
using korvane2::fuzz::quoted;
using korvane2::fuzz::same_bits;
using korvane2::textio::CharSource;
using korvane2::textio::FixedColumnReader;
using korvane2::textio::FixedLayout;
using korvane2::textio::Text12;

namespace {

constexpr FixedLayout I = FixedLayout::kInteger12, D = FixedLayout::kDouble11_5, A = FixedLayout::kText12;
constexpr std::array<FixedLayout, 18> kParameterLayouts = {I, I, D, D, D, D, D, D, D, D, D, I, I, D, D, D, A, I};
constexpr int kMaxExtraLines = 2000;

constexpr std::int32_t kIntegerSentinel = 0x5A5A5A5A;
constexpr double kDoubleSentinel = -7.0e-300;
constexpr Text12 kTextSentinel = {'#', '#', '#', '#', '#', '#', '#', '#', '#', '#', '#', '#'};

// The outcome of one statement.
struct Outcome {
  int status = 0;  // first non-zero status of the three steps, or 0
  std::int32_t integer = kIntegerSentinel;
  double real = kDoubleSentinel;
  Text12 text = kTextSentinel;
  std::string field;  // raw characters taken from the field columns
};

// Independent model of one statement starting at `pos`; advances `pos` to the next line.
Outcome model_statement(std::string_view data, std::size_t& pos, FixedLayout layout) {
  Outcome out;
  if (pos >= data.size()) {
    out.status = korvane2::textio::kReadEndOfFile;
    return out;
  }
  std::size_t lf = data.find('\n', pos);
  std::size_t lineEnd = lf == std::string_view::npos ? data.size() : lf;
  std::string_view line = data.substr(pos, lineEnd - pos);
  std::size_t cr = line.find('\r');
  std::string_view usable = cr == std::string_view::npos ? line : line.substr(0, cr);
  pos = lf == std::string_view::npos ? data.size() : lf + 1;

  std::string_view rest = usable.substr(std::min<std::size_t>(59, usable.size()));
  if (layout == A) {
    Text12 t;
    t.fill(' ');
    for (std::size_t i = 0; i < 12 && i < rest.size(); ++i) {
      t[i] = rest[i];
      out.field.push_back(rest[i]);
    }
    out.text = t;
    return out;
  }
  const bool isDouble = layout == D;
  const std::size_t width = isDouble ? 11 : 12;
  std::string compact;
  for (std::size_t i = 0; i < width && i < rest.size(); ++i) {
    const char c = rest[i];
    out.field.push_back(c);
    if (c == ' ' || c == '\t') continue;
    if (c == ',') break;
    if (c == 26) {
      out.status = korvane2::textio::kReadEndOfFile;
      return out;
    }
    if (c == '+' || c == '-') {
      compact.push_back(c);
      if (isDouble && compact.size() == 1) compact.push_back('0');
    } else if (c == '.') {
      if (isDouble && compact.empty()) compact.push_back('0');
      compact.push_back('.');
    } else if (c == '0') {
      if (isDouble || !compact.empty()) compact.push_back('0');
    } else {
      compact.push_back(c);
    }
  }
  if (isDouble) {
    double v = kDoubleSentinel;
    out.status = korvane2::textio::convert_double(compact, 5, true, v);
    out.real = v;
  } else {
    std::int32_t v = kIntegerSentinel;
    out.status = korvane2::textio::convert_integer(compact, v);
    out.integer = v;
  }
  return out;
}

// One statement through the reader, with the per-statement properties checked.
Outcome read_statement(CharSource& source, FixedLayout layout, std::string_view data) {
  Outcome out;
  FixedColumnReader reader;
  const long lineBefore = source.line_number();
  out.status = reader.begin_read(source, layout);
  FUZZ_CHECK(out.status == 0, "begin_read failed: status " + std::to_string(out.status));
  if (layout == I) {
    out.status = reader.read_integer(out.integer);
    if (out.status != 0)
      FUZZ_CHECK(out.integer == kIntegerSentinel, "failed integer transfer changed its destination to " +
                                                      std::to_string(out.integer) + " in " + quoted(data));
  } else if (layout == D) {
    out.status = reader.read_double(out.real);
    if (out.status != 0)
      FUZZ_CHECK(same_bits(out.real, kDoubleSentinel),
                 "failed double transfer changed its destination to " + bits_text(out.real) + " in " + quoted(data));
  } else {
    out.status = reader.read_text(out.text);
    if (out.status != 0)
      FUZZ_CHECK(out.text == kTextSentinel, "failed text transfer changed its destination in " + quoted(data));
  }
  out.field = reader.field_text();
  FUZZ_CHECK(reader.line_number() == lineBefore, "statement line number " + std::to_string(reader.line_number()) +
                                                      " is not the line it started on, " + std::to_string(lineBefore));
  if (out.status != 0) return out;
  out.status = reader.end_read();
  if (out.status != 0) return out;
  FUZZ_CHECK(source.line_number() == lineBefore + 1,
             "a successful statement moved from line " + std::to_string(lineBefore) + " to line " +
                 std::to_string(source.line_number()) + " in " + quoted(data));
  return out;
}

void compare(const Outcome& got, const Outcome& want, int statement, const char* sourceName, std::string_view data) {
  auto where = [&] { return std::string(sourceName) + " statement " + std::to_string(statement) + " of " + quoted(data); };
  FUZZ_CHECK(got.status == want.status,
             "status " + std::to_string(got.status) + ", expected " + std::to_string(want.status) + "; " + where());
  FUZZ_CHECK(got.field == want.field, "field text " + quoted(got.field) + ", expected " + quoted(want.field) + "; " + where());
  if (got.status != 0) return;
  FUZZ_CHECK(got.integer == want.integer,
             "integer " + std::to_string(got.integer) + ", expected " + std::to_string(want.integer) + "; " + where());
  FUZZ_CHECK(same_bits(got.real, want.real),
             "double " + bits_text(got.real) + ", expected " + bits_text(want.real) + "; " + where());
  FUZZ_CHECK(got.text == want.text, "text " + quoted(std::string_view(got.text.data(), 12)) + ", expected " +
                                        quoted(std::string_view(want.text.data(), 12)) + "; " + where());
}

FixedLayout layout_of(int statement) {
  if (statement < 18) return kParameterLayouts[statement];
  static constexpr FixedLayout kCycle[3] = {I, D, A};
  return kCycle[statement % 3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  korvane2::textio::MemorySource memory(data);
  korvane2::fuzz::ChunkedSource chunked(data, size % 7 + 1, size % 5 + 1);

  std::size_t modelPos = 0;
  for (int statement = 0; statement < 18 + kMaxExtraLines; ++statement) {
    const FixedLayout layout = layout_of(statement);
    const bool atEnd = modelPos >= data.size();
    const Outcome want = model_statement(data, modelPos, layout);
    const Outcome got = read_statement(memory, layout, data);
    compare(got, want, statement + 1, "memory source", data);
    const Outcome gotChunked = read_statement(chunked, layout, data);
    compare(gotChunked, want, statement + 1, "small-buffer source", data);
    if (atEnd) FUZZ_CHECK(got.status == -1, "no line left but status " + std::to_string(got.status));
    if (got.status != 0) break;  // the program abandons the parameter file here
  }
  return 0;
}
