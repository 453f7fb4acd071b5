// Ring start and ring quantities. Every formula is evaluated in the order written, one
// IEEE double operation at a time; the force sum is added term by term.
#include "rings/ring_quantities.hpp"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "driver/memory_check.hpp"
#include "rings/refusal.hpp"

namespace korvane2 {

void start_ring(RunState& s, int Iring) {
  s.okf = s.okf0;
  s.Fi = static_cast<double>(Iring - 1) * s.dFi;
  s.CFi = std::cos(s.Fi);
  s.SFi = std::sin(s.Fi);
  s.Rring = ((static_cast<double>(Iring - 1) * s.dRr + 1.0) * s.R1au) * s.AU;
  s.N3p = s.N3;
  s.Mbp = s.Mbr;
  // N3 grows with the semi-major axis: trunc((Rring / R1) * N30 * FN3).
  double count = ((s.Rring / s.R1) * static_cast<double>(s.N30)) * s.FN3;
  if (!(count > -2147483649.0 && count < 2147483648.0)) {
    char value[40];
    std::snprintf(value, sizeof value, "%.17g", count);
    refuse_ring(Iring, std::string("the body count (Rring / R1) * N30 * FN3 = ") + value +
                           " from Korvane2.dat does not fit a 32-bit integer");
  }
  s.N3 = static_cast<std::int32_t>(count);
}

void compute_ring_quantities(RunState& s, int Iring) {
  if (s.N3 < 1)
    refuse_ring(Iring, "the body count N3 = " + std::to_string(s.N3) + " (from " +
                           (s.ringN3FromTable ? "the ring table rngtbinp.dat" : "Korvane2.dat") +
                           ") is below 1; a ring needs at least one body");
  // The body total and the ring's column numbers (up to N3 + 2) must fit 32 bits.
  if (static_cast<std::int64_t>(s.NB) + s.N3 + 2 > std::numeric_limits<std::int32_t>::max())
    refuse_ring(Iring, "the body total NB = " + std::to_string(s.NB) + " + N3 = " + std::to_string(s.N3) +
                           " does not fit a 32-bit integer");

  // Conic points (4 rows), ring states (6 rows) and the structure arrays that grow with
  // the ring (about 20 doubles per body), checked before any work on the ring.
  check_memory_for(30.0 * 8.0 * (static_cast<double>(s.N3) + 3.0) +
                   20.0 * 8.0 * (static_cast<double>(s.NB) + static_cast<double>(s.N3)));

  if (Iring != 1) s.NBprev = s.NB;
  s.NB = s.NB + s.N3;
  if (Iring != 1) s.Mint = static_cast<double>(s.N3p) * s.Mbp + s.Mint;
  s.Rmin = 1e99;
  s.okf2 = s.Zero;
  s.res2 = s.Zero;

  const double n3 = static_cast<double>(s.N3);
  s.Delta = s.Pi2 / n3;
  // Force sum of a regular polygon: sum over m = 1..N3-1 of 1 / (4 sin(m pi / N3)).
  s.Fsum = s.Zero;
  for (std::int32_t k = 2; k <= s.N3; ++k)
    s.Fsum = s.Fsum + 0.25 / std::sin((static_cast<double>(k - 1) * s.Pi) / n3);
  // r_p = a (1 - e), written with Qe = -1 / (1 + e).
  s.Rper = ((s.Qe * 2.0 + 1.0) * s.Rring) / s.Qe;
  s.Gmu = -((s.Fsum * s.Mbr + s.Mint) * s.G);
  // vis-viva at pericentre: v^2 = GM (1 + e) / r_p.
  s.Vper = std::sqrt(s.Gmu / (s.Qe * s.Rper));
  s.Work = std::pow(-(s.Qe * 2.0) - 1.0, s.Pw32) * s.Vper;
  // T = 2 pi sqrt(a^3 / GM).
  s.Tper = -(((s.Qe * s.Pi2) * s.Rper) / s.Work);
  if (Iring == 1) s.Tper1 = s.Tper;
  s.Tyear = s.Tper / (s.Day * s.Ysid);
}

}  // namespace korvane2
