#include "docs/documented_example.hpp"

#include <cstddef>
#include <sstream>

#include "support/text_files.hpp"

namespace korvane2::testing {

namespace {

const std::string kMarkerStart = "<!-- example:";
const std::string kMarkerEnd = "-->";

std::string trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string without_trailing_blanks(std::string line) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t')) line.pop_back();
  return line;
}

bool is_fence(const std::string& line) { return line.rfind("```", 0) == 0; }

// The line of the fence that closes the block opened at `open` (lines.size() if none).
std::size_t closing_fence(const std::vector<std::string>& lines, std::size_t open) {
  std::size_t end = open + 1;
  while (end < lines.size() && !is_fence(lines[end])) ++end;
  return end;
}

std::vector<std::string> words_of(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The items of a marker line; an empty `fault` when they make an example.
DocumentedExample parse_marker(const std::string& line, std::string& fault) {
  DocumentedExample example;
  std::string body = trim(line).substr(kMarkerStart.size());
  if (body.size() < kMarkerEnd.size() || body.compare(body.size() - kMarkerEnd.size(), kMarkerEnd.size(), kMarkerEnd) != 0) {
    fault = "the marker does not end with -->";
    return example;
  }
  body.resize(body.size() - kMarkerEnd.size());
  std::istringstream items(body);
  for (std::string item; std::getline(items, item, ';');) {
    item = trim(item);
    if (item.rfind("in ", 0) == 0) {
      example.inputs = trim(item.substr(3));
    } else if (item.rfind("shows ", 0) == 0) {
      example.shows = trim(item.substr(6));
    } else if (item.rfind("status ", 0) == 0) {
      const std::string digits = trim(item.substr(7));
      if (digits.empty() || digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos) {
        fault = "the status in \"" + item + "\" is not a number";
        return example;
      }
      example.status = std::stoi(digits);
    } else if (item == "korvane2" || item.rfind("korvane2 ", 0) == 0 || item.rfind("korvane2-inspect", 0) == 0) {
      example.commands.push_back(words_of(item));
    } else {
      fault = "unknown item \"" + item + "\" in the marker";
      return example;
    }
  }
  if (example.inputs.empty() || example.shows.empty() || example.commands.empty())
    fault = "the marker needs \"in FOLDER\", at least one command and \"shows ...\"";
  return example;
}

}  // namespace

void PrintTo(const DocumentedExample& example, std::ostream* os) { *os << example.where; }

DocumentScan scan_document(const std::string& name, const std::string& text) {
  DocumentScan scan;
  const std::vector<std::string> lines = lines_of(text);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string where = name + ":" + std::to_string(n + 1);
    if (trim(lines[n]).rfind(kMarkerStart, 0) == 0) {
      std::string fault;
      DocumentedExample example = parse_marker(lines[n], fault);
      if (fault.empty() && (n + 1 >= lines.size() || !is_fence(lines[n + 1])))
        fault = "the marker is not followed by a fenced block";
      const bool block = n + 1 < lines.size() && is_fence(lines[n + 1]);
      const std::size_t end = block ? closing_fence(lines, n + 1) : n;
      if (!fault.empty()) {
        scan.faults.push_back(where + ": " + fault);
      } else if (end == lines.size()) {
        scan.faults.push_back(where + ": the fenced block is not closed");
      } else {
        example.where = where;
        example.block.assign(lines.begin() + static_cast<std::ptrdiff_t>(n + 2), lines.begin() + static_cast<std::ptrdiff_t>(end));
        scan.examples.push_back(example);
      }
      n = end;
    } else if (is_fence(lines[n])) {
      scan.faults.push_back(where + ": fenced block without an example marker on the line before it");
      n = closing_fence(lines, n);
    }
  }
  return scan;
}

std::string compare_with_block(const std::vector<std::string>& block, const std::string& output) {
  std::vector<std::string> out = lines_of(output);
  for (std::string& line : out) line = without_trailing_blanks(line);
  // The block as runs of lines that must stand in the output in this order, the gaps
  // between them (one line at least) left out by "...".
  std::vector<std::vector<std::string>> runs(1);
  for (const std::string& line : block) {
    if (trim(line) == "...")
      runs.emplace_back();
    else
      runs.back().push_back(without_trailing_blanks(line));
  }
  const auto run_at = [&](const std::vector<std::string>& run, std::size_t at) {
    if (at + run.size() > out.size()) return false;
    for (std::size_t k = 0; k < run.size(); ++k)
      if (out[at + k] != run[k]) return false;
    return true;
  };
  const auto mismatch = [&](const std::vector<std::string>& run, std::size_t at) {
    for (std::size_t k = 0; k < run.size(); ++k) {
      const std::string got = at + k < out.size() ? out[at + k] : "<no line>";
      if (got != run[k]) return "output line " + std::to_string(at + k + 1) + ":\n  got:      " + got + "\n  document: " + run[k];
    }
    return std::string("the output has more lines than the document shows");
  };

  if (runs.size() == 1) return run_at(runs[0], 0) && out.size() == runs[0].size() ? "matches" : mismatch(runs[0], 0);
  if (!run_at(runs.front(), 0)) return mismatch(runs.front(), 0);
  std::size_t next = runs.front().size() + 1;  // the first line a later run may start at
  for (std::size_t r = 1; r + 1 < runs.size(); ++r) {
    std::size_t at = next;
    while (at < out.size() && !run_at(runs[r], at)) ++at;
    if (at >= out.size()) return "the output has no lines \"" + (runs[r].empty() ? "" : runs[r][0]) + "\"... after line " + std::to_string(next);
    next = at + runs[r].size() + 1;
  }
  const std::vector<std::string>& last = runs.back();
  if (out.size() < next + last.size()) return "the output ends before the lines after the last \"...\"";
  return run_at(last, out.size() - last.size()) ? "matches" : mismatch(last, out.size() - last.size());
}

}  // namespace korvane2::testing
