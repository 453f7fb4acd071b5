// CSV rows of the bodies of an initial-data file, "\n" ended, every number in the
// shortest form that reads back as the same double.
#include "examine/csv_table.hpp"

#include "examine/text_format.hpp"

namespace korvane2::examine {

std::string csv_table(const InitialData& data, const RingMembership* rings) {
  std::string out = "index,ring,mass,x,y,z,vx,vy,vz,radius\n";
  out.reserve(out.size() + data.bodies.size() * 200);
  for (std::size_t j = 0; j < data.bodies.size(); ++j) {
    const BodyRecord& b = data.bodies[j];
    int ring = kNoRing;
    if (j == 0) {
      ring = kCentralBody;
    } else if (rings != nullptr && j < rings->ringOfBody.size()) {
      ring = rings->ringOfBody[j];
    }
    out += std::to_string(j + 1);
    out += ',';
    if (ring != kNoRing) out += std::to_string(ring);
    for (double v : {b.mass(), b.x(0), b.x(1), b.x(2), b.v(0), b.v(1), b.v(2), b.radius()}) {
      out += ',';
      out += exact_real(v);
    }
    out += '\n';
  }
  return out;
}

}  // namespace korvane2::examine
