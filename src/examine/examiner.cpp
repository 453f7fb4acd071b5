// The order of an inspection: read, measure, check, report, then the optional picture
// and table; file reading and writing with their messages.
#include "examine/examiner.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "examine/csv_table.hpp"
#include "examine/initial_data_reader.hpp"
#include "examine/parameter_dry_run.hpp"
#include "examine/ring_membership.hpp"
#include "examine/structure_checks.hpp"
#include "examine/structure_measures.hpp"
#include "examine/structure_summary.hpp"
#include "examine/svg_picture.hpp"
#include "textio/file_names.hpp"

namespace korvane2::examine {

namespace {

constexpr const char* kProgram = "korvane2-inspect: ";

std::optional<std::string> read_file(const std::string& path, std::ostream& err) {
  if (std::filesystem::is_directory(path)) {
    err << kProgram << "cannot read " << path << ": it is a directory\n";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    err << kProgram << "cannot read " << path << ": " << std::strerror(errno) << "\n";
    return std::nullopt;
  }
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) {
    err << kProgram << "cannot read " << path << "\n";
    return std::nullopt;
  }
  return s.str();
}

bool write_file(const std::string& path, const std::string& bytes, std::ostream& err) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (out) out.close();
  if (!out) {
    err << kProgram << "cannot write " << path << ": " << std::strerror(errno) << "\n";
    return false;
  }
  return true;
}

// Whether writing the file of name `a` would destroy or overwrite the file of name `b`:
// devices and pipes never clash, since writing them replaces nothing.
bool same_file(const std::string& a, const std::string& b) {
  const textio::FileIdentity ia = textio::identify_file(a), ib = textio::identify_file(b);
  return ia.regular && ib.regular && textio::same_file(ia, ib);
}

// An output that is an input or another output would destroy it or be lost: refused
// before anything is read or written.
bool outputs_are_separate(const Options& options, std::ostream& err) {
  struct Named {
    const char* what;
    const char* option;
    const std::string& name;
  };
  const Named inputs[] = {{"the initial-data file", "", options.dataFile}, {"the --rings file", "--rings", options.ringsFile}};
  const Named outputs[] = {{"the --svg picture", "--svg", options.svgFile}, {"the --csv table", "--csv", options.csvFile}};
  for (std::size_t o = 0; o < std::size(outputs); ++o) {
    const Named& out = outputs[o];
    if (out.name.empty()) continue;
    auto refuse = [&](const Named& other, const char* harm) {
      err << kProgram << out.what << " " << out.name << " is the same file as " << other.what << " " << other.name
          << ", which writing it would " << harm << "; nothing is written: give " << out.option
          << " another file name\n";
      return false;
    };
    for (const Named& in : inputs)
      if (!in.name.empty() && same_file(out.name, in.name)) return refuse(in, "destroy");
    for (std::size_t earlier = 0; earlier < o; ++earlier)
      if (!outputs[earlier].name.empty() && same_file(out.name, outputs[earlier].name))
        return refuse(outputs[earlier], "overwrite");
  }
  return true;
}

}  // namespace

int run_inspector(const Options& options, std::ostream& out, std::ostream& err) {
  if (options.mode == Mode::kParams) return dry_run_parameters(options.paramsFile, out, err);
  if (!outputs_are_separate(options, err)) return kCannotRead;

  const std::optional<std::string> bytes = read_file(options.dataFile, err);
  if (!bytes) return kCannotRead;
  InitialData data;
  if (auto failure = read_initial_data(*bytes, data)) {
    err << kProgram << options.dataFile << ": cannot be read: " << failure->text() << "\n";
    return kCannotRead;
  }

  std::optional<RingMembership> rings;
  if (!options.ringsFile.empty()) {
    const std::optional<std::string> ringBytes = read_file(options.ringsFile, err);
    if (!ringBytes) return kCannotRead;
    std::vector<RingRecord> records;
    if (auto failure = read_ring_summary(*ringBytes, records)) {
      err << kProgram << options.ringsFile << ": cannot be read: " << failure->text() << "\n";
      return kCannotRead;
    }
    rings = assign_rings(std::move(records), static_cast<int>(data.bodies.size()));
  }
  const RingMembership* ringsShown = rings ? &*rings : nullptr;

  const StructureMeasures measures = measure_structure(data);
  const CheckReport report = check_structure(data, measures, ringsShown);
  out << summary_text(options.dataFile, data, measures, ringsShown) << checks_text(report);

  int status = report.passed() ? kAllChecksHold : kCheckFailed;
  if (!options.svgFile.empty()) {
    const std::string title = std::filesystem::path(options.dataFile).filename().string();
    if (data.bodies.empty()) {
      err << kProgram << "no bodies to draw in " << options.svgFile << "\n";
      status = kCannotRead;
    } else if (!write_file(options.svgFile, svg_picture(title, data, ringsShown), err)) {
      status = kCannotRead;
    }
  }
  if (!options.csvFile.empty() && !write_file(options.csvFile, csv_table(data, ringsShown), err)) status = kCannotRead;
  return status;
}

}  // namespace korvane2::examine
