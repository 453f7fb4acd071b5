// Ring placement: structure body NBprev + ib takes ring column ib (ring 1) or ib + 1
// (later rings), with the ring's body mass.
#include "rings/ring_placement.hpp"

namespace korvane2 {

namespace {

void grow_structure(RunState& s) {
  const std::size_t n = static_cast<std::size_t>(s.NB) + 1;
  for (std::vector<double>* a : {&s.Mb, &s.Xb, &s.Yb, &s.Zb, &s.VXb, &s.VYb, &s.VZb}) a->resize(n, 0.0);
}

}  // namespace

void place_ring(RunState& s, int Iring) {
  grow_structure(s);
  const bool turn = s.Irot != 0 && Iring != 1;
  for (int ib = 1; ib <= s.N3 + 1; ++ib) {
    if (ib == s.N3 + 1 && Iring != 1) continue;
    const int jb = ib + s.NBprev;
    const int jl = Iring == 1 ? ib : ib + 1;
    s.Mb[jb] = s.Mbr;
    s.Xb[jb] = s.Xr(1, jl);
    s.Yb[jb] = s.Yr(1, jl);
    s.Zb[jb] = s.Zr(1, jl);
    s.VXb[jb] = s.Xr(2, jl);
    s.VYb[jb] = s.Yr(2, jl);
    s.VZb[jb] = s.Zr(2, jl);
    if (turn) {
      // Turn by -Fi about the x axis.
      double y = s.Yb[jb], z = s.Zb[jb];
      s.Yb[jb] = y * s.CFi + z * s.SFi;
      s.Zb[jb] = -(y * s.SFi) + z * s.CFi;
      double vy = s.VYb[jb], vz = s.VZb[jb];
      s.VYb[jb] = vy * s.CFi + vz * s.SFi;
      s.VZb[jb] = -(vy * s.SFi) + vz * s.CFi;
    }
  }
}

}  // namespace korvane2
