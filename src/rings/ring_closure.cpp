// The iteration's own test divides the change of okf by okf2 with its sign, so a negative
// okf2 passes it however far the ring is from closing, and twenty steps may pass without
// the test holding at all; either way the ring's last body does not come back to the
// x-z plane and the structure is not the one asked for.
#include "rings/ring_closure.hpp"

#include <cmath>
#include <string>

#include "textio/warning.hpp"

namespace korvane2 {

void check_ring_closure(RunState& s, int Iring) {
  // |okf2 - okf1| / |okf2|: okf2 is not zero after a completed iteration.
  const double change = std::fabs(s.okf2 - s.okf1) / std::fabs(s.okf2);
  if (s.endedOnTest && change <= s.EPS) return;
  ++s.ringsNotClosed;

  using textio::warning_number;
  const std::string where = "ring " + std::to_string(Iring) + " (bodies " + std::to_string(s.NB - s.N3 + 1) +
                            " to " + std::to_string(s.NB) + " of the initial-data file)";
  const std::string how =
      s.endedOnTest ? "the iteration stopped at step " + std::to_string(s.I1m) + " on the negative coefficient okf2 = " +
                          warning_number(s.okf2, 6) + ", whose relative change " + warning_number(change) +
                          " exceeds EPS = " + warning_number(s.EPS)
                    : "the iteration ran all " + std::to_string(s.I1m) + " steps without its relative change of okf " +
                          "coming within EPS = " + warning_number(s.EPS) + " (last change " +
                          warning_number(change) + ")";
  const std::string advice = s.endedOnTest ? "start okf0 (line 9, or the ring table) near a positive root"
                                           : "start okf0 (line 9, or the ring table) nearer a root or raise EPS (line 11)";
  textio::warn(where + " is not closed: " + how + "; its closing point is " +
               warning_number(std::fabs(s.res2) / s.Rper) + " Rper off the x-z plane; " + advice);
}

}  // namespace korvane2
