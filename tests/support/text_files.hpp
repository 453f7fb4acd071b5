// Files and texts compared by the tests that check whole outputs: the bytes of a file,
// its lines, and where two texts first differ.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace korvane2::testing {

// Every byte of the file (empty when it cannot be read).
std::string read_file(const std::filesystem::path& path);

// The lines of a text, without their LF ends (a CR before the LF stays).
std::vector<std::string> lines_of(const std::string& text);

// "identical", or where the texts first differ: the line number and both lines.
std::string first_difference(const std::string& got, const std::string& want);

}  // namespace korvane2::testing
