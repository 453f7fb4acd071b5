// Reading the parameter file "Korvane2.dat" line by line with its fixed-column layouts,
// and the constants and derived quantities set right after it.
#include "driver/parameters.hpp"

#include <cstring>

#include "driver/text12.hpp"
#include "textio/fixed_column_reader.hpp"
#include "textio/units.hpp"

namespace korvane2 {

using textio::FixedLayout;

namespace {

constexpr int kParameterUnit = 1;

const char* const kNames[18] = {"NRing", "N30",  "Mstr", "Fcen", "R1au", "Ecc",
                                "dRr",   "FN3",  "okf0", "Ctilt", "EPS",  "Irot",
                                "Itab",  "Incl", "Rho",  "Phead", "fnIni", "Ntail"};

// Runs one read statement; false at the first failed step.
template <typename ReadValue>
bool read_line(textio::CharSource& source, int line, FixedLayout layout, ReadValue readValue,
               ParameterReadFailure& failure) {
  textio::FixedColumnReader reader;
  int status = reader.begin_read(source, layout);
  if (status == 0) status = readValue(reader);
  if (status == 0) status = reader.end_read();
  if (status == 0) return true;
  failure.line = line;
  failure.firstColumn = reader.first_column();
  failure.lastColumn = reader.last_column();
  failure.fieldText = reader.field_text();
  failure.status = status;
  return false;
}

}  // namespace

const char* parameter_name(int line) { return line >= 1 && line <= 18 ? kNames[line - 1] : "?"; }

void assign_file_names(RunState& s) {
  s.fnPar = make_text12("Korvane2.dat");
  s.fnErr = make_text12("Korvane2Err");
  s.fnOut = make_text12("rngtbout.dat");
  s.fnInp = make_text12("rngtbinp.dat");
}

bool read_parameters(RunState& s, ParameterReadFailure& failure) {
  auto& table = textio::units();
  table.open_unit(kParameterUnit, textio::trim_name(view(s.fnPar)), textio::OpenStatus::kOld, false);
  textio::CharSource& in = *table.unit(kParameterUnit);

  auto integer = [&](std::int32_t& v) { return [&v](textio::FixedColumnReader& r) { return r.read_integer(v); }; };
  auto real = [&](double& v) { return [&v](textio::FixedColumnReader& r) { return r.read_double(v); }; };
  auto text = [&](Text12& v) { return [&v](textio::FixedColumnReader& r) { return r.read_text(v); }; };
  constexpr FixedLayout I = FixedLayout::kInteger12, D = FixedLayout::kDouble11_5, A = FixedLayout::kText12;

  bool ok = read_line(in, 1, I, integer(s.NRing), failure) && read_line(in, 2, I, integer(s.N30), failure) &&
            read_line(in, 3, D, real(s.Mstr), failure) && read_line(in, 4, D, real(s.Fcen), failure) &&
            read_line(in, 5, D, real(s.R1au), failure) && read_line(in, 6, D, real(s.Ecc), failure) &&
            read_line(in, 7, D, real(s.dRr), failure) && read_line(in, 8, D, real(s.FN3), failure) &&
            read_line(in, 9, D, real(s.okf0), failure) && read_line(in, 10, D, real(s.Ctilt), failure) &&
            read_line(in, 11, D, real(s.EPS), failure) && read_line(in, 12, I, integer(s.Irot), failure) &&
            read_line(in, 13, I, integer(s.Itab), failure) && read_line(in, 14, D, real(s.Incl), failure) &&
            read_line(in, 15, D, real(s.Rho), failure) && read_line(in, 16, D, real(s.Phead), failure) &&
            read_line(in, 17, A, text(s.fnIni), failure) && read_line(in, 18, I, integer(s.Ntail), failure);
  if (ok) table.close_unit(kParameterUnit);
  return ok;
}

void set_constants(RunState& s) {
  s.Pi = 3.141592653589793;
  s.Pi2 = s.Pi * 2.0;
  s.Ibeg = 1;
  s.Irtb = 1;
  s.Zero = 0.0;
  s.G = 6.67259e-11;
  s.AU = 149597870691.0;
  s.Ysid = 365.25636042;
  s.Day = 86400.0;
  s.Pw32 = 1.5;
  s.Pw13 = 0.3333333333333333;
  s.Rminn = 1e99;
}

void derive_global_quantities(RunState& s) {
  s.Mcen = s.Fcen * s.Mstr;
  s.Mrng = s.Mstr - s.Fcen * s.Mstr;
  s.dFi = s.Pi2 / static_cast<double>(s.NRing);
  s.N3 = s.N30;
  s.NB = 1;
  s.NBprev = 0;
  s.Mbr = s.Mrng / static_cast<double>(s.N3);
  s.Mint = s.Mcen;
  s.R1 = s.R1au * s.AU;
  s.Qe = -(1.0 / (s.Ecc + 1.0));
}

}  // namespace korvane2
