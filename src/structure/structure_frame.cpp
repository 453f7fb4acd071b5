// Structure frame, in its written order. A body of mass zero is a tracer: it gets its
// barycentric position and velocity like every body, but adds nothing to the
// barycentre, the angular momentum or the momentum.
#include "structure/structure_frame.hpp"

#include <cmath>

namespace korvane2 {

namespace {

void rotate_by_inclination(RunState& s) {
  const double a = s.Incl;
  const double ca = std::cos(a), sa = std::sin(a);
  s.Xu.resize(s.NB);
  s.Vu.resize(s.NB);
  for (int j = 2; j <= s.NB; ++j) {
    s.Xu(j, 1) = s.Xb[j];
    s.Xu(j, 2) = ca * s.Yb[j] - sa * s.Zb[j];
    s.Xu(j, 3) = ca * s.Zb[j] + sa * s.Yb[j];
    s.Vu(j, 1) = s.VXb[j];
    s.Vu(j, 2) = ca * s.VYb[j] - sa * s.VZb[j];
    s.Vu(j, 3) = ca * s.VZb[j] + sa * s.VYb[j];
  }
  for (int k = 1; k <= 3; ++k) s.Xu(1, k) = s.Vu(1, k) = 0.0;
}

void find_barycentre(RunState& s) {
  s.Vbar = {0.0, 0.0, 0.0};
  s.Xbar = {0.0, 0.0, 0.0};
  s.Amom = {0.0, 0.0, 0.0};
  for (int j = 1; j <= s.NB; ++j) {
    if (s.Mb[j] == 0.0) continue;
    for (int k = 1; k <= 3; ++k) {
      s.Xbar[k - 1] = s.Xbar[k - 1] + s.Xu(j, k) * s.Mb[j];
      s.Vbar[k - 1] = s.Vbar[k - 1] + s.Vu(j, k) * s.Mb[j];
    }
  }
}

void move_to_barycentre(RunState& s) {
  s.Xs.resize(s.NB);
  s.Vs.resize(s.NB);
  for (int j = 1; j <= s.NB; ++j) {
    for (int k = 1; k <= 3; ++k) {
      s.Xs(j, k) = s.Xu(j, k) - s.Xbar[k - 1];
      s.Vs(j, k) = s.Vu(j, k) - s.Vbar[k - 1];
    }
    const double m = s.Mb[j];
    if (m == 0.0) continue;
    const double x = s.Xs(j, 1), y = s.Xs(j, 2), z = s.Xs(j, 3);
    const double u = s.Vs(j, 1), v = s.Vs(j, 2), w = s.Vs(j, 3);
    // L = sum of m (r x v), products left to right as written.
    s.Amom[0] = (s.Amom[0] - (v * z) * m) + (w * y) * m;
    s.Amom[1] = ((u * z) * m + s.Amom[1]) - (x * w) * m;
    s.Amom[2] = ((x * v) * m + s.Amom[2]) - (u * y) * m;
  }
}

void finish_bodies(RunState& s) {
  s.Vbar = {0.0, 0.0, 0.0};
  s.Mmax = 0.0;
  s.Rad.assign(static_cast<std::size_t>(s.NB) + 1, 0.0);
  for (int j = 1; j <= s.NB; ++j) {
    const double m = s.Mb[j];
    for (int k = 1; k <= 3; ++k) s.Vbar[k - 1] = s.Vbar[k - 1] + s.Vs(j, k) * m;
    // Radius of a homogeneous sphere: r = (3 m / (4 pi rho))^(1/3).
    s.Rad[j] = std::pow((m * 3.0) / ((s.RHOu * s.Pi) * 4.0), s.Pw13);
    if (m >= s.Mmax) s.Mmax = m;
  }
}

void set_header_values(RunState& s) {
  s.Hd1 = 1.0;
  s.Hd2 = 0.5;
  s.Hd3 = 0.25;
  // Nearest integer to the cube root of NB + 1, rounded explicitly.
  double c = std::pow(static_cast<double>(static_cast<std::int64_t>(s.NB) + 1), s.Pw13);
  double t = c < 0.0 ? c - 0.5 : c + 0.5;
  s.Ncub = static_cast<std::int32_t>(t);
}

}  // namespace

void bring_into_frame(RunState& s) {
  rotate_by_inclination(s);
  find_barycentre(s);
  move_to_barycentre(s);
  finish_bodies(s);
  set_header_values(s);
}

}  // namespace korvane2
