// Parameter values as items of a free-format record, in the order of the parameter file.
#include "driver/parameter_echo.hpp"

#include "driver/text12.hpp"

namespace korvane2 {

void put_parameter_values(textio::FreeFormatWriter& w, const RunState& s, ItabInEcho itab) {
  w.put_integer(s.NRing);
  w.put_integer(s.N30);
  for (double v : {s.Mstr, s.Fcen, s.R1au, s.Ecc, s.dRr, s.FN3, s.okf0, s.Ctilt, s.EPS}) w.put_double(v);
  w.put_integer(s.Irot);
  if (itab == ItabInEcho::kIncluded) w.put_integer(s.Itab);
  w.put_double(s.Incl);
  w.put_double(s.Rho);
  w.put_double(s.Phead);
  w.put_text(view(s.fnIni));
  w.put_integer(s.Ntail);
}

}  // namespace korvane2
