// korvane2-inspect on initial-data files made by korvane2: every check holds on what the
// program writes, the summary agrees with the physics of the rings, each single fault
// edited into the file fails its check with status 1, and a file that cannot be read
// ends with status 2 naming the line and the item.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <ostream>
#include <string>
#include <vector>

#include "support/initial_data.hpp"
#include "support/program_run.hpp"
#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

constexpr double kG = 6.67259e-11;
constexpr double kAU = 149597870691.0;
constexpr double kPi = 3.141592653589793;

// Two rings about a star of 1.998e30 kg: 12 bodies at 1 AU and 18 at 1.5 AU, each body
// of (2e30 - 1.998e30) / 12 kg.
ParameterFile two_rings() { return ParameterFile().set(1, "2"); }

std::vector<std::string> lines_of(const std::string& text) { return split_lines(text); }

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// Replaces the `index`-th number (from 0) of a line, keeping the others.
std::string with_token(const std::string& line, int index, const std::string& text) {
  std::istringstream in(line);
  std::vector<std::string> tokens;
  for (std::string t; in >> t;) tokens.push_back(t);
  tokens.at(static_cast<std::size_t>(index)) = text;
  std::string out;
  for (const auto& t : tokens) out += "   " + t;
  return out;
}

// The writer's layout: header lines 1-8 (items 1-3, 4-6, 7-9, 10-12, 13-15, 16-19,
// 20-22, 23-24), five lines of three items per body, three trailer lines (1-4, 5-9,
// 10-15); numbers here are 1-based items.
std::pair<int, int> header_place(int item) {
  if (item <= 15) return {(item - 1) / 3, (item - 1) % 3};
  if (item <= 19) return {5, item - 16};
  if (item <= 22) return {6, item - 20};
  return {7, item - 23};
}
std::pair<int, int> body_place(int body, int item) { return {8 + 5 * (body - 1) + (item - 1) / 3, (item - 1) % 3}; }
std::pair<int, int> trailer_place(int NB, int item) {
  const int first = 8 + 5 * NB;
  if (item <= 4) return {first, item - 1};
  if (item <= 9) return {first + 1, item - 5};
  return {first + 2, item - 10};
}

// The cells of a ring's row in the summary's ring table.
std::vector<std::string> ring_row(const std::string& out, int ring) {
  std::istringstream rows(out.substr(out.find("\nRings (")));
  for (std::string row; std::getline(rows, row);) {
    std::istringstream in(row);
    std::vector<std::string> cells;
    for (std::string c; in >> c;) cells.push_back(c);
    if (!cells.empty() && cells[0] == std::to_string(ring)) return cells;
  }
  return {};
}

using Edit = std::function<void(std::vector<std::string>&)>;

Edit set_item(std::pair<int, int> place, std::string text) {
  return [=](std::vector<std::string>& lines) {
    auto& line = lines.at(static_cast<std::size_t>(place.first));
    line = with_token(line, place.second, text);
  };
}

class InspectProgram : public ::testing::Test {
 protected:
  // Runs korvane2 on the parameters; the initial-data file is ring.ini.
  void build(const ParameterFile& p) {
    dir_.write("Korvane2.dat", p.text());
    const ProgramResult r = run_korvane2(dir_);
    ASSERT_EQ(r.status, 0) << r.err;
    original_ = dir_.read("ring.ini");
    data_ = read_initial_data(original_);
    ASSERT_TRUE(data_.complete) << data_.failure;
  }
  ProgramResult inspect(std::vector<std::string> args) { return run_inspect(dir_, RunOptions{.args = std::move(args)}); }
  // The value after a label of the summary, as a number.
  static double value_after(const std::string& out, const std::string& label) {
    const std::size_t at = out.find("  " + label + " ");
    if (at == std::string::npos) {
      ADD_FAILURE() << "no line " << label << " in\n" << out;
      return NAN;
    }
    return std::strtod(out.c_str() + at + label.size() + 2, nullptr);
  }

  TempDir dir_;
  std::string original_;
  InitialData data_;
};

