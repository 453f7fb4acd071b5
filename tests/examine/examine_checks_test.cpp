// The checks of the contract on a small structure built by hand (a central body at rest
// between two bodies on opposite sides): it passes as built, and each single fault fails
// exactly the checks it should, naming the record and the item; tolerances hold at
// their edges.
#include "examine/structure_checks.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace korvane2::examine {
namespace {

constexpr double kG = 6.67259e-11;
constexpr double kMtot = 2.0e30;
constexpr double kRunit = 1.5e11;

BodyRecord body(double m, double x, double vy) {
  BodyRecord b;
  b.item[0] = m;
  b.item[1] = x;
  b.item[5] = vy;
  b.item[13] = 0.01;
  return b;
}

// Central mass 1/2 at rest at the origin, masses 1/4 at x = +-1 moving with vy = +-1/2:
// no mass moment, no momentum, angular momentum (0, 0, 2 * 1/4 * 1 * 1/2).
InitialData three_bodies() {
  InitialData d;
  d.bodies = {body(0.5, 0, 0), body(0.25, 1, 0.5), body(0.25, -1, -0.5)};
  d.header = {0, 0.5, 0, 0, 0, 0, 0, 0, 0, 0.25, 0, 0, 0, 0, 0, 0, 0, 1, 1, 3, 1.0, 0.5, 0.25, 2};
  d.trailer = {0, 3, kMtot, kRunit, std::sqrt(kRunit / (kG * kMtot)), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  return d;
}

RingMembership one_ring(int N3, double Mbr) {
  return assign_rings({RingRecord{1, N3, 1.0, 0.0, 1.5e11, Mbr, 1}}, 3);
}

std::vector<std::string> failed_checks(const InitialData& d, const RingMembership* rings = nullptr) {
  const CheckReport r = check_structure(d, measure_structure(d), rings);
  std::vector<std::string> names;
  for (const Finding& f : r.findings)
    if (names.empty() || names.back() != f.check) names.push_back(f.check);
  return names;
}

TEST(InspectChecks, TheStructureAsBuiltPassesEveryCheck) {
  const InitialData d = three_bodies();
  const RingMembership rings = one_ring(2, 0.25 * kMtot);
  const CheckReport r = check_structure(d, measure_structure(d), &rings);
  EXPECT_TRUE(r.passed()) << checks_text(r);
  EXPECT_EQ(r.checks.size(), 13u);
  EXPECT_NE(checks_text(r).find("all 13 checks hold"), std::string::npos);
}

struct FaultCase {
  const char* name;
  std::function<void(InitialData&)> fault;
  std::vector<std::string> failing;
  const char* place;  // the place named by the first finding
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class InspectChecksFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(InspectChecksFault, FailsExactlyTheChecksItShould) {
  InitialData d = three_bodies();
  GetParam().fault(d);
  const CheckReport r = check_structure(d, measure_structure(d), nullptr);
  EXPECT_EQ(failed_checks(d), GetParam().failing) << checks_text(r);
  ASSERT_FALSE(r.findings.empty());
  EXPECT_EQ(r.findings.front().place, GetParam().place) << checks_text(r);
}

auto header_item(int item, double value) {
  return [=](InitialData& d) { d.header[static_cast<std::size_t>(item - 1)] = value; };
}
auto trailer_item(int item, double value) {
  return [=](InitialData& d) { d.trailer[static_cast<std::size_t>(item - 1)] = value; };
}
auto body_item(int body, int item, double delta) {
  return [=](InitialData& d) { d.bodies[static_cast<std::size_t>(body - 1)].item[static_cast<std::size_t>(item - 1)] += delta; };
}

// Two more bodies of masses -1e-3 and +1e-3 at one place: the sums are unchanged, but a
// mass is negative.
void add_opposite_masses(InitialData& d) {
  for (double m : {-1e-3, 1e-3}) {
    BodyRecord b = body(m, 0, 0);
    b.item[3] = 5.0;
    d.bodies.push_back(b);
  }
  d.header[19] = 5;
  d.trailer[1] = 5;
}

INSTANTIATE_TEST_SUITE_P(
    Inspect, InspectChecksFault,
    ::testing::Values(
        FaultCase{"HeaderNBTooLarge", header_item(20, 4), {"record-count"}, "header item 20"},
        FaultCase{"TrailerNBTooSmall", trailer_item(2, 2), {"record-count"}, "trailer item 2"},
        FaultCase{"RecordAfterTheTrailer", [](InitialData& d) { d.recordsAfterTrailer = 1; }, {"record-count"},
                  "after the trailer (line 0)"},
        FaultCase{"HeaderZeroItem", header_item(3, 1e-300), {"header-constants"}, "header item 3"},
        FaultCase{"HeaderLastZeroItem", header_item(16, -1.0), {"header-constants"}, "header item 16"},
        FaultCase{"HeaderOneItem", header_item(19, 2), {"header-constants"}, "header item 19"},
        FaultCase{"HeaderHalf", header_item(22, 0.25), {"header-constants"}, "header item 22"},
        FaultCase{"TrailerZeroItem", trailer_item(9, 1), {"trailer-constants"}, "trailer item 9"},
        FaultCase{"Ncub", header_item(24, 1), {"ncub"}, "header item 24"},
        FaultCase{"CentralMass", body_item(1, 1, 1e-9), {"masses"}, "body records item 1"},
        FaultCase{"NegativeMass", add_opposite_masses, {"masses"}, "body 4 item 1"},
        FaultCase{"BodyShiftedAlongY", body_item(2, 3, 1e-6), {"barycentre"}, "body records items 2-4"},
        FaultCase{"BodyVelocityAlongX", body_item(2, 5, 1e-6), {"momentum"}, "body records items 5-7"},
        FaultCase{"HeaderMomentum", header_item(6, 1e-9), {"momentum"}, "header items 5-7"},
        FaultCase{"HeaderAngularMomentum", header_item(10, 0.25 * (1 + 1e-8)), {"angular-momentum"},
                  "header items 8-10"},
        FaultCase{"BodyZeroItem", body_item(3, 15, 1e-20), {"body-zeros"}, "body 3 item 15 (record from line 0)"},
        FaultCase{"LargeRadii", body_item(2, 14, 1.0), {"overlap"}, "bodies 1 and 2"},
        FaultCase{"VelocityFactor", trailer_item(5, 1.0), {"units"}, "trailer items 3-5"},
        FaultCase{"NegativeLengthUnit", trailer_item(4, -kRunit), {"units"}, "trailer item 4"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InspectChecks, ToleranceEdgesOfTheMassSumAndTheBarycentre) {
  InitialData d = three_bodies();
  d.bodies[0].item[0] = 0.5 + 4e-13;  // 1 + 4e-13: within 1e-12
  EXPECT_TRUE(failed_checks(d).empty());
  d.bodies[0].item[0] = 0.5 + 3e-12;
  EXPECT_EQ(failed_checks(d), std::vector<std::string>{"masses"});

  // The largest |m x| is 1/4; a mass moment of 1e-13 is 4e-13 of it.
  d = three_bodies();
  d.bodies[1].item[2] = 4e-13;  // m y = 1e-13
  EXPECT_TRUE(failed_checks(d).empty());
  d.bodies[1].item[2] = 1.2e-11;  // m y = 3e-12
  EXPECT_EQ(failed_checks(d), std::vector<std::string>{"barycentre"});

  // The sum of |m x cross v| is 1/4: 1e-11 off is 4e-11 of it.
  d = three_bodies();
  d.header[9] = 0.25 + 1e-11;
  EXPECT_TRUE(failed_checks(d).empty());
  d.header[9] = 0.25 + 1e-10;
  EXPECT_EQ(failed_checks(d), std::vector<std::string>{"angular-momentum"});
}

TEST(InspectChecks, RingSummaryMustAccountForEveryBodyAndItsMass) {
  const InitialData d = three_bodies();
  const RingMembership tooMany = one_ring(3, 0.25 * kMtot);
  EXPECT_EQ(failed_checks(d, &tooMany), std::vector<std::string>{"ring-count"});
  const RingMembership heavier = one_ring(2, 0.25 * kMtot * (1 + 1e-9));
  EXPECT_EQ(failed_checks(d, &heavier), std::vector<std::string>{"ring-masses"});
}

TEST(InspectChecks, ManyFailuresOfOneCheckAreListedUpToALimitAndCounted) {
  InitialData d = three_bodies();
  for (int i = 0; i < 30; ++i) d.bodies.push_back(body(0.0, 0, 0));
  for (std::size_t j = 3; j < d.bodies.size(); ++j) d.bodies[j].item[7] = 1.0;  // item 8
  d.header[19] = 33;
  d.trailer[1] = 33;
  d.header[23] = 3;  // cube root of 34 is 3.24
  const CheckReport r = check_structure(d, measure_structure(d), nullptr);
  ASSERT_EQ(r.findings.size(), static_cast<std::size_t>(kFindingsShownPerCheck) + 1) << checks_text(r);
  EXPECT_EQ(r.findings.back().message, "20 more failures of this check");
  EXPECT_NE(checks_text(r).find("1 of 11 checks failed: body-zeros") , std::string::npos) << checks_text(r);
}

}  // namespace
}  // namespace korvane2::examine
