// The dry run of a parameter file, korvane2-inspect --params: the eighteen values are
// those a run reads, each kind of suspicious hand edit is warned about (and a clean file
// gives no warning), the rings are shown as a run builds them with and without a ring
// table, a file a run cannot use ends with status 2, and nothing is written.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/initial_data.hpp"
#include "support/program_run.hpp"
#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {


// A line of the parameter file: the label cut or padded to column - 1, then the text.
std::string raw_line(const std::string& label, int column, const std::string& text) {
  std::string line = label;
  line.resize(static_cast<std::size_t>(column - 1), ' ');
  return line + text;
}

// The parameter file with line `number` (1..18) replaced by a raw line.
std::string with_line(const ParameterFile& p, int number, const std::string& line) {
  std::vector<std::string> lines = split_lines(p.text());
  lines.at(static_cast<std::size_t>(number - 1)) = line;
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

ProgramResult dry_run(const TempDir& dir, std::vector<std::string> args = {"--params"}) {
  return run_inspect(dir, RunOptions{.args = std::move(args)});
}

// The value the dry run shows for a line of the parameter file: what follows the quoted
// field text on the line's row.
std::string shown_value(const std::string& out, int line) {
  std::istringstream rows(out);
  for (std::string row; std::getline(rows, row);) {
    std::istringstream cells(row);
    std::string number, name, columns;
    if (!(cells >> number >> name >> columns) || number != std::to_string(line) || columns.rfind("60-7", 0) != 0)
      continue;
    const std::size_t open = row.find('"');
    const std::size_t close = row.find("\" ", open + 1);
    if (open == std::string::npos || close == std::string::npos) break;
    return row.substr(row.find_first_not_of(' ', close + 1));
  }
  ADD_FAILURE() << "no row for line " << line << " in\n" << out;
  return {};
}

// The cells of the row of a ring in the rings table.
std::vector<std::string> ring_row(const std::string& out, int ring) {
  std::istringstream in(out.substr(out.find("\nRings as a run")));
  for (std::string line; std::getline(in, line);) {
    std::istringstream cells(line);
    std::vector<std::string> row;
    for (std::string c; cells >> c;) row.push_back(c);
    if (!row.empty() && row[0] == std::to_string(ring)) return row;
  }
  ADD_FAILURE() << "no row for ring " << ring << " in\n" << out;
  return {};
}

std::string warnings_of(const std::string& out) {
  const std::size_t from = out.find("\nWarnings\n"), to = out.find("\nRings as a run");
  return from == std::string::npos ? std::string() : out.substr(from, to - from);
}

// The parameters echoed at the end of the report file: integers and doubles in file
// order, the 12 characters of the file name, and Ntail.
struct Echo {
  std::vector<double> numbers;  // lines 1..16 and 18, in order
  std::string name;
};

Echo report_echo(const std::string& report) {
  const std::size_t at = report.find("Initial data in file Korvane2.dat");
  std::istringstream tokens(report.substr(report.find('\n', at) + 1));
  Echo e;
  // The name follows the last double directly ("...E-001ring.ini"), without a blank.
  for (std::string t; tokens >> t;) {
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str()) e.numbers.push_back(v);
    if (*end != '\0') e.name += end;
  }
  return e;
}

TEST(InspectParams, EveryValueShownIsTheOneARunReads) {
  TempDir dir;
  ParameterFile p;
  p.set(1, "2").set(3, "2.002002D30").set(11, "1.0D-9").set(14, "0.25").set(16, "12345").set(18, "12,5");
  std::string text = with_line(p, 17, raw_line("Initial-data file fnIni", 60, "ring_long_name.ini"));
  dir.write("Korvane2.dat", text);

  const ProgramResult dry = dry_run(dir);
  ASSERT_EQ(dry.status, 0) << dry.out << dry.err;
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"Korvane2.dat"});  // a dry run writes nothing

  const ProgramResult run = run_korvane2(dir);
  ASSERT_EQ(run.status, 0) << run.err;
  const Echo echo = report_echo(dir.read("Korvane2Err"));
  ASSERT_EQ(echo.numbers.size(), 17u);
  for (int line = 1; line <= 18; ++line) {
    if (line == 17) continue;
    const double want = echo.numbers[static_cast<std::size_t>(line < 17 ? line - 1 : 16)];
    const double shown = std::strtod(shown_value(dry.out, line).c_str(), nullptr);
    EXPECT_NEAR(shown, want, 1e-15 * std::fabs(want)) << "line " << line;
  }
  EXPECT_EQ(shown_value(dry.out, 17), "\"" + echo.name + "\"");
  EXPECT_EQ(echo.name, "ring_long_na");
  EXPECT_TRUE(dir.exists("ring_long_na"));
  // The hand-computed readings of the suspicious fields.
  EXPECT_EQ(shown_value(dry.out, 16), "0.12345");
  EXPECT_EQ(shown_value(dry.out, 18), "12");
  EXPECT_EQ(shown_value(dry.out, 3), "2.002002e+30");
  // And what the run made of them.
  const InitialData d = read_initial_data(dir.read("ring_long_na"));
  ASSERT_TRUE(d.complete) << d.failure;
  EXPECT_EQ(d.header.Phead(), 0.12345);
  EXPECT_EQ(d.trailer.Ntail, 12);
}

