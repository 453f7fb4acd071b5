// Summary sections of the inspector's report, in the order: bodies, units, structure,
// rings.
#include "examine/structure_summary.hpp"

#include <cmath>

#include "examine/physical_constants.hpp"
#include "examine/text_format.hpp"

namespace korvane2::examine {

namespace {

std::string in_au(double lengthUnits, double Runit) {
  return format("%.6g AU", lengthUnits * Runit / kAstronomicalUnit);
}

std::string bodies_section(const InitialData& d, const StructureMeasures& m) {
  std::string out = section("Bodies");
  out += report_line("bodies", format("%d (header item 20: %d, trailer item 2: %d)", m.bodies, d.header_NB(),
                                      d.trailer_NB()));
  out += report_line("Ncub (header item 24)", format("%d", d.header_Ncub()));
  out += report_line("bodies of mass 0", format("%d", m.massless));
  out += report_line("Phead (header item 17)", exact_real(d.header_item(17)));
  out += report_line("Ntail (trailer item 1)", format("%d", static_cast<int>(d.trailer_item(1))));
  return out;
}

std::string units_section(const InitialData& d) {
  const double Mtot = d.Mtot(), Runit = d.Runit(), Vfac = d.Vfac();
  const double velocity = 1.0 / Vfac;
  const double time = Runit / velocity;
  std::string out = section("Units (trailer items 3-5)");
  out += report_line("mass unit Mtot", format("%.16e kg", Mtot));
  out += report_line("length unit Runit", format("%.16e m = %.10g AU", Runit, Runit / kAstronomicalUnit));
  out += report_line("velocity unit 1/Vfac", format("%.16e m/s", velocity));
  out += report_line("time unit Runit/velocity", format("%.16e s = %.10g days = %.10g sidereal years", time,
                                                        time / kDay, time / kSiderealYear));
  out += report_line("G Mtot t^2 / Runit^3",
                     format("%.16g (G = %g m^3 kg^-1 s^-2)", kGravitationalConstant * Mtot * time * time /
                                                                 (Runit * Runit * Runit),
                            kGravitationalConstant));
  return out;
}

std::string structure_section(const InitialData& d, const StructureMeasures& m) {
  const double Runit = d.Runit();
  std::string out = section("Structure (dimensionless units, G = 1)");
  out += report_line("", format("%17s %17s %17s", "x", "y", "z"));
  out += report_line("total mass", format("%.16g", m.totalMass));
  out += report_line("barycentre", triple(m.barycentre));
  out += report_line("momentum", triple(m.momentum));
  out += report_line("angular momentum, header", triple(Vec3{d.header_item(8), d.header_item(9), d.header_item(10)}));
  out += report_line("angular momentum, bodies", triple(m.angularMomentum));
  out += report_line("kinetic energy T", format("%.10e", m.kinetic));
  out += report_line("potential energy W", std::isinf(m.potential) ? std::string("-infinity (bodies coincide)")
                                                                    : format("%.10e", m.potential));
  out += report_line("virial ratio 2T/|W|", format("%.10g", m.virial));
  if (m.bodies > 0) {
    out += report_line("smallest radius", format("%.10e (body %d)", m.smallestRadius, m.smallestRadiusBody + 1));
    out += report_line("largest radius", format("%.10e (body %d)", m.largestRadius, m.largestRadiusBody + 1));
  }
  if (m.closest.i >= 0) {
    out += report_line("closest pair", format("bodies %d and %d", m.closest.i + 1, m.closest.j + 1));
    out += report_line("  distance", format("%.10e = ", m.closest.distance) + in_au(m.closest.distance, Runit));
    out += report_line("  sum of their radii", format("%.10e", m.closestRadiusSum) +
                                                   (m.closest.distance < m.closestRadiusSum ? " (they overlap)" : ""));
  } else {
    out += report_line("closest pair", "none (fewer than two bodies of positive mass)");
  }
  if (m.massless > 0)
    out += report_line("", format("the %d bodies of mass 0 are left out of the pairs", m.massless));
  return out;
}

std::string rings_section(const InitialData& d, const RingMembership& r) {
  std::string out = section("Rings (ring summary)");
  out += format("  %4s %7s %22s %26s %10s\n", "ring", "bodies", "mass", "mean distance from body 1", "(AU)");
  for (const RingStatistics& s : ring_statistics(d, r))
    out += format("  %4d %7d %22.15e %26.15e %10.6g\n", s.ring, s.bodies, s.mass, s.meanDistance,
                  s.meanDistance * d.Runit() / kAstronomicalUnit);
  out += report_line("bodies in the rings", format("1 + %ld = %ld", r.ringBodies - 1, r.ringBodies));
  return out;
}

}  // namespace

std::string summary_text(const std::string& fileName, const InitialData& data, const StructureMeasures& measures,
                         const RingMembership* rings) {
  std::string out = "Initial-data file " + fileName + "\n";
  out += bodies_section(data, measures);
  out += units_section(data);
  out += structure_section(data, measures);
  if (rings != nullptr) out += rings_section(data, *rings);
  return out;
}

}  // namespace korvane2::examine
