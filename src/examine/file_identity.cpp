// Resolving a file name: stat for an existing file, the chain of symbolic links and the
// canonical directory for one that does not exist yet.
#include "examine/file_identity.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace korvane2::inspect {

namespace {

constexpr int kMaxLinks = 40;

struct Resolved {
  bool exists = false;
  bool regular = false;
  dev_t dev = 0;
  ino_t ino = 0;
  std::string path;  // for a file that does not exist: where it would be created
};

// The path a name would be created at: its symbolic links followed to the last one,
// then its directory made canonical.
std::string creation_path(std::filesystem::path p) {
  for (int n = 0; n < kMaxLinks; ++n) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(p, ec))) break;
    const std::filesystem::path target = std::filesystem::read_symlink(p, ec);
    if (ec) break;
    p = target.is_absolute() ? target : p.parent_path() / target;
  }
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::weakly_canonical(std::filesystem::absolute(p, ec).parent_path(), ec);
  return (dir / p.filename()).lexically_normal().string();
}

Resolved resolve(const std::string& name) {
  Resolved r;
  struct stat st;
  if (::stat(name.c_str(), &st) == 0) {
    r.exists = true;
    r.regular = S_ISREG(st.st_mode);
    r.dev = st.st_dev;
    r.ino = st.st_ino;
  } else {
    r.regular = true;  // it will be created as a regular file
    r.path = creation_path(name);
  }
  return r;
}

}  // namespace

bool same_file(const std::string& a, const std::string& b) {
  const Resolved ra = resolve(a), rb = resolve(b);
  if (!ra.regular || !rb.regular || ra.exists != rb.exists) return false;
  if (ra.exists) return ra.dev == rb.dev && ra.ino == rb.ino;
  return ra.path == rb.path;
}

}  // namespace korvane2::inspect