TEST(InspectParams, CleanFileHasNoWarningsAndShowsTheRingsOfTheFormulas) {
  TempDir dir;
  dir.write("Korvane2.dat", ParameterFile().set(1, "3").text());
  const ProgramResult r = dry_run(dir);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(warnings_of(r.out), "\nWarnings\n  none");
  EXPECT_NE(r.out.find("no ring table rngtbinp.dat"), std::string::npos);
  // Semi-major axes 1, 1.5 and 2 AU, so 12, 18 and 24 bodies.
  EXPECT_NE(r.out.find("  bodies in all               1 + 12 + 18 + 24 = 55\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find('*'), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" 224396806036.5 "), std::string::npos) << r.out;  // 1.5 AU in metres
}

struct EditCase {
  const char* name;
  int line;
  std::string text;     // the whole line
  std::string warning;  // part of the warning
  std::string value;    // the value a run reads from the line
};

void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }

class InspectParamsEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(InspectParamsEdit, IsWarnedAboutAndShowsTheValueARunReads) {
  const EditCase& c = GetParam();
  TempDir dir;
  dir.write("Korvane2.dat", with_line(ParameterFile(), c.line, c.text));
  const ProgramResult r = dry_run(dir);
  EXPECT_EQ(shown_value(r.out, c.line), c.value);
  const std::string warnings = warnings_of(r.out);
  EXPECT_NE(warnings.find(c.warning), std::string::npos) << warnings;
  // One line of warnings about this line only (the edits give one warning each).
  EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 2) << warnings;
  EXPECT_EQ(warnings.find("line " + std::to_string(c.line) + " ("), 1 + std::string("Warnings\n  ").size()) << warnings;
}

INSTANTIATE_TEST_SUITE_P(
    Inspect, InspectParamsEdit,
    ::testing::Values(
        EditCase{"ValueShiftedLeft", 3, raw_line("Mass Mstr, kg", 58, "2.0D30"),
                 "column 59, just before the field (columns 60-70), is not blank: \"2.0D30\" (columns 58-63) begins "
                 "before the field",
                 "0"},
        EditCase{"ValueShiftedRight", 11, raw_line("Tolerance EPS", 65, "1.0D-10"),
                 "column 71, just after the field (columns 60-70), is not blank: \"1.0D-10\" (columns 65-71) runs past "
                 "column 70",
                 "0.1"},
        EditCase{"IntegerShiftedRight", 2, raw_line("Base number N30", 63, "        12"),
                 "column 72, just after the field (columns 60-71), is not blank: \"12\" (columns 71-72) runs past "
                 "column 71",
                 "1"},
        EditCase{"NoDecimalPoint", 5, raw_line("Semi-major axis R1au, AU", 60, "          2"),
                 "\"2\" has no decimal point, so it has five implied decimals and reads as 2e-05; write \"2.0\"",
                 "2e-05"},
        EditCase{"ExponentWithoutDecimalPoint", 3, raw_line("Mass Mstr, kg", 60, "       2D30"),
                 "reads as 2e+25; write \"2.0D30\"", "2e+25"},
        EditCase{"CommaCutsAnInteger", 18, raw_line("Trailer value Ntail", 60, "    12,5    "),
                 "a comma in column 66 ends the field: \"5    \" after it is not read", "12"},
        EditCase{"NameLongerThanTwelve", 17, raw_line("Initial-data file fnIni", 60, "structure.init"),
                 "the name \"structure.init\" has 14 characters, more than twelve: only columns 60-71 are read, and "
                 "the file is named \"structure.in\"",
                 "\"structure.in\""},
        EditCase{"NumberBeforeABlankField", 15, raw_line("Density Rho, kg/m3        2000.0", 60, ""),
                 "the field (columns 60-70) is blank and reads as 0, but the number \"2000.0\" stands before it, in "
                 "columns 27-32",
                 "0"},
        EditCase{"TabInTheLabel", 4, raw_line("Central\tfraction Fcen", 60, "      0.999"),
                 "a tab in column 8 counts as one column", "0.999"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InspectParams, RingTableRecordsReplaceTheFormulasAsInARun) {
  TempDir dir;
  dir.write("Korvane2.dat", ParameterFile().set(1, "3").text());
  // One record: ring 1 reads it, ring 2 meets the end of the table after it and keeps all
  // of it, ring 3 finds the table at its end and has formula values but for Ctilt and Mbr.
  dir.write("rngtbinp.dat", "1 7 0.9 0.2 2.0E11 1.0E26\n");
  const ProgramResult r = dry_run(dir);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  // Ring, bodies, semi-major axis in m and AU (2e11 m is 1.33692 AU), body mass, okf,
  // Ctilt; "*" marks a value from the table.
  using Row = std::vector<std::string>;
  Row ring1 = ring_row(r.out, 1), ring2 = ring_row(r.out, 2), ring3 = ring_row(r.out, 3);
  ASSERT_EQ(ring1.size(), 8u);
  ring1.pop_back();  // the period
  ring2.resize(7);
  ring3.resize(7);
  EXPECT_EQ(ring1, (Row{"1", "7*", "2e+11*", "1.33692", "1e+26*", "0.9*", "0.2*"}));
  EXPECT_EQ(ring2, (Row{"2", "7*", "2e+11*", "1.33692", "1e+26*", "0.9*", "0.2*"}));
  EXPECT_EQ(ring3, (Row{"3", "24", "299195741382", "2", "1e+26*", "0.95", "0.2*"}));  // 2 AU
  EXPECT_NE(r.out.find("  bodies in all               1 + 7 + 7 + 24 = 39\n"), std::string::npos) << r.out;
  const double Mtot = std::strtod(r.out.c_str() + r.out.find("  total mass ") + 30, nullptr);
  EXPECT_NEAR(Mtot, 0.999 * 2.0e30 + 38 * 1.0e26, 1e-15 * Mtot);

  // The run builds the same structure; rings 1 and 2 take one record and lie on each other.
  ASSERT_EQ(run_korvane2(dir).status, 4);
  const InitialData d = read_initial_data(dir.read("ring.ini"));
  ASSERT_TRUE(d.complete) << d.failure;
  EXPECT_EQ(d.header.NB, 39);
  EXPECT_NEAR(d.trailer.Mtot, Mtot, 1e-15 * Mtot);
}

TEST(InspectParams, ParameterFileInAnotherDirectoryUsesTheRingTableBesideIt) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("run"));
  dir.write("run/Korvane2.dat", ParameterFile().text());
  dir.write("run/rngtbinp.dat", "1 5 0.9 0.2 2.0E11 1.0E26\n");
  dir.write("Korvane2.dat", "not a parameter file\n");
  const ProgramResult r = dry_run(dir, {"--params", "run/Korvane2.dat"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("Parameter file run/Korvane2.dat, as korvane2 reads it"), std::string::npos);
  EXPECT_NE(r.out.find("  bodies in all               1 + 5 = 6\n"), std::string::npos) << r.out;
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"Korvane2.dat", "run"}));
}

