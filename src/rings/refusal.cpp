// One line on standard error naming the ring and why it cannot be built; the records of
// the rings before it stay in their files.
#include "rings/refusal.hpp"

#include <unistd.h>

#include "textio/units.hpp"

namespace korvane2 {

void refuse_ring(int Iring, const std::string& why) {
  std::string line = "korvane2: ring " + std::to_string(Iring) + ": " + why + "\n";
  textio::write_all(STDERR_FILENO, line.data(), line.size());
  throw textio::RunTermination{2};
}

}  // namespace korvane2
