// The example outputs printed in the README and the guide. Every fenced block of those
// documents is the output of a run and is preceded by a marker line that says how to
// make it again:
//
//   <!-- example: in examples/; korvane2; korvane2-inspect ring.ini; shows standard output -->
//
// "in" names the folder (from the top of the repository) whose Korvane2.dat and
// rngtbinp.dat are copied into a fresh directory; then the commands run there in turn
// (korvane2 or korvane2-inspect with their arguments); "shows" says what the block holds:
// "standard output" or "standard error" of the last command, or a file the run leaves.
// An optional "status N" is the exit status of the last command (default 0); the
// commands before it must end with 0 or 4. Commands the reader types are indented
// blocks, which carry no marker.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace korvane2::testing {

struct DocumentedExample {
  std::string where;                              // "README.md:123", the line of the marker
  std::string inputs;                             // folder of the inputs, from the top of the repository
  std::vector<std::vector<std::string>> commands;  // program name, then its arguments
  std::string shows;                              // "standard output", "standard error" or a file name
  int status = 0;                                 // exit status of the last command
  std::vector<std::string> block;                 // the lines of the fenced block
};

// Names an example by where it stands, in test messages.
void PrintTo(const DocumentedExample& example, std::ostream* os);

struct DocumentScan {
  std::vector<DocumentedExample> examples;
  std::vector<std::string> faults;  // "README.md:12: what is wrong"
};

// The marked examples of a Markdown text, and every block or marker that breaks the rule.
DocumentScan scan_document(const std::string& name, const std::string& text);

// "matches", or where the output leaves the block. Lines are compared without their
// trailing blanks and line ends (the files end their lines with CR LF); a block line
// "..." stands for one or more lines of the output that the document leaves out.
std::string compare_with_block(const std::vector<std::string>& block, const std::string& output);

}  // namespace korvane2::testing
