// Reading the program's free-format result files back for the end-to-end tests: the
// initial-data file (header, body records, trailer), the ring summary file, and lines.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korvane2::testing {

struct InitialDataHeader {
  std::array<double, 17> d{};  // items 1..17 (d[0] is item 1)
  std::int32_t one1 = 0;       // item 18
  std::int32_t one2 = 0;       // item 19
  std::int32_t NB = 0;         // item 20
  std::array<double, 3> hd{};  // items 21..23
  std::int32_t Ncub = 0;       // item 24

  double Mmax() const { return d[1]; }
  double momentum(int k) const { return d[4 + k]; }  // k = 0, 1, 2
  double Amom(int k) const { return d[7 + k]; }      // k = 0, 1, 2
  double Phead() const { return d[16]; }
};

struct BodyRecord {
  std::array<double, 15> item{};  // items 1..15 (item[0] is item 1)

  double m() const { return item[0]; }
  double x(int k) const { return item[1 + k]; }  // barycentric position, k = 0, 1, 2
  double v(int k) const { return item[4 + k]; }  // barycentric velocity, k = 0, 1, 2
  double rad() const { return item[13]; }
};

struct InitialDataTrailer {
  std::int32_t Ntail = 0;
  std::int32_t NB = 0;
  double Mtot = 0.0;
  double Runit = 0.0;
  double Vfac = 0.0;
  std::array<std::int32_t, 10> zeros{};
};

struct InitialData {
  bool complete = false;  // the header, header.NB body records and the trailer were read
  std::string failure;    // which item could not be read, when not complete
  InitialDataHeader header;
  std::vector<BodyRecord> bodies;
  InitialDataTrailer trailer;
  bool bytesAfterTrailer = false;  // anything at all left after the trailer record
};

// Reads an initial-data file with the system's own free-format reader.
InitialData read_initial_data(const std::string& bytes);

// One record of the ring summary file: the six items of a ring-table record.
struct SummaryRecord {
  std::int32_t Iring = 0;
  std::int32_t N3 = 0;
  double okf = 0.0;
  double Ctilt = 0.0;
  double Rring = 0.0;
  double Mbr = 0.0;
};

// Reads every record of a ring summary file as ring-table records (two integers, four
// doubles each). `complete` is false when a record failed part way.
std::vector<SummaryRecord> read_ring_summary(const std::string& bytes, bool* complete = nullptr);

// The lines of a text whose lines end in CR LF, without their terminators. A last line
// not ended by CR LF is returned as well, and `allCrLf` (when given) tells whether every
// line was ended by CR LF (and no LF stood alone).
std::vector<std::string> split_lines(const std::string& bytes, bool* allCrLf = nullptr);

// The number in a free-format field (a double text, possibly with blanks around it);
// fails the calling test (via ADD_FAILURE) and returns NaN when it is not one.
double number_in(const std::string& field);

}  // namespace korvane2::testing
