// Each check adds its name to the report and one finding per failure, naming the record
// and the item; checks with many failures list the first few and count the rest.
#include "examine/structure_checks.hpp"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "examine/physical_constants.hpp"
#include "examine/text_format.hpp"

namespace korvane2::examine {

namespace {

class Checker {
 public:
  explicit Checker(CheckReport& report) : report_(report) {}

  void begin(const std::string& check) {
    report_.checks.push_back(check);
    check_ = check;
    count_ = 0;
  }
  void fail(const std::string& place, const std::string& message) {
    ++count_;
    if (count_ <= kFindingsShownPerCheck) report_.findings.push_back(Finding{check_, place, message});
  }
  // Closes a check that may have failed more often than it lists.
  void end() {
    if (count_ > kFindingsShownPerCheck)
      report_.findings.push_back(Finding{check_, "body records",
                                         format("%d more failures of this check", count_ - kFindingsShownPerCheck)});
  }

 private:
  CheckReport& report_;
  std::string check_;
  int count_ = 0;
};

std::string body(int j) { return "body " + std::to_string(j + 1); }

void check_record_count(Checker& c, const InitialData& d) {
  c.begin("record-count");
  const int n = static_cast<int>(d.bodies.size());
  const std::string held = format("the file holds %d body record%s", n, n == 1 ? "" : "s");
  if (d.header_NB() != n) c.fail("header item 20", format("NB = %d, but ", d.header_NB()) + held);
  if (d.trailer_NB() != n) c.fail("trailer item 2", format("NB = %d, but ", d.trailer_NB()) + held);
  if (d.recordsAfterTrailer > 0)
    c.fail(format("after the trailer (line %ld)", d.trailerLine),
           format("%d more record%s follow the trailer", d.recordsAfterTrailer, d.recordsAfterTrailer == 1 ? "" : "s"));
}

void check_constants(Checker& c, const InitialData& d) {
  c.begin("header-constants");
  for (int item = 1; item <= kHeaderItems; ++item) {
    double want;
    if (item == 1 || item == 3 || item == 4 || (item >= 11 && item <= 16)) want = 0.0;
    else if (item == 18 || item == 19) want = 1.0;
    else if (item == 21) want = 1.0;
    else if (item == 22) want = 0.5;
    else if (item == 23) want = 0.25;
    else continue;
    if (d.header_item(item) != want)
      c.fail(format("header item %d", item),
             "is " + exact_real(d.header_item(item)) + ", must be " + exact_real(want));
  }
  c.begin("trailer-constants");
  for (int item = 6; item <= kTrailerItems; ++item)
    if (d.trailer_item(item) != 0.0)
      c.fail(format("trailer item %d", item), "is " + exact_real(d.trailer_item(item)) + ", must be 0");
}

void check_ncub(Checker& c, const InitialData& d) {
  c.begin("ncub");
  const int n = static_cast<int>(d.bodies.size());
  const long want = std::lround(std::cbrt(static_cast<double>(n) + 1.0));
  if (d.header_Ncub() != want)
    c.fail("header item 24", format("Ncub = %d, but the nearest integer to the cube root of NB + 1 = %d is %ld",
                                    d.header_Ncub(), n + 1, want));
}

void check_masses(Checker& c, const InitialData& d, const StructureMeasures& m) {
  c.begin("masses");
  for (int j = 0; j < m.bodies; ++j)
    if (d.bodies[static_cast<std::size_t>(j)].mass() < 0.0)
      c.fail(body(j) + " item 1", "negative mass " + exact_real(d.bodies[static_cast<std::size_t>(j)].mass()));
  c.end();
  const double off = m.totalMass - 1.0;
  if (!(std::fabs(off) <= kMassSumTolerance))
    c.fail("body records item 1", "the masses add up to " + exact_real(m.totalMass) +
                                      format(", %.3g away from 1 (allowed %.0e)", off, kMassSumTolerance));
}

// A vector sum that must vanish, against the largest single term of any component.
void check_vanishing(Checker& c, const std::string& place, const std::string& what, const Vec3& sum, double scale) {
  const double largest = std::max({std::fabs(sum[0]), std::fabs(sum[1]), std::fabs(sum[2])});
  if (largest <= kCentreTolerance * scale) return;
  const std::string relative = scale > 0.0 ? format("%.3g times", largest / scale) : "not within rounding of";
  c.fail(place, what + " add up to (" + short_real(sum[0]) + ", " + short_real(sum[1]) + ", " + short_real(sum[2]) +
                    "), not zero: " + relative + format(" the largest single term (allowed %.0e)", kCentreTolerance));
}

void check_centre(Checker& c, const InitialData& d, const StructureMeasures& m) {
  c.begin("barycentre");
  check_vanishing(c, "body records items 2-4", "the mass-weighted positions", m.massMoment, m.largestMassMoment);
  c.begin("momentum");
  check_vanishing(c, "body records items 5-7", "the momenta of the bodies", m.momentum, m.largestMomentum);
  check_vanishing(c, "header items 5-7", "the header's total momentum items",
                  Vec3{d.header_item(5), d.header_item(6), d.header_item(7)}, m.largestMomentum);
}

void check_angular_momentum(Checker& c, const InitialData& d, const StructureMeasures& m) {
  c.begin("angular-momentum");
  const Vec3 header{d.header_item(8), d.header_item(9), d.header_item(10)};
  const Vec3 diff{header[0] - m.angularMomentum[0], header[1] - m.angularMomentum[1],
                  header[2] - m.angularMomentum[2]};
  const double off = norm(diff);
  if (off <= kAngularMomentumTolerance * m.angularMomentumScale) return;
  c.fail("header items 8-10", "the header gives (" + short_real(header[0]) + ", " + short_real(header[1]) + ", " +
                                  short_real(header[2]) + "), the bodies (" + short_real(m.angularMomentum[0]) +
                                  ", " + short_real(m.angularMomentum[1]) + ", " + short_real(m.angularMomentum[2]) +
                                  ")" +
                                  (m.angularMomentumScale > 0.0
                                       ? format(": they differ by %.3g of the bodies' sum of |m x cross v|",
                                                off / m.angularMomentumScale)
                                       : std::string()) +
                                  format(" (allowed %.0e)", kAngularMomentumTolerance));
}

void check_body_zeros(Checker& c, const InitialData& d) {
  c.begin("body-zeros");
  for (std::size_t j = 0; j < d.bodies.size(); ++j)
    for (int item : {8, 9, 10, 11, 12, 13, 15})
      if (d.bodies[j].item[static_cast<std::size_t>(item - 1)] != 0.0)
        c.fail(body(static_cast<int>(j)) + format(" item %d (record from line %ld)", item, d.bodies[j].line),
               "is " + exact_real(d.bodies[j].item[static_cast<std::size_t>(item - 1)]) + ", must be 0");
  c.end();
}

void check_units(Checker& c, const InitialData& d) {
  c.begin("units");
  const double Mtot = d.Mtot(), Runit = d.Runit(), Vfac = d.Vfac();
  bool positive = true;
  for (auto [item, value, name] : {std::tuple{3, Mtot, "mass unit Mtot"}, std::tuple{4, Runit, "length unit Runit"},
                                   std::tuple{5, Vfac, "velocity factor Vfac"}}) {
    if (!(value > 0.0)) {
      c.fail(format("trailer item %d", item), std::string("the ") + name + " is " + exact_real(value) +
                                                  ", must be positive");
      positive = false;
    }
  }
  if (!positive) return;
  // With the time unit t = Runit Vfac, G = 1 means G Mtot t^2 / Runit^3 = 1.
  const double one = kGravitationalConstant * Mtot * Vfac * Vfac / Runit;
  if (!(std::fabs(one - 1.0) <= kUnitsTolerance))
    c.fail("trailer items 3-5", "G Mtot t^2 / Runit^3 with t = Runit Vfac is " + exact_real(one) +
                                    format(", not 1 (allowed %.0e): the units do not make G = 1", kUnitsTolerance));
}

void check_overlap(Checker& c, const StructureMeasures& m) {
  c.begin("overlap");
  const PairSums& p = m.pairs;
  if (p.overlaps > 0)
    c.fail(format("bodies %d and %d", p.deepestI + 1, p.deepestJ + 1),
           format("%lld pair%s of bodies overlap at the start; the deepest: distance ", static_cast<long long>(p.overlaps),
                  p.overlaps == 1 ? "" : "s") +
               short_real(p.deepestDistance) + ", radii adding up to " + short_real(p.deepestRadiusSum));
  if (p.coincidentPairs > 0)
    c.fail("body records items 2-4", format("%lld pair%s of bodies of positive mass lie at the same place",
                                            static_cast<long long>(p.coincidentPairs),
                                            p.coincidentPairs == 1 ? "" : "s"));
}

void check_rings(Checker& c, const InitialData& d, const RingMembership& r) {
  c.begin("ring-count");
  const long n = static_cast<long>(d.bodies.size());
  if (r.ringBodies != n)
    c.fail("rngtbout.dat", format("the %zu ring%s hold 1 + %ld = %ld bodies, the initial-data file %ld", r.rings.size(),
                                  r.rings.size() == 1 ? "" : "s", r.ringBodies - 1, r.ringBodies, n));
  c.begin("ring-masses");
  const double Mtot = d.Mtot();
  for (std::size_t j = 0; j < d.bodies.size(); ++j) {
    const int ring = r.ringOfBody[j];
    if (ring < 1) continue;
    const double Mbr = r.rings[static_cast<std::size_t>(ring - 1)].Mbr;
    const double kg = d.bodies[j].mass() * Mtot;
    if (!(std::fabs(kg - Mbr) <= kRingMassTolerance * std::fabs(Mbr)))
      c.fail(body(static_cast<int>(j)) + format(" item 1 (record from line %ld)", d.bodies[j].line),
             format("mass %s times Mtot is %s kg, but ring %d has bodies of %s kg", exact_real(d.bodies[j].mass()).c_str(),
                    short_real(kg).c_str(), ring, short_real(Mbr).c_str()));
  }
  c.end();
}

}  // namespace

bool CheckReport::failed(const std::string& check) const {
  return std::any_of(findings.begin(), findings.end(), [&](const Finding& f) { return f.check == check; });
}

CheckReport check_structure(const InitialData& data, const StructureMeasures& measures, const RingMembership* rings) {
  CheckReport report;
  Checker c(report);
  check_record_count(c, data);
  check_constants(c, data);
  check_ncub(c, data);
  check_masses(c, data, measures);
  check_centre(c, data, measures);
  check_angular_momentum(c, data, measures);
  check_body_zeros(c, data);
  check_units(c, data);
  check_overlap(c, measures);
  if (rings != nullptr) check_rings(c, data, *rings);
  return report;
}

std::string checks_text(const CheckReport& report) {
  std::string out = section("Checks");
  std::vector<std::string> failed;
  for (const Finding& f : report.findings) {
    out += "  FAILED " + f.check + ": " + f.place + ": " + f.message + "\n";
    if (std::find(failed.begin(), failed.end(), f.check) == failed.end()) failed.push_back(f.check);
  }
  if (failed.empty()) {
    out += format("  all %zu checks hold\n", report.checks.size());
  } else {
    std::string names;
    for (const std::string& n : failed) names += (names.empty() ? "" : ", ") + n;
    out += format("  %zu of %zu checks failed: ", failed.size(), report.checks.size()) + names + "\n";
  }
  return out;
}

}  // namespace korvane2::examine
