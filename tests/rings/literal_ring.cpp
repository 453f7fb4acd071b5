// The ring iteration itrrtn and the ring distance search, step by step in the order the
// system defines them. Products are formed left to right and sums in the order written;
// squares are x*x.
#include "rings/literal_ring.hpp"

#include <cmath>

namespace korvane2::literal {

namespace {

void resize(Rows& a, std::int32_t columns) {
  a.row[0].assign(static_cast<std::size_t>(columns) + 1, 0.0);
  a.row[1].assign(static_cast<std::size_t>(columns) + 1, 0.0);
}

}  // namespace

RingIterationInput iteration_input(const RunState& s) {
  RingIterationInput in;
  in.N3 = s.N3;
  in.Delta = s.Delta;
  in.Qe = s.Qe;
  in.Rper = s.Rper;
  in.Vper = s.Vper;
  in.Ctilt = s.Ctilt;
  in.EPS = s.EPS;
  in.okf = s.okf;
  in.okf1 = s.okf1;
  in.okf2 = s.okf2;
  in.res1 = s.res1;
  in.res2 = s.res2;
  return in;
}

RingIterationResult iterate_ring(const RingIterationInput& in) {
  const std::int32_t N3 = in.N3;
  const double Delta = in.Delta, Qe = in.Qe, Rper = in.Rper, Vper = in.Vper;
  const double Ctilt = in.Ctilt, EPS = in.EPS;

  RingIterationResult out;
  Rows Xc, Yc, Zc;
  resize(Xc, N3 + 1);
  resize(Yc, N3 + 1);
  resize(Zc, N3 + 1);
  resize(out.Xr, N3 + 2);
  resize(out.Yr, N3 + 2);
  resize(out.Zr, N3 + 2);
  Rows& Xr = out.Xr;
  Rows& Yr = out.Yr;
  Rows& Zr = out.Zr;

  double okf = in.okf, okf1 = in.okf1, okf2 = in.okf2, res1 = in.res1, res2 = in.res2, dokf = 0.0;
  std::int32_t I1m = 0;
  bool completed = true;

  for (std::int32_t I = 1; I <= 20; ++I) {
    // 1. Step number.
    I1m = I;

    // 2. The step rotation.
    double angZ = okf * Delta;
    double angX = Delta * Ctilt;
    double cosZ = std::cos(angZ);
    double sinZ = std::sin(angZ);
    double cosX = std::cos(angX);
    double sinX = std::sin(angX);

    // 3. Conic points k = 1 .. N3+1.
    for (std::int32_t k = 1; k <= N3 + 1; ++k) {
      double theta = static_cast<double>(k - 1) * Delta;
      double cosT = std::cos(theta);
      double sinT = std::sin(theta);
      double rk = Rper / ((Qe + 1.0) * cosT - Qe);
      double radicand = (Qe + 1.0) * (Qe + 1.0) - (Rper / rk + Qe) * (Rper / rk + Qe);
      if (radicand < 0.0) {
        radicand = 0.0;
        ++out.negativeRadicands;
      }
      double vrk = std::sqrt(radicand) * Vper;
      if (sinT < 0.0) vrk = -vrk;
      double vtk = Vper * Rper / rk;
      Xc.at(1, k) = rk * cosT;
      Yc.at(1, k) = rk * sinT;
      Zc.at(1, k) = 0.0;
      Xc.at(2, k) = vrk * cosT - vtk * sinT;
      Yc.at(2, k) = vtk * cosT + vrk * sinT;
      Zc.at(2, k) = 0.0;
    }

    // 4. Rotation sweep, row 1 then row 2.
    for (int j = 1; j <= 2; ++j) {
      for (std::int32_t i = 2; i <= N3 + 1; ++i) {
        for (std::int32_t l = 2; l <= N3 + 3 - i; ++l) {
          double x = Xc.at(j, l);
          double y = Yc.at(j, l);
          double z = Zc.at(j, l);
          double xn = x * cosZ - y * cosX * sinZ + z * sinX * sinZ;
          double yn = y * cosZ * cosX + x * sinZ - z * cosZ * sinX;
          double zn = y * sinX + z * cosX;
          Xc.at(j, l - 1) = xn;
          Yc.at(j, l - 1) = yn;
          Zc.at(j, l - 1) = zn;
        }
        Xr.at(j, i + 1) = Xc.at(j, 1);
        Yr.at(j, i + 1) = Yc.at(j, 1);
        Zr.at(j, i + 1) = Zc.at(j, 1);
      }
    }

    // 5. Fixed columns: the centre, and body 1 at the pericentre.
    for (int j = 1; j <= 2; ++j) {
      Xr.at(j, 1) = 0.0;
      Yr.at(j, 1) = 0.0;
      Zr.at(j, 1) = 0.0;
    }
    Xr.at(1, 2) = Rper;
    Yr.at(1, 2) = 0.0;
    Zr.at(1, 2) = 0.0;
    Xr.at(2, 2) = 0.0;
    Yr.at(2, 2) = Vper;
    Zr.at(2, 2) = 0.0;

    // 6. Bookkeeping.
    okf1 = okf2;
    okf2 = okf;
    res1 = res2;
    res2 = Yr.at(1, N3 + 2);

    // 7. Step 1: the second coefficient, no test.
    if (I == 1) {
      okf = okf * 1.0499999523162842;
      continue;
    }

    // 8. From step 2 on: zero test, relative change, secant.
    if (okf2 == 0.0) {
      completed = false;
      break;
    }
    dokf = std::fabs(okf2 - okf1) / okf2;
    if (dokf <= EPS) break;
    okf = okf2 - (okf2 - okf1) * res2 / (res2 - res1);
  }

  out.completed = completed;
  out.okf = okf;
  out.okf1 = okf1;
  out.okf2 = okf2;
  out.res1 = res1;
  out.res2 = res2;
  out.dokf = dokf;
  out.I1m = I1m;
  return out;
}

DistanceState distance_state(const RunState& s) {
  DistanceState st;
  st.d23 = s.d23;
  st.Rmin = s.Rmin;
  st.imin = s.imin;
  st.jmin = s.jmin;
  st.Rminn = s.Rminn;
  st.iRminn = s.iRminn;
  st.jRminn = s.jRminn;
  st.ringRminn = s.ringRminn;
  return st;
}

void ring_distances(const double* x, const double* y, const double* z, std::int32_t N3, std::int32_t Iring,
                    DistanceState& st) {
  for (std::int32_t i = 2; i <= N3 + 1; ++i) {
    for (std::int32_t j = 2; j <= N3 + 1; ++j) {
      if (i == j) continue;
      double dx2 = (x[j] - x[i]) * (x[j] - x[i]);
      double dy2 = (y[j] - y[i]) * (y[j] - y[i]);
      double dz2 = (z[j] - z[i]) * (z[j] - z[i]);
      double dist = std::sqrt((dz2 + dy2) + dx2);
      if (i == 2 && j == 3) st.d23 = dist;
      if (st.Rmin >= dist) {
        st.Rmin = dist;
        st.imin = i;
        st.jmin = j;
      }
    }
  }
  if (st.Rmin <= st.Rminn) {
    st.Rminn = st.Rmin;
    st.iRminn = st.imin;
    st.jRminn = st.jmin;
    st.ringRminn = Iring;
  }
}

}  // namespace korvane2::literal
