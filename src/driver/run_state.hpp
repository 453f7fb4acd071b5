// The run-state record: every value of one run, owned by the driver and read and
// written directly by the phases. It starts zero-filled; arrays are sized by the run.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "textio/fixed_column_reader.hpp"

namespace korvane2 {

using textio::Text12;

class RingTableRecords;

// Two rows (position, velocity) of one Cartesian component, indexed by column 1..N.
struct RowPair {
  std::vector<double> row[2];
  void resize(std::size_t columns) {
    row[0].assign(columns + 1, 0.0);
    row[1].assign(columns + 1, 0.0);
  }
  double& operator()(int r, int column) { return row[r - 1][column]; }
  double operator()(int r, int column) const { return row[r - 1][column]; }
};

// A body array with three components per body, indexed (j, k), j = 1..NB, k = 1..3.
struct BodyVectors {
  std::vector<std::array<double, 3>> v;
  void resize(std::size_t bodies) { v.assign(bodies + 1, {0.0, 0.0, 0.0}); }
  double& operator()(int j, int k) { return v[j][k - 1]; }
  double operator()(int j, int k) const { return v[j][k - 1]; }
};

struct RunState {
  // File names, 12 characters, blank-padded.
  Text12 fnPar{}, fnErr{}, fnOut{}, fnInp{}, fnIni{};

  // Parameters, in the order of the parameter file.
  std::int32_t NRing = 0, N30 = 0;
  double Mstr = 0.0, Fcen = 0.0, R1au = 0.0, Ecc = 0.0, dRr = 0.0, FN3 = 0.0, okf0 = 0.0,
         Ctilt = 0.0, EPS = 0.0;
  std::int32_t Irot = 0, Itab = 0;
  double Incl = 0.0, Rho = 0.0, Phead = 0.0;
  std::int32_t Ntail = 0;

  // Constants.
  double Pi = 0.0, Pi2 = 0.0;
  std::int32_t Ibeg = 0, Irtb = 0;
  double Zero = 0.0, G = 0.0, AU = 0.0, Ysid = 0.0, Day = 0.0, Pw32 = 0.0, Pw13 = 0.0;

  // Global derived quantities.
  double Mcen = 0.0, Mrng = 0.0, dFi = 0.0, R1 = 0.0, Qe = 0.0;

  // Counters and running values across rings.
  std::int32_t N3 = 0, NB = 0, NBprev = 0, N3p = 0;
  double Mint = 0.0, Mbr = 0.0, Mbp = 0.0, Tper1 = 0.0;
  double Rminn = 0.0;
  std::int32_t iRminn = 0, jRminn = 0, ringRminn = 0;

  // Per-ring quantities.
  double Fi = 0.0, CFi = 0.0, SFi = 0.0, Rring = 0.0, Delta = 0.0, Fsum = 0.0, Rper = 0.0,
         Gmu = 0.0, Vper = 0.0, Work = 0.0, Tper = 0.0, Tyear = 0.0;

  // Ring iteration.
  double okf = 0.0, okf1 = 0.0, okf2 = 0.0, res1 = 0.0, res2 = 0.0, dokf = 0.0;
  std::int32_t I1m = 0;
  // Whether the ring's iteration ended on its tolerance test (not after its last step).
  bool endedOnTest = false;

  // Soundness of the structure built: rings not closed to EPS, and pairs of bodies of
  // positive mass at the same place in the final frame. Either ends a complete run with
  // its own exit status.
  std::int32_t ringsNotClosed = 0;
  std::int64_t samePlacePairs = 0;

  // The ring table as read once at its first open, replayed for every ring.
  std::shared_ptr<RingTableRecords> ringTable;

  // Ring table diagnostics: whether the body count in force for the ring was read from
  // the table, the table lines already warned about as unreadable, and whether a table
  // that exists but cannot be opened, or one that ends before NRing, was warned about.
  bool ringN3FromTable = false;
  std::vector<long> warnedTableLines;
  bool warnedTableUnopenable = false;
  bool warnedShortTable = false;

  // Ring distances.
  double d23 = 0.0, Rmin = 0.0;
  std::int32_t imin = 0, jmin = 0;

  // Ring state arrays: columns 1 (centre), 2..N3+1 (bodies), N3+2 (closing point).
  RowPair Xr, Yr, Zr;

  // Structure arrays, bodies 1..NB.
  std::vector<double> Mb, Xb, Yb, Zb, VXb, VYb, VZb;

  // Whole-structure values.
  double Mtot = 0.0, Tinv = 0.0, Runit = 0.0, Vfac = 0.0, RHOu = 0.0;
  BodyVectors Xu, Vu, Xs, Vs;
  std::vector<double> Rad;
  std::array<double, 3> Xbar{}, Vbar{}, Amom{};
  double Mmax = 0.0, Hd1 = 0.0, Hd2 = 0.0, Hd3 = 0.0;
  std::int32_t Ncub = 0;
};

}  // namespace korvane2
