// Reading result files back for the end-to-end tests, through the system's own
// free-format reader over bytes held in memory.
#include "support/initial_data.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "textio/char_source.hpp"
#include "textio/free_format_reader.hpp"

namespace korvane2::testing {

namespace {

// One read statement over a source; remembers the first failing item by its number.
class Statement {
 public:
  Statement(textio::CharSource& src, const std::string& what) : what_(what) {
    status_ = reader_.begin_read(src);
    if (status_ != 0) failedAt_ = "start";
  }
  Statement& i(std::int32_t& v) {
    step([&] { return reader_.read_integer(v); });
    return *this;
  }
  Statement& d(double& v) {
    step([&] { return reader_.read_double(v); });
    return *this;
  }
  // True when every step succeeded; otherwise `failure` names the record and the item.
  bool end(std::string& failure) {
    if (status_ == 0) {
      status_ = reader_.end_read();
      if (status_ != 0) failedAt_ = "end";
    }
    if (status_ == 0) return true;
    failure = what_ + ": " + failedAt_ + " failed with read status " + std::to_string(status_);
    return false;
  }

 private:
  template <typename F>
  void step(F read) {
    ++item_;
    if (status_ != 0) return;
    status_ = read();
    if (status_ != 0) failedAt_ = "item " + std::to_string(item_);
  }

  textio::FreeFormatReader reader_;
  std::string what_;
  int status_ = 0;
  int item_ = 0;
  std::string failedAt_;
};

}  // namespace

InitialData read_initial_data(const std::string& bytes) {
  InitialData r;
  textio::MemorySource src(bytes);

  Statement h(src, "header");
  for (double& v : r.header.d) h.d(v);
  h.i(r.header.one1).i(r.header.one2).i(r.header.NB);
  for (double& v : r.header.hd) h.d(v);
  h.i(r.header.Ncub);
  if (!h.end(r.failure)) return r;
  if (r.header.NB < 0 || r.header.NB > 1000000) {
    r.failure = "header: NB = " + std::to_string(r.header.NB);
    return r;
  }

  for (int j = 1; j <= r.header.NB; ++j) {
    BodyRecord b;
    Statement s(src, "body " + std::to_string(j));
    for (double& v : b.item) s.d(v);
    if (!s.end(r.failure)) return r;
    r.bodies.push_back(b);
  }

  Statement t(src, "trailer");
  t.i(r.trailer.Ntail).i(r.trailer.NB).d(r.trailer.Mtot).d(r.trailer.Runit).d(r.trailer.Vfac);
  for (std::int32_t& z : r.trailer.zeros) t.i(z);
  if (!t.end(r.failure)) return r;

  r.complete = true;
  r.bytesAfterTrailer = src.peek() != textio::CharSource::kEnd;
  return r;
}

std::vector<SummaryRecord> read_ring_summary(const std::string& bytes, bool* complete) {
  std::vector<SummaryRecord> out;
  textio::MemorySource src(bytes);
  if (complete) *complete = true;
  while (src.peek() != textio::CharSource::kEnd) {
    SummaryRecord rec;
    std::string failure;
    Statement s(src, "summary record " + std::to_string(out.size() + 1));
    s.i(rec.Iring).i(rec.N3).d(rec.okf).d(rec.Ctilt).d(rec.Rring).d(rec.Mbr);
    if (!s.end(failure)) {
      if (complete) *complete = false;
      break;
    }
    out.push_back(rec);
  }
  return out;
}

std::vector<std::string> split_lines(const std::string& bytes, bool* allCrLf) {
  std::vector<std::string> lines;
  bool crlf = true;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t lf = bytes.find('\n', start);
    if (lf == std::string::npos) {
      lines.push_back(bytes.substr(start));
      crlf = false;
      break;
    }
    if (lf == start || bytes[lf - 1] != '\r') {
      crlf = false;
      lines.push_back(bytes.substr(start, lf - start));
    } else {
      lines.push_back(bytes.substr(start, lf - 1 - start));
    }
    start = lf + 1;
  }
  if (allCrLf) *allCrLf = crlf;
  return lines;
}

double number_in(const std::string& field) {
  const char* begin = field.c_str();
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(begin, &end);
  bool ok = end != begin && errno == 0;
  for (const char* p = end; ok && *p; ++p) ok = *p == ' ';
  if (!ok) {
    ADD_FAILURE() << "not a number: [" << field << "]";
    return std::numeric_limits<double>::quiet_NaN();
  }
  return v;
}

}  // namespace korvane2::testing
