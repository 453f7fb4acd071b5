// Reading the ring summary with the system's free-format reader, and numbering the
// bodies by ring in placement order.
#include "examine/ring_membership.hpp"

#include <array>
#include <cmath>

#include "examine/compensated_sum.hpp"

#include "examine/free_format_statement.hpp"
#include "textio/char_source.hpp"
#include "textio/read_status.hpp"

namespace korvane2::examine {

std::optional<ReadFailure> read_ring_summary(std::string_view bytes, std::vector<RingRecord>& rings) {
  rings.clear();
  textio::MemorySource src(bytes);
  for (;;) {
    std::array<double, 6> v{};
    StatementPlace place;
    const int status = read_items(src, v, [](int item) { return item <= 2; }, place);
    if (status == textio::kReadEndOfFile && place.failedItem == 1) break;
    if (status != textio::kReadOk)
      return ReadFailure{place.failedLine, "ring record " + std::to_string(rings.size() + 1), place.failedItem,
                         status, stop_reason(status)};
    rings.push_back(RingRecord{static_cast<std::int32_t>(v[0]), static_cast<std::int32_t>(v[1]), v[2], v[3], v[4],
                               v[5], place.firstLine});
  }
  if (rings.empty()) return ReadFailure{1, "ring record 1", 1, textio::kReadEndOfFile, "the file holds no ring"};
  return std::nullopt;
}

RingMembership assign_rings(std::vector<RingRecord> rings, int bodies) {
  RingMembership m;
  m.rings = std::move(rings);
  m.ringOfBody.assign(static_cast<std::size_t>(bodies > 0 ? bodies : 0), kNoRing);
  m.ringBodies = 1;
  if (bodies > 0) m.ringOfBody[0] = kCentralBody;
  long next = 1;
  for (std::size_t r = 0; r < m.rings.size(); ++r) {
    const long count = m.rings[r].N3 > 0 ? m.rings[r].N3 : 0;
    for (long k = 0; k < count && next < bodies; ++k, ++next) m.ringOfBody[static_cast<std::size_t>(next)] =
        static_cast<int>(r + 1);
    m.ringBodies += count;
  }
  return m;
}

std::vector<RingStatistics> ring_statistics(const InitialData& data, const RingMembership& membership) {
  const std::size_t rings = membership.rings.size();
  std::vector<RingStatistics> stats(rings);
  std::vector<CompensatedSum> mass(rings), distance(rings);
  for (std::size_t r = 0; r < rings; ++r) stats[r].ring = static_cast<int>(r + 1);
  if (data.bodies.empty()) return stats;
  const BodyRecord& centre = data.bodies.front();
  for (std::size_t j = 0; j < data.bodies.size() && j < membership.ringOfBody.size(); ++j) {
    const int ring = membership.ringOfBody[j];
    if (ring < 1) continue;
    const BodyRecord& b = data.bodies[j];
    const double dx = b.x(0) - centre.x(0), dy = b.x(1) - centre.x(1), dz = b.x(2) - centre.x(2);
    const std::size_t r = static_cast<std::size_t>(ring - 1);
    ++stats[r].bodies;
    mass[r].add(b.mass());
    distance[r].add(std::sqrt(dx * dx + dy * dy + dz * dz));
  }
  for (std::size_t r = 0; r < rings; ++r) {
    stats[r].mass = mass[r].value();
    stats[r].meanDistance = stats[r].bodies > 0 ? distance[r].value() / stats[r].bodies : 0.0;
  }
  return stats;
}

}  // namespace korvane2::examine
