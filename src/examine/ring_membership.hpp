// The ring summary file "rngtbout.dat" read back, and the ring of every body: body 1 is
// the central body, then the bodies of ring 1, ring 2 and so on, N3 bodies each.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "examine/initial_data_reader.hpp"

namespace korvane2::examine {

struct RingRecord {
  std::int32_t Iring = 0;
  std::int32_t N3 = 0;
  double okf = 0.0;
  double Ctilt = 0.0;
  double Rring = 0.0;  // semi-major axis, m
  double Mbr = 0.0;    // mass of one body, kg
  long line = 0;
};

constexpr int kCentralBody = 0;  // ring number of body 1
constexpr int kNoRing = -1;      // a body beyond the bodies of the listed rings

struct RingMembership {
  std::vector<RingRecord> rings;
  std::vector<int> ringOfBody;  // per body (0-based): kCentralBody, 1..rings.size(), or kNoRing
  long ringBodies = 0;          // the bodies the rings list, central body included
};

// Reads records of six items (two integers, four reals) to the end of the file.
std::optional<ReadFailure> read_ring_summary(std::string_view bytes, std::vector<RingRecord>& rings);

// Gives every one of `bodies` bodies its ring.
RingMembership assign_rings(std::vector<RingRecord> rings, int bodies);

struct RingStatistics {
  int ring = 0;
  int bodies = 0;               // bodies of the ring found in the initial-data file
  double mass = 0.0;            // their mass, in units of Mtot
  double meanDistance = 0.0;    // mean distance from the central body, length units
};

// Per ring: the bodies present, their mass and their mean distance from body 1.
std::vector<RingStatistics> ring_statistics(const InitialData& data, const RingMembership& membership);

}  // namespace korvane2::examine
