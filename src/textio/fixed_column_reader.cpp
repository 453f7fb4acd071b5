// Fixed-column read statement of the parameter file: skips the 59 label columns, collects
// the value columns of one line and converts them as an integer, a double or a text.
#include "textio/fixed_column_reader.hpp"

#include <string>

#include "textio/field_conversion.hpp"
#include "textio/read_status.hpp"

namespace korvane2::textio {

namespace {

constexpr int kSkippedColumns = 59;
constexpr int kEndOfFileByte = 26;
constexpr int kImpliedDecimals = 5;

bool ends_line(int c) { return c == '\n' || c == '\r' || c == CharSource::kEnd; }

}  // namespace

int FixedColumnReader::begin_read(CharSource& source, FixedLayout layout) {
  source_ = &source;
  layout_ = layout;
  line_ = source.line_number();
  field_.clear();
  transferred_ = false;
  return kReadOk;
}

// True when the data stopped because the file could not be read (not its normal end).
bool FixedColumnReader::read_fault() const {
  return source_->peek() == CharSource::kEnd && source_->failed();
}

// Checks that the line exists and skips its label columns; the position is then at
// column 60, or at the CR or LF of a shorter line.
int FixedColumnReader::start_line(FixedLayout layout) {
  if (source_ == nullptr || transferred_ || layout != layout_) return kReadItemMismatch;
  transferred_ = true;
  line_ = source_->line_number();
  field_.clear();
  if (source_->peek() == CharSource::kEnd) {
    return source_->failed() ? kReadFault : kReadEndOfFile;
  }
  for (int column = 1; column <= kSkippedColumns; ++column) {
    if (ends_line(source_->peek())) break;
    source_->get();
  }
  return read_fault() ? kReadFault : kReadOk;
}

// Takes up to `width` characters of the field and builds the compact text by the
// character rules of the numeric layouts.
int FixedColumnReader::collect_numeric(int width, bool isDouble, std::string& compact) {
  for (int i = 0; i < width; ++i) {
    const int c = source_->peek();
    if (ends_line(c)) return read_fault() ? kReadFault : kReadOk;
    source_->get();
    field_.push_back(static_cast<char>(c));
    switch (c) {
      case ' ':
      case '\t':
        break;
      case ',':
        return kReadOk;
      case kEndOfFileByte:
        return kReadEndOfFile;
      case '+':
      case '-':
        compact.push_back(static_cast<char>(c));
        if (isDouble && compact.size() == 1) compact.push_back('0');
        break;
      case '.':
        if (isDouble && compact.empty()) compact.push_back('0');
        compact.push_back('.');
        break;
      case '0':
        if (isDouble || !compact.empty()) compact.push_back('0');
        break;
      default:
        compact.push_back(static_cast<char>(c));
        break;
    }
  }
  return kReadOk;
}

int FixedColumnReader::read_integer(std::int32_t& value) {
  int status = start_line(FixedLayout::kInteger12);
  if (status != kReadOk) return status;
  std::string compact;
  status = collect_numeric(12, false, compact);
  if (status != kReadOk) return status;
  return convert_integer(compact, value);
}

int FixedColumnReader::read_double(double& value) {
  int status = start_line(FixedLayout::kDouble11_5);
  if (status != kReadOk) return status;
  std::string compact;
  status = collect_numeric(11, true, compact);
  if (status != kReadOk) return status;
  return convert_double(compact, kImpliedDecimals, true, value);
}

int FixedColumnReader::read_text(Text12& value) {
  const int status = start_line(FixedLayout::kText12);
  if (status != kReadOk) return status;
  Text12 text;
  text.fill(' ');
  for (char& slot : text) {
    const int c = source_->peek();
    if (ends_line(c)) {
      if (read_fault()) return kReadFault;
      break;
    }
    source_->get();
    slot = static_cast<char>(c);
    field_.push_back(slot);
  }
  value = text;
  return kReadOk;
}

int FixedColumnReader::end_read() {
  if (source_ == nullptr) return kReadItemMismatch;
  // A statement without a transfer still needs its line.
  if (!transferred_ && source_->peek() == CharSource::kEnd) {
    return source_->failed() ? kReadFault : kReadEndOfFile;
  }
  if (!source_->skip_line() && source_->failed()) return kReadFault;
  return kReadOk;
}

}  // namespace korvane2::textio