struct UnusableCase {
  const char* name;
  std::string file;
  std::string table;  // rngtbinp.dat, when not empty
  const char* out;    // part of standard output
  const char* err;    // part of standard error
};

void PrintTo(const UnusableCase& c, std::ostream* os) { *os << c.name; }

class InspectParamsUnusable : public ::testing::TestWithParam<UnusableCase> {};

TEST_P(InspectParamsUnusable, EndsWithStatusTwoAndWritesNothing) {
  const UnusableCase& c = GetParam();
  TempDir dir;
  dir.write("Korvane2.dat", c.file);
  if (!c.table.empty()) dir.write("rngtbinp.dat", c.table);
  const ProgramResult r = dry_run(dir);
  EXPECT_EQ(r.status, 2) << r.out << r.err;
  EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
  EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  EXPECT_EQ(dir.entries().size(), c.table.empty() ? 1u : 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Inspect, InspectParamsUnusable,
    ::testing::Values(
        UnusableCase{"RealWhereAnIntegerBelongs", ParameterFile().set(1, "1.0").text(), "",
                     "     1  NRing  60-71    \"         1.0\"   cannot be read: not an integer\n", ""},
        UnusableCase{"SeventeenLines", ParameterFile().text(17), "",
                     "cannot be read: the file ends after 17 of its 18 lines", ""},
        UnusableCase{"InputErrorReportAnnounced", ParameterFile().set(9, "0.9X").text(), "",
                     "A run stops here with the input error report", ""},
        UnusableCase{"RefusedRingCount", ParameterFile().set(1, "0").text(), "", "A run refuses this parameter file",
                     "korvane2: Korvane2.dat line 1: NRing = 0 is refused"},
        UnusableCase{"RefusedRingFromTheTable", ParameterFile().text(), "1 0 0.9 0.2 2.0E11 1.0E26\n",
                     "A run stops at this ring", "korvane2: ring 1: the body count N3 = 0 (from the ring table"},
        UnusableCase{"ZeroMassDividesByZero", ParameterFile().set(3, "0.0").text(), "",
                     "A run stops at ring 1: its quantities divide by zero", ""},
        UnusableCase{"ZeroDensity", ParameterFile().set(15, "0.0").text(), "",
                     "the density Rho (line 15) must be positive", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InspectParams, MissingParameterFileEndsWithStatusTwo) {
  TempDir dir;
  const ProgramResult r = dry_run(dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("korvane2-inspect: cannot read the parameter file Korvane2.dat"), std::string::npos) << r.err;
  EXPECT_TRUE(dir.entries().empty());
}

}  // namespace
}  // namespace korvane2::testing