TEST_F(InspectProgram, EveryCheckHoldsOnWhatTheProgramWritesAndTheSummaryFitsThePhysics) {
  build(two_rings());
  const ProgramResult r = inspect({"--rings", "rngtbout.dat", "ring.ini"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("  all 13 checks hold\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  bodies                      31 (header item 20: 31, trailer item 2: 31)\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(value_after(r.out, "Ncub (header item 24)"), 3.0);  // cube root of 32 is 3.17

  // Mass unit: the star and 30 ring bodies.
  const double Mcen = 0.999 * 2.0e30, Mbr = (2.0e30 - 0.999 * 2.0e30) / 12.0;
  const double Mtot = Mcen + 30 * Mbr;
  EXPECT_NEAR(value_after(r.out, "mass unit Mtot"), Mtot, 1e-12 * Mtot);
  // Time unit: 100 periods of ring 1, a conic of semi-major axis 1 AU about the star and
  // the pull of the other 11 bodies (the force sum of a regular 12-gon).
  double Fsum = 0;
  for (int m = 1; m < 12; ++m) Fsum += 0.25 / std::sin(m * kPi / 12);
  const double T1 = 2 * kPi * std::sqrt(std::pow(kAU, 3) / (kG * (Mcen + Fsum * Mbr)));
  EXPECT_NEAR(value_after(r.out, "time unit Runit/velocity"), 100 * T1, 1e-9 * 100 * T1);
  EXPECT_NEAR(value_after(r.out, "total mass"), 1.0, 1e-14);
  EXPECT_NEAR(value_after(r.out, "virial ratio 2T/|W|"), 1.0, 0.05);  // bound orbits about a star

  // The ring table: body counts, masses and the mean distance of bodies one true-anomaly
  // step apart on a conic of eccentricity 0.1, r = a (1 - e^2) / (1 + e cos v).
  for (auto [ring, N3, a] : {std::tuple{1, 12, 1.0}, std::tuple{2, 18, 1.5}}) {
    double mean = 0;
    for (int k = 0; k < N3; ++k) mean += a * (1 - 0.01) / (1 + 0.1 * std::cos(2 * kPi * k / N3)) / N3;
    const std::vector<std::string> m = ring_row(r.out, ring);
    ASSERT_EQ(m.size(), 5u) << r.out;
    EXPECT_EQ(m[1], std::to_string(N3));
    EXPECT_NEAR(std::stod(m[2]), N3 * Mbr / Mtot, 1e-15);
    const double meanInLengthUnits = mean * kAU / data_.trailer.Runit;
    EXPECT_NEAR(std::stod(m[3]), meanInLengthUnits, 1e-12 * meanInLengthUnits);
    EXPECT_NEAR(std::stod(m[4]), mean, 1e-5 * mean);  // six digits
  }
  EXPECT_NE(r.out.find("  bodies in the rings         1 + 30 = 31\n"), std::string::npos) << r.out;
}

struct Variant {
  const char* name;
  std::function<ParameterFile()> parameters;
};

void PrintTo(const Variant& c, std::ostream* os) { *os << c.name; }

class InspectProgramVariants : public InspectProgram, public ::testing::WithParamInterface<Variant> {};

TEST_P(InspectProgramVariants, EveryCheckHolds) {
  build(GetParam().parameters());
  const ProgramResult r = inspect({"--rings", "rngtbout.dat", "ring.ini"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("  all 13 checks hold\n"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Inspect, InspectProgramVariants,
    ::testing::Values(Variant{"ThreeTurnedRings", [] { return ParameterFile().set(1, "3").set(12, "1"); }},
                      Variant{"InclinedEccentric", [] { return two_rings().set(14, "0.7").set(6, "0.5"); }},
                      Variant{"MasslessRingBodies", [] { return ParameterFile().set(4, "1.0"); }}),
    [](const auto& info) { return std::string(info.param.name); });

struct FaultCase {
  const char* name;
  Edit edit;
  const char* finding;  // start of the line that names the failed check
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class InspectProgramFault : public InspectProgram, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(InspectProgramFault, FailsTheCheckWithStatusOne) {
  build(two_rings());
  std::vector<std::string> lines = lines_of(original_);
  GetParam().edit(lines);
  dir_.write("edited.ini", joined(lines));
  const ProgramResult r = inspect({"edited.ini"});
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_NE(r.out.find(std::string("\n  FAILED ") + GetParam().finding), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" checks failed: "), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Inspect, InspectProgramFault,
    ::testing::Values(
        FaultCase{"BodyRecordMissing",
                  [](std::vector<std::string>& l) {
                    l.erase(l.begin() + body_place(5, 1).first, l.begin() + body_place(6, 1).first);
                  },
                  "record-count: header item 20: NB = 31, but the file holds 30 body records"},
        FaultCase{"MassChanged", set_item(body_place(3, 1), "1.0E-3"), "masses: body records item 1: "},
        FaultCase{"HeaderConstantChanged", set_item(header_place(22), "0.75"),
                  "header-constants: header item 22: is 0.75, must be 0.5"},
        FaultCase{"HeaderCountChanged", set_item(header_place(20), "32"), "record-count: header item 20: NB = 32"},
        FaultCase{"MomentumNotZero", set_item(body_place(4, 6), "1.5"), "momentum: body records items 5-7: "},
        FaultCase{"HeaderMomentumNotZero", set_item(header_place(7), "1.0E-9"), "momentum: header items 5-7: "},
        FaultCase{"AngularMomentumChanged", set_item(header_place(10), "1.0E-3"),
                  "angular-momentum: header items 8-10: "},
        FaultCase{"BodyZeroItem", set_item(body_place(7, 11), "1.0E-30"), "body-zeros: body 7 item 11 (record from line 39): "},
        FaultCase{"TrailerZeroItem", set_item(trailer_place(31, 12), "7"),
                  "trailer-constants: trailer item 12: is 7, must be 0"},
        FaultCase{"NcubChanged", set_item(header_place(24), "4"), "ncub: header item 24: Ncub = 4"}),
    [](const auto& info) { return std::string(info.param.name); });

struct UnreadableCase {
  const char* name;
  std::function<std::string(const std::string&)> content;
  const char* message;  // part of the message on standard error
};

void PrintTo(const UnreadableCase& c, std::ostream* os) { *os << c.name; }

class InspectProgramUnreadable : public InspectProgram, public ::testing::WithParamInterface<UnreadableCase> {};

TEST_P(InspectProgramUnreadable, EndsWithStatusTwoNamingLineAndItem) {
  build(two_rings());
  dir_.write("bad.ini", GetParam().content(original_));
  const ProgramResult r = inspect({"bad.ini"});
  EXPECT_EQ(r.status, 2) << r.out << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Inspect, InspectProgramUnreadable,
    ::testing::Values(
        UnreadableCase{"Empty", [](const std::string&) { return std::string(); },
                       "bad.ini: cannot be read: line 1, header item 1: the file holds no record at all"},
        UnreadableCase{"LetterInAValue",
                       [](const std::string& f) {
                         auto l = lines_of(f);
                         set_item(body_place(2, 4), "1.5Q")(l);
                         return joined(l);
                       },
                       "line 15, body record 2 item 4: not a real number"},
        UnreadableCase{"CutInsideABodyRecord",
                       [](const std::string& f) {
                         auto l = lines_of(f);
                         l.resize(20);
                         return joined(l);
                       },
                       "line 21, body record 3 item 7: the file ends inside the record"},
        UnreadableCase{"TrailerWithARealCount",
                       [](const std::string& f) {
                         auto l = lines_of(f);
                         set_item(trailer_place(31, 2), "31.0")(l);
                         return joined(l);
                       },
                       "line 164, trailer (the last record) item 2: not an integer"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InspectProgram, MissingFilesEndWithStatusTwo) {
  build(two_rings());
  ProgramResult r = inspect({"absent.ini"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("korvane2-inspect: cannot read absent.ini"), std::string::npos) << r.err;
  r = inspect({"--rings", "absent.dat", "ring.ini"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("cannot read absent.dat"), std::string::npos) << r.err;
  r = inspect({"--svg", "no-such-dir/p.svg", "ring.ini"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("cannot write no-such-dir/p.svg"), std::string::npos) << r.err;
}

TEST_F(InspectProgram, RingSummaryOfAnotherRunFailsTheRingCount) {
  build(two_rings());
  dir_.write("other.dat", "1 12 0.95 0.3 1.5E11 1.0E26\n");
  const ProgramResult r = inspect({"--rings=other.dat", "ring.ini"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("FAILED ring-count: rngtbout.dat: the 1 ring hold 1 + 12 = 13 bodies, the initial-data file 31"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("FAILED ring-masses: body 2 item 1"), std::string::npos) << r.out;
}

TEST_F(InspectProgram, CsvTableHoldsEveryBodyWithItsRing) {
  build(two_rings());
  const ProgramResult r = inspect({"--rings", "rngtbout.dat", "--csv", "bodies.csv", "ring.ini"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> rows = split_lines(dir_.read("bodies.csv"));
  ASSERT_EQ(rows.size(), 32u);
  EXPECT_EQ(rows[0], "index,ring,mass,x,y,z,vx,vy,vz,radius");
  for (std::size_t j = 1; j < rows.size(); ++j) {
    std::vector<std::string> cells;
    std::stringstream row(rows[j]);
    for (std::string c; std::getline(row, c, ',');) cells.push_back(c);
    ASSERT_EQ(cells.size(), 10u) << rows[j];
    EXPECT_EQ(cells[0], std::to_string(j));
    EXPECT_EQ(cells[1], j == 1 ? "0" : j <= 13 ? "1" : "2") << rows[j];
    const BodyRecord& b = data_.bodies[j - 1];
    const double want[8] = {b.m(), b.x(0), b.x(1), b.x(2), b.v(0), b.v(1), b.v(2), b.rad()};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(std::strtod(cells[static_cast<std::size_t>(2 + k)].c_str(), nullptr), want[k]);
  }
}

}  // namespace
}  // namespace korvane2::testing
