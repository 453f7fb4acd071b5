// The physical constants with which korvane2 builds a structure, for turning its
// dimensionless units back into SI units and astronomical units.
#pragma once

namespace korvane2::examine {

constexpr double kGravitationalConstant = 6.67259e-11;  // m^3 kg^-1 s^-2
constexpr double kAstronomicalUnit = 149597870691.0;    // m
constexpr double kDay = 86400.0;                        // s
constexpr double kSiderealYear = 365.25636042 * kDay;   // s

}  // namespace korvane2::examine
