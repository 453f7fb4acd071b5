// Fuzz target: ring summary records written by one run and read back as the ring table of
// the next run.
//
// The bytes are cut into records of 40 bytes: two 32-bit integers (ring number, body
// count) and four doubles (coefficient, tilt coefficient, semi-major axis, body mass);
// doubles that are not finite are replaced by 1.0, since the arithmetic traps stop a run
// before such a value could be written. The records are written with the free-format
// writer, lines ended by CR LF as in a file, and read back with the free-format reader.
// Checks:
//   - every double text is the one the rules of the double text give, worked out here
//     from the exact decimal expansion of the double (printed exactly by the C library):
//     17 digits rounded half away from zero, the second rounding to 16 digits on that
//     string, the fixed form for 1 <= X <= 7, otherwise the exponent form with three
//     exponent digits;
//   - every record takes two lines of exactly the expected columns (the integers in 11
//     columns, the doubles in 24, one separating blank, the leading blank of the record);
//   - reading back gives the integers exactly and, for every double, the correctly
//     rounded double of its text (strtod), within 16 digits of the value written; a text
//     beyond the largest double is a real overflow for the reader;
//   - the reader takes exactly one record per statement and then meets the end of file.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.hpp"
#include "textio/char_source.hpp"
#include "textio/double_text.hpp"
#include "textio/free_format_reader.hpp"
#include "textio/free_format_writer.hpp"
#include "textio/line_sink.hpp"
#include "textio/read_status.hpp"

using korvane2::fuzz::bits_text;
using korvane2::fuzz::quoted;
using korvane2::fuzz::same_bits;

