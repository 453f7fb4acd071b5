// Mtot, Tinv, Runit, Vfac and RHOu in their written order, then every body converted in
// place: masses divided by Mtot, coordinates by Runit, velocities multiplied by Vfac.
#include "structure/structure_units.hpp"

#include <cmath>

namespace korvane2 {

void convert_to_structure_units(RunState& s) {
  s.Mtot = static_cast<double>(s.N3) * s.Mbr + s.Mint;
  s.Tinv = 1.0 / (s.Tper1 * 100.0);
  s.Mb[1] = s.Mcen / s.Mtot;
  // Runit^3 = G Mtot / Tinv^2, with the general power function.
  s.Runit = std::pow((s.G * s.Mtot) / (s.Tinv * s.Tinv), s.Pw13);
  s.Vfac = 1.0 / (s.Runit * s.Tinv);
  s.RHOu = (((s.Rho * s.Runit) * s.Runit) * s.Runit) / s.Mtot;
  for (int j = 1; j <= s.NB; ++j) {
    if (j != 1) s.Mb[j] = s.Mb[j] / s.Mtot;
    s.Xb[j] = s.Xb[j] / s.Runit;
    s.Yb[j] = s.Yb[j] / s.Runit;
    s.Zb[j] = s.Zb[j] / s.Runit;
    s.VXb[j] = s.VXb[j] * s.Vfac;
    s.VYb[j] = s.VYb[j] * s.Vfac;
    s.VZb[j] = s.VZb[j] * s.Vfac;
  }
}

}  // namespace korvane2
