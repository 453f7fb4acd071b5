// The example outputs of the README and the guide are what the programs print today:
// each marked block is made again from its inputs and compared line by line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "docs/documented_example.hpp"
#include "support/program_run.hpp"
#include "support/text_files.hpp"

namespace korvane2::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kRepository = KORVANE2_SOURCE_DIR;
const char* const kDocuments[] = {"README.md", "docs/guide.md"};

// ---- the rule and the comparison, on small texts ----

struct BlockCase {
  const char* what;
  std::vector<std::string> block;
  const char* output;
  bool matches;
};

class CompareWithBlock : public ::testing::TestWithParam<BlockCase> {};

TEST_P(CompareWithBlock, AcceptsOnlyWhatTheBlockShows) {
  const BlockCase& c = GetParam();
  const std::string result = compare_with_block(c.block, c.output);
  EXPECT_EQ(result == "matches", c.matches) << c.what << ": " << result;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareWithBlock,
    ::testing::Values(
        BlockCase{"the same lines", {"a", " b 1"}, "a\n b 1\n", true},
        BlockCase{"CR LF and trailing blanks of a file", {" x and 5"}, " x and 5 \r\n", true},
        BlockCase{"a stale number", {"a", " b 1"}, "a\n b 2\n", false},
        BlockCase{"a line more in the output", {"a"}, "a\nb\n", false},
        BlockCase{"a line less in the output", {"a", "b"}, "a\n", false},
        BlockCase{"leading blanks count", {"a"}, " a\n", false},
        BlockCase{"an elision in the middle", {"a", "   ...", "d"}, "a\nb\nc\nd\n", true},
        BlockCase{"an elision stands for one line at least", {"a", "...", "b"}, "a\nb\n", false},
        BlockCase{"an elision at the end", {"a", "..."}, "a\nb\n", true},
        BlockCase{"lines between two elisions", {"...", "c", "...", "e"}, "a\nb\nc\nd\ne\n", true},
        BlockCase{"lines between elisions in the wrong order", {"...", "d", "...", "c", "...", "e"},
                  "a\nc\nd\nx\ne\n", false},
        BlockCase{"a stale line after an elision", {"a", "...", "x"}, "a\nb\nc\n", false}));

TEST(ScanDocument, TakesTheMarkerAndItsBlock) {
  const DocumentScan scan = scan_document(
      "doc.md",
      "Text\n\n    korvane2\n\n"
      "<!-- example: in docs/examples/x; korvane2; korvane2-inspect --rings rngtbout.dat ring.ini; status 1; "
      "shows standard output -->\n```\nline 1\n\nline 3\n```\nmore\n");
  ASSERT_TRUE(scan.faults.empty()) << scan.faults.front();
  ASSERT_EQ(scan.examples.size(), 1u);
  const DocumentedExample& e = scan.examples[0];
  EXPECT_EQ(e.where, "doc.md:5");
  EXPECT_EQ(e.inputs, "docs/examples/x");
  ASSERT_EQ(e.commands.size(), 2u);
  EXPECT_EQ(e.commands[0], std::vector<std::string>{"korvane2"});
  EXPECT_EQ(e.commands[1], (std::vector<std::string>{"korvane2-inspect", "--rings", "rngtbout.dat", "ring.ini"}));
  EXPECT_EQ(e.status, 1);
  EXPECT_EQ(e.shows, "standard output");
  EXPECT_EQ(e.block, (std::vector<std::string>{"line 1", "", "line 3"}));
}

TEST(ScanDocument, RefusesABlockWithoutMarkerAndAMarkerWithoutBlock) {
  const DocumentScan scan = scan_document("doc.md",
                                          "```\nunchecked\n```\n"
                                          "<!-- example: in examples; korvane2; shows Korvane2Err -->\ntext\n"
                                          "<!-- example: in examples; shows Korvane2Err -->\n```\n```\n"
                                          "<!-- example: in examples; korvane2; status four; shows Korvane2Err -->\n```\n```\n");
  ASSERT_EQ(scan.faults.size(), 4u);
  EXPECT_EQ(scan.faults[0].rfind("doc.md:1: fenced block without", 0), 0u) << scan.faults[0];
  EXPECT_EQ(scan.faults[1].rfind("doc.md:4: the marker is not followed", 0), 0u) << scan.faults[1];
  EXPECT_EQ(scan.faults[2].rfind("doc.md:6: the marker needs", 0), 0u) << scan.faults[2];
  EXPECT_EQ(scan.faults[3].rfind("doc.md:9: the status", 0), 0u) << scan.faults[3];
  EXPECT_TRUE(scan.examples.empty());
}

// ---- the documents themselves ----

std::vector<DocumentedExample> documented_examples() {
  std::vector<DocumentedExample> all;
  for (const char* name : kDocuments)
    for (DocumentedExample& e : scan_document(name, read_file(kRepository / name)).examples) all.push_back(e);
  return all;
}

TEST(Documents, MarkEveryBlockAsAnExample) {
  for (const char* name : kDocuments) {
    const DocumentScan scan = scan_document(name, read_file(kRepository / name));
    for (const std::string& fault : scan.faults) ADD_FAILURE() << fault;
    EXPECT_FALSE(scan.examples.empty()) << name << " shows no example output";
  }
}

class DocumentedOutput : public ::testing::TestWithParam<DocumentedExample> {};

TEST_P(DocumentedOutput, IsWhatTheProgramsPrint) {
  const DocumentedExample& e = GetParam();
  TempDir dir;
  const fs::path inputs = kRepository / e.inputs;
  ASSERT_TRUE(fs::exists(inputs / "Korvane2.dat")) << e.where << ": no Korvane2.dat in " << e.inputs;
  for (const char* input : {"Korvane2.dat", "rngtbinp.dat"})
    if (fs::exists(inputs / input)) dir.write(input, read_file(inputs / input));
  ProgramResult last;
  for (std::size_t k = 0; k < e.commands.size(); ++k) {
    const std::vector<std::string>& command = e.commands[k];
    RunOptions options;
    options.args.assign(command.begin() + 1, command.end());
    last = run_program(command[0] == "korvane2" ? KORVANE2_EXE : KORVANE2_INSPECT_EXE, dir, options);
    if (k + 1 < e.commands.size()) {
      ASSERT_TRUE(last.status == 0 || last.status == 4) << e.where << ": " << command[0] << " ended with status "
                                                         << last.status << "\n" << last.err;
    }
  }
  EXPECT_EQ(last.status, e.status) << e.where << "\n" << last.err;
  std::string shown;
  if (e.shows == "standard output") {
    shown = last.out;
  } else if (e.shows == "standard error") {
    shown = last.err;
  } else {
    ASSERT_TRUE(dir.exists(e.shows)) << e.where << ": the run leaves no " << e.shows;
    shown = dir.read(e.shows);
  }
  EXPECT_EQ(compare_with_block(e.block, shown), "matches") << e.where << " (" << e.shows << ")";
}

INSTANTIATE_TEST_SUITE_P(Docs, DocumentedOutput, ::testing::ValuesIn(documented_examples()),
                         [](const ::testing::TestParamInfo<DocumentedExample>& info) {
                           std::string name;
                           for (char c : info.param.where) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace korvane2::testing