namespace {

constexpr std::size_t kRecordBytes = 40;
constexpr std::size_t kMaxRecords = 16;

struct Record {
  std::int32_t ring, n3;
  double values[4];
};

class FileSink final : public korvane2::textio::LineSink {
 public:
  void put_line(std::string_view line) override {
    lines.emplace_back(line);
    file.append(line);
    file.append("\r\n");
  }
  std::vector<std::string> lines;
  std::string file;
};

// Adds one to the decimal digit string; returns true when it carried out of the first
// digit (the string is then "1" followed by zeros, one digit longer).
bool increment(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
  return true;
}

// The free-format text of a finite double by the rules of the double text.
std::string expected_text(double d) {
  if (d == 0.0) return "0.000000000000000E+000";
  std::vector<char> buf(900);
  std::snprintf(buf.data(), buf.size(), "%.780e", std::fabs(d));  // exact: a double has at most 767 digits
  const std::string exact = buf.data();
  const std::size_t e = exact.find('e');
  std::string all = exact.substr(0, 1) + exact.substr(2, e - 2);  // significant digits
  int X = std::atoi(exact.c_str() + e + 1) + 1;                   // value = 0.d1d2... * 10^X
  // 17 digits, halves away from zero.
  std::string digits = all.substr(0, 17);
  if (all[17] >= '5' && increment(digits)) {
    digits.resize(17);
    ++X;
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const bool fixed = X >= 1 && X <= 7;
  // Second rounding, to 16 digits, on the 17-digit string.
  if (digits.size() == 17) {
    const bool up = digits[16] >= '5';
    digits.resize(16);
    if (up && increment(digits)) {
      digits.resize(16);
      ++X;
    }
  }
  auto digit = [&digits](int i) { return i < static_cast<int>(digits.size()) ? digits[i] : '0'; };
  std::string text = d < 0 ? "-" : "";
  if (fixed) {
    int i = 0;
    for (; i < X; ++i) text.push_back(digit(i));
    text.push_back('.');
    for (int k = 0; k < 15; ++k) text.push_back(digit(i + k));
  } else {
    text.push_back(digit(0));
    text.push_back('.');
    for (int k = 1; k <= 15; ++k) text.push_back(digit(k));
    char ex[8];
    std::snprintf(ex, sizeof ex, "E%c%03d", X - 1 < 0 ? '-' : '+', std::abs(X - 1));
    text += ex;
  }
  return text;
}

std::string right(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  std::vector<Record> records;
  for (std::size_t at = 0; at + kRecordBytes <= size && records.size() < kMaxRecords; at += kRecordBytes) {
    Record r;
    std::memcpy(&r.ring, bytes + at, 4);
    std::memcpy(&r.n3, bytes + at + 4, 4);
    std::memcpy(r.values, bytes + at + 8, 32);
    for (double& v : r.values)
      if (!std::isfinite(v)) v = 1.0;
    records.push_back(r);
  }

  FileSink sink;
  std::vector<std::string> texts;  // expected double texts, four per record
  for (const Record& r : records) {
    korvane2::textio::FreeFormatWriter w(sink);
    w.begin_record();
    w.put_integer(r.ring);
    w.put_integer(r.n3);
    std::string line1 = " " + right(std::to_string(r.ring), 11) + " " + right(std::to_string(r.n3), 11);
    std::string line2;
    for (int k = 0; k < 4; ++k) {
      const double v = r.values[k];
      w.put_double(v);
      const std::string want = expected_text(v);
      char got[32];
      const std::size_t n = korvane2::textio::format_free_double(v, got);
      FUZZ_CHECK(n <= 24 && std::string(got, n) == want, "double text of " + bits_text(v) + " is " +
                                                             quoted(std::string_view(got, n <= 24 ? n : 24)) +
                                                             ", expected " + quoted(want));
      texts.push_back(want);
      (k < 2 ? line1 : line2) += " " + right(want, 24);
    }
    w.end_record();
    const std::size_t first = sink.lines.size() - 2;
    FUZZ_CHECK(sink.lines.size() >= 2 && sink.lines[first] == line1 && sink.lines[first + 1] == line2,
               "record lines " + quoted(sink.lines[first]) + " / " + quoted(sink.lines[first + 1]) + ", expected " +
                   quoted(line1) + " / " + quoted(line2));
  }
  FUZZ_CHECK(sink.lines.size() == 2 * records.size(),
             std::to_string(sink.lines.size()) + " lines for " + std::to_string(records.size()) + " records");

  korvane2::textio::MemorySource source(sink.file);
  std::int32_t ring = 0, n3 = 0;
  double values[4] = {0, 0, 0, 0};
  for (std::size_t i = 0; i < records.size(); ++i) {
    const long lineBefore = source.line_number();
    korvane2::textio::FreeFormatReader r;
    int st = r.begin_read(source);
    if (st == 0) st = r.read_integer(ring);
    if (st == 0) st = r.read_integer(n3);
    FUZZ_CHECK(st == 0 && ring == records[i].ring && n3 == records[i].n3,
               "record " + std::to_string(i + 1) + ": integers read back as " + std::to_string(ring) + " " +
                   std::to_string(n3) + " with status " + std::to_string(st));
    for (int k = 0; k < 4; ++k) {
      const std::string& text = texts[4 * i + static_cast<std::size_t>(k)];
      const double want = std::strtod(text.c_str(), nullptr);
      const double before = values[k];
      st = r.read_double(values[k]);
      if (std::isinf(want)) {
        // Only the largest doubles round up beyond the range at 16 digits.
        FUZZ_CHECK(st == korvane2::textio::kReadRealOverflow && same_bits(values[k], before),
                   "text " + quoted(text) + " read with status " + std::to_string(st));
        return 0;  // the table ends here for the program as well
      }
      FUZZ_CHECK(st == 0 && same_bits(values[k], want), "record " + std::to_string(i + 1) + ": " + quoted(text) +
                                                            " read back as " + bits_text(values[k]) + ", status " +
                                                            std::to_string(st) + ", expected " + bits_text(want));
      const double written = records[i].values[k];
      if (std::fabs(written) >= 2.2250738585072014e-308)  // normal doubles: 16 digits are kept
        FUZZ_CHECK(std::fabs(values[k] - written) <= std::fabs(written) * 1e-15,
                   bits_text(written) + " came back as " + bits_text(values[k]));
    }
    st = r.end_read();
    FUZZ_CHECK(st == 0, "end of record " + std::to_string(i + 1) + ": status " + std::to_string(st));
    FUZZ_CHECK(source.line_number() == lineBefore + 2,
               "record " + std::to_string(i + 1) + " did not take exactly its two lines");
  }
  korvane2::textio::FreeFormatReader last;
  last.begin_read(source);
  FUZZ_CHECK(last.read_integer(ring) == korvane2::textio::kReadEndOfFile, "data left after the last record");
  return 0;
}
