// The structure as an SVG picture: x-y and x-z projections side by side, bodies coloured
// by ring, the central body marked at each panel's centre, axes, a legend of the rings.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "examine/initial_data_reader.hpp"
#include "examine/ring_membership.hpp"

namespace korvane2::examine {

using Rgb = std::array<std::uint8_t, 3>;

// Where the panels stand on the picture, in pixels (user units of the SVG).
struct SvgGeometry {
  static constexpr double kPanelSize = 400.0;
  static constexpr double kPanelTop = 70.0;
  static constexpr std::array<double, 2> kPanelLeft{100.0, 600.0};
  static constexpr double kWidth = 1040.0;

  // Centre of panel p (0: x-y, 1: x-z), where the central body is drawn.
  static double centre_x(int panel) { return kPanelLeft[static_cast<std::size_t>(panel)] + kPanelSize / 2.0; }
  static double centre_y() { return kPanelTop + kPanelSize / 2.0; }
};

// The colour of the dots of a ring (1, 2, ...); ring colours repeat after ten rings.
Rgb ring_colour(int ring);
// The colour of the central body's mark; used for nothing else inside the panels.
constexpr Rgb kCentralBodyColour{0, 0, 0};

// The whole picture. `rings` may be null: all bodies then have the colour of ring 1.
std::string svg_picture(const std::string& title, const InitialData& data, const RingMembership* rings);

}  // namespace korvane2::examine
