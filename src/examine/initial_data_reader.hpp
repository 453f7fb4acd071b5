// Reading an initial-data file back with the system's free-format reader: the header,
// the body records and the trailer, each record with the line it starts on.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane2::examine {

constexpr int kHeaderItems = 24;
constexpr int kBodyItems = 15;
constexpr int kTrailerItems = 15;

// Whether an item (1-based) of the header or the trailer is a 32-bit integer.
bool header_item_is_integer(int item);
bool trailer_item_is_integer(int item);

struct BodyRecord {
  std::array<double, kBodyItems> item{};  // item[0] is item 1
  long line = 0;                          // line of the record's first value

  double mass() const { return item[0]; }
  double x(int k) const { return item[1 + k]; }  // position, k = 0, 1, 2
  double v(int k) const { return item[4 + k]; }  // velocity, k = 0, 1, 2
  double radius() const { return item[13]; }
};

// Every item is held as a double; integer items are exact in it.
struct InitialData {
  std::array<double, kHeaderItems> header{};
  long headerLine = 0;
  std::vector<BodyRecord> bodies;
  std::array<double, kTrailerItems> trailer{};
  long trailerLine = 0;
  int recordsAfterTrailer = 0;  // complete records after the trailer

  double header_item(int item) const { return header[item - 1]; }
  double trailer_item(int item) const { return trailer[item - 1]; }
  int header_NB() const { return static_cast<int>(header_item(20)); }
  int header_Ncub() const { return static_cast<int>(header_item(24)); }
  int trailer_NB() const { return static_cast<int>(trailer_item(2)); }
  double Mtot() const { return trailer_item(3); }
  double Runit() const { return trailer_item(4); }
  double Vfac() const { return trailer_item(5); }
};

// Where and why reading stopped.
struct ReadFailure {
  long line = 0;       // line of the file (1-based) where the failing item was looked for
  std::string record;  // "header", "body record 7", "trailer"
  int item = 0;        // item of that record (1-based)
  int status = 0;      // read status
  std::string why;     // a sentence for the person reading the file

  std::string text() const;
};

// Reads the header (24 items), then every further record of 15 items to the end of the
// file. The trailer is the last record when it reads with the trailer's types, otherwise
// the record after header item 20 body records when that one does; the records before
// the trailer are the bodies, those after it are counted. The count of body records is
// therefore what the file holds, whatever the header says.
std::optional<ReadFailure> read_initial_data(std::string_view bytes, InitialData& data);

}  // namespace korvane2::examine
