// Bodies at the same place make the integration's forces infinite; overlapping bodies
// collide at its first step. Either is worth telling before days are spent on it.
#include "structure/structure_warnings.hpp"

#include <string>

#include "structure/body_pairs.hpp"
#include "textio/warning.hpp"

namespace korvane2 {

namespace {

std::string bodies_text(const BodyPairs& p) {
  return "bodies " + std::to_string(p.i) + " and " + std::to_string(p.j) + " of the initial-data file";
}

}  // namespace

void warn_about_structure(RunState& s) {
  using textio::warning_number;
  const BodyPlaces bodies{s.Xs, s.Mb, s.Rad, s.NB};

  const BodyPairs same = find_same_place_pairs(bodies);
  s.samePlacePairs = same.count;
  if (same.count > 0)
    textio::warn(std::to_string(same.count) + (same.count == 1 ? " pair" : " pairs") +
                 " of bodies at the same place (apart by at most " + warning_number(kSamePlace) +
                 " of their distance from the barycentre), for instance " + bodies_text(same) + " at distance " +
                 warning_number(same.distance) +
                 "; Ctilt 0 with Ecc 0 retraces a ring, rings of one semi-major axis (dRr 0) share their "
                 "pericentre body, turned by Irot or not, and a short ring table repeats its last record: change "
                 "Ctilt, dRr, Irot or the ring table");

  const BodyPairs overlaps = find_overlapping_pairs(bodies, kOverlapCountLimit);
  if (overlaps.count > 0) {
    const std::string count = overlaps.count > kOverlapCountLimit
                                  ? "more than " + std::to_string(kOverlapCountLimit) + " pairs"
                                  : std::to_string(overlaps.count) + (overlaps.count == 1 ? " pair" : " pairs");
    textio::warn(count + " of bodies closer than the sum of their radii, the closest found " + bodies_text(overlaps) +
                 " at distance " + warning_number(overlaps.distance) + " with radii adding up to " +
                 warning_number(s.Rad[overlaps.i] + s.Rad[overlaps.j]) +
                 " (length units of the file); raise the density Rho (line 15) or spread the bodies further apart");
  }
}

}  // namespace korvane2
