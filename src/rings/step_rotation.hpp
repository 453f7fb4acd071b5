// The step rotation of a ring: a tilt by angX about the x axis followed by a turn by
// angZ about the z axis, applied to one vector with its products in their written order.
#pragma once

namespace korvane2 {

struct StepRotation {
  double cosZ, sinZ, cosX, sinX;

  // x' = x cosZ - y cosX sinZ + z sinX sinZ
  // y' = y cosZ cosX + x sinZ - z cosZ sinX
  // z' = y sinX + z cosX
  // Products are formed left to right ((y*cosX)*sinZ), sums in the order written.
  template <typename T>
  inline __attribute__((always_inline)) void apply(T& x, T& y, T& z) const {
    T xn = ((x * cosZ) - ((y * cosX) * sinZ)) + ((z * sinX) * sinZ);
    T yn = (((y * cosZ) * cosX) + (x * sinZ)) - ((z * cosZ) * sinX);
    T zn = (y * sinX) + (z * cosX);
    x = xn;
    y = yn;
    z = zn;
  }
};

}  // namespace korvane2
