// Whether two names reach the same file, the way writing one would destroy the other:
// the same device and inode for files that exist (following symbolic links), the same
// resolved path (symbolic links followed, dangling ones included) for files that do not
// exist yet. Devices, pipes and other files that are not regular files never clash:
// writing them does not replace anything.
#pragma once

#include <string>

namespace korvane2::inspect {

bool same_file(const std::string& a, const std::string& b);

}  // namespace korvane2::inspect
