// File identities by the file system's own resolution: readlink for the last component,
// stat for an existing file, realpath for the folder of a file still to be created.
#include "textio/file_names.hpp"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace korvane2::textio {

namespace {

// The kernel's own bound on the links followed in one resolution.
constexpr int kMaxLinks = 40;

std::string folder_of(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

}  // namespace

std::string follow_links(const std::string& name) {
  std::string current = name;
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    char target[PATH_MAX];
    const ssize_t n = ::readlink(current.c_str(), target, sizeof target);
    if (n <= 0 || static_cast<std::size_t>(n) == sizeof target) break;
    const std::string link(target, static_cast<std::size_t>(n));
    current = link[0] == '/' ? link : folder_of(current) + link;
  }
  return current;
}

FileIdentity identify_file(const std::string& name) {
  FileIdentity id;
  struct stat st;
  if (::stat(name.c_str(), &st) == 0) {
    id.exists = true;
    id.regular = S_ISREG(st.st_mode);
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    return id;
  }
  const std::string target = follow_links(name);
  const std::string folder = folder_of(target);
  char* real = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
  id.path = real ? std::string(real) + "/" + target.substr(folder.size()) : target;
  std::free(real);
  return id;
}

bool same_file(const FileIdentity& a, const FileIdentity& b) {
  if (a.exists != b.exists) return false;
  return a.exists ? a.dev == b.dev && a.ino == b.ino : a.path == b.path;
}

std::size_t find_control_character(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 32 || c == 127) return i;
  }
  return std::string_view::npos;
}

std::string describe_control_character(std::string_view text, std::size_t index, std::size_t firstColumn) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "the control character 0x%02X in column %zu",
                static_cast<unsigned>(static_cast<unsigned char>(text[index])), firstColumn + index);
  return buf;
}

}  // namespace korvane2::textio
