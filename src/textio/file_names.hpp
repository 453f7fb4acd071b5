// What a file name denotes and whether it can be used: the file reached by following its
// symbolic links, the identity of that file (or the place where it would be created), and
// the control characters that no name of the run may hold.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace korvane2::textio {

// The name with the symbolic links of its last component followed as far as they lead;
// a link to a file that does not exist gives the name the file would be created under.
std::string follow_links(const std::string& name);

// The file a name denotes: device and inode of an existing file (symbolic links
// followed), otherwise the absolute path at which opening it would create it; and
// whether writing it replaces contents (a regular file, or one still to be created) or
// not (a device, a pipe).
struct FileIdentity {
  bool exists = false;
  bool regular = true;
  dev_t dev = 0;
  ino_t ino = 0;
  std::string path;
};

FileIdentity identify_file(const std::string& name);

// True when both names reach one file, or both would create the same one.
bool same_file(const FileIdentity& a, const FileIdentity& b);

// The index of the first control character (bytes 0-31 and 127) of `text`, or npos.
std::size_t find_control_character(std::string_view text);

// "the control character 0x09 in column 12": the byte at `index` of `text`, with the
// column that index has where the text was given.
std::string describe_control_character(std::string_view text, std::size_t index, std::size_t firstColumn);

}  // namespace korvane2::textio
