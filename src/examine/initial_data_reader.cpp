// The initial-data file read record by record through the system's free-format reader
// over the file's bytes; a failure names the line, the record and the item.
#include "examine/initial_data_reader.hpp"

#include "examine/free_format_statement.hpp"
#include "textio/char_source.hpp"
#include "textio/read_status.hpp"

namespace korvane2::examine {

namespace {

// A record read as doubles, with the lines it occupies.
struct RawRecord {
  std::array<double, kBodyItems> item{};
  long firstLine = 0;  // line of the first value
  long startLine = 0;  // line the statement started on
  long endLine = 0;    // first line after the record
};

bool all_reals(int) { return false; }

// Offsets of the start of every line, so that a record can be read again on its own.
std::vector<std::size_t> line_starts(std::string_view bytes) {
  std::vector<std::size_t> starts{0};
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\n') starts.push_back(i + 1);
  return starts;
}

std::string_view lines_of(std::string_view bytes, const std::vector<std::size_t>& starts, long first, long end) {
  auto at = [&](long line) {
    const std::size_t index = static_cast<std::size_t>(line - 1);
    return index < starts.size() ? starts[index] : bytes.size();
  };
  const std::size_t a = at(first), b = at(end);
  return bytes.substr(a, b > a ? b - a : 0);
}

// Reads a record again with the trailer's item types; the place is in file lines.
int read_as_trailer(std::string_view bytes, const std::vector<std::size_t>& starts, const RawRecord& rec,
                    std::array<double, kTrailerItems>& trailer, StatementPlace& place) {
  textio::MemorySource src(lines_of(bytes, starts, rec.startLine, rec.endLine));
  const int status = read_items(src, trailer, trailer_item_is_integer, place);
  place.failedLine += rec.startLine - 1;
  return status;
}

}  // namespace

bool header_item_is_integer(int item) { return item == 18 || item == 19 || item == 20 || item == 24; }

bool trailer_item_is_integer(int item) { return item == 1 || item == 2 || item >= 6; }

std::string ReadFailure::text() const {
  std::string s = "line " + std::to_string(line) + ", " + record;
  if (item > 0) s += " item " + std::to_string(item);
  return s + ": " + why;
}

std::optional<ReadFailure> read_initial_data(std::string_view bytes, InitialData& data) {
  data = InitialData{};
  textio::MemorySource src(bytes);
  StatementPlace place;

  int status = read_items(src, data.header, header_item_is_integer, place);
  data.headerLine = place.firstLine;
  if (status == textio::kReadEndOfFile && place.failedItem == 1)
    return ReadFailure{place.failedLine, "header", 1, status, "the file holds no record at all"};
  if (status != textio::kReadOk)
    return ReadFailure{place.failedLine, "header", place.failedItem, status, stop_reason(status)};

  // Every further record has 15 items; they are read as doubles first.
  std::vector<RawRecord> records;
  const int headerNB = data.header_NB();
  for (;;) {
    RawRecord rec;
    rec.startLine = src.line_number();
    status = read_items(src, rec.item, all_reals, place);
    if (status == textio::kReadEndOfFile && place.failedItem == 1) break;  // only blank lines were left
    if (status != textio::kReadOk) {
      const int index = static_cast<int>(records.size());
      std::string name = index < headerNB ? "body record " + std::to_string(index + 1) : "trailer";
      return ReadFailure{place.failedLine, name, place.failedItem, status, stop_reason(status)};
    }
    rec.firstLine = place.firstLine;
    rec.endLine = src.line_number();
    records.push_back(rec);
  }
  if (records.empty())
    return ReadFailure{src.line_number(), "trailer", 1, textio::kReadEndOfFile,
                       "the file ends after the header: no body record and no trailer"};

  const auto starts = line_starts(bytes);
  const int last = static_cast<int>(records.size()) - 1;
  int trailerIndex = -1;
  StatementPlace lastPlace;
  const int lastStatus = read_as_trailer(bytes, starts, records[last], data.trailer, lastPlace);
  if (lastStatus == textio::kReadOk) {
    trailerIndex = last;
  } else if (headerNB >= 0 && headerNB < last) {
    std::array<double, kTrailerItems> t{};
    StatementPlace p;
    if (read_as_trailer(bytes, starts, records[headerNB], t, p) == textio::kReadOk) {
      data.trailer = t;
      trailerIndex = headerNB;
    }
  }
  if (trailerIndex < 0)
    return ReadFailure{lastPlace.failedLine, "trailer (the last record)", lastPlace.failedItem, lastStatus,
                       std::string(stop_reason(lastStatus)) + " (the trailer's item " +
                           std::to_string(lastPlace.failedItem) + " is " +
                           (trailer_item_is_integer(lastPlace.failedItem) ? "an integer)" : "a real)")};

  data.trailerLine = records[trailerIndex].firstLine;
  data.bodies.reserve(static_cast<std::size_t>(trailerIndex));
  for (int i = 0; i < trailerIndex; ++i) data.bodies.push_back(BodyRecord{records[i].item, records[i].firstLine});
  data.recordsAfterTrailer = last - trailerIndex;
  return std::nullopt;
}

}  // namespace korvane2::examine
