// Run-state records prepared for direct calls of the ring and structure phases.
#include "support/structure_setup.hpp"

#include "driver/parameters.hpp"
#include "rings/ring_quantities.hpp"

namespace korvane2::testing {

RunState structure_state(const StructureParameters& p) {
  RunState s;
  s.NRing = p.NRing;
  s.N30 = p.N30;
  s.Mstr = p.Mstr;
  s.Fcen = p.Fcen;
  s.R1au = p.R1au;
  s.Ecc = p.Ecc;
  s.dRr = p.dRr;
  s.FN3 = p.FN3;
  s.okf0 = p.okf0;
  s.Ctilt = p.Ctilt;
  s.EPS = p.EPS;
  s.Irot = p.Irot;
  set_constants(s);
  derive_global_quantities(s);
  return s;
}

RunState first_ring_state(const StructureParameters& p) {
  RunState s = structure_state(p);
  start_ring(s, 1);
  compute_ring_quantities(s, 1);
  return s;
}

}  // namespace korvane2::testing
