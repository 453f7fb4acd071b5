// Free-format read statement of the ring table: finds values between blanks, commas and
// line ends, with null values, "/", repeat counts and statements over several lines.
#include "textio/free_format_reader.hpp"

#include "textio/field_conversion.hpp"
#include "textio/read_status.hpp"

namespace korvane2::textio {

namespace {

// Longest value text that is kept; a longer value is an error, its surplus is not stored.
constexpr std::size_t kMaxValueText = 4096;

}  // namespace

int FreeFormatReader::begin_read(CharSource& source) {
  source_ = &source;
  lastSeparator_ = ',';
  repeatLeft_ = 0;
  valueText_.clear();
  valueTooLong_ = false;
  endedAtLineEnd_ = false;
  return kReadOk;
}

// Passes over the rest of the current line up to and including its LF. Returns false when
// the file could not be read.
bool FreeFormatReader::skip_line() { return source_->skip_line() || !source_->failed(); }

// Reads the next value from the file into valueText_ and records the character that
// ended it. isNull is set when the value is empty.
int FreeFormatReader::next_value(bool& isNull) {
  valueText_.clear();
  valueTooLong_ = false;
  endedAtLineEnd_ = false;
  bool repeatActive = false;
  for (;;) {
    const int c = source_->peek();
    if (c == CharSource::kEnd) {
      itemLine_ = source_->line_number();
      return source_->failed() ? kReadFault : kReadEndOfFile;
    }
    if (c == '\n' || c == '\r') {
      // The line end counts as a blank; the rest of the line is passed over first.
      const long line = source_->line_number();
      if (!skip_line()) {
        itemLine_ = line;
        return kReadFault;
      }
      if (valueText_.empty() && !repeatActive) continue;
      if (!valueText_.empty()) endedAtLineEnd_ = true;
      if (valueText_.empty()) itemLine_ = line;
      lastSeparator_ = ' ';
      break;
    }
    const long line = source_->line_number();
    source_->get();
    if (c == ' ' || c == '\t') {
      if (valueText_.empty() && !repeatActive) continue;
      if (valueText_.empty()) itemLine_ = line;
      lastSeparator_ = ' ';
      break;
    }
    if (c == ',') {
      if (valueText_.empty() && lastSeparator_ == ' ' && !repeatActive) {
        lastSeparator_ = ',';  // completes the blank separator before it
        continue;
      }
      if (valueText_.empty()) itemLine_ = line;
      lastSeparator_ = ',';
      break;
    }
    if (c == '/') {
      if (valueText_.empty()) itemLine_ = line;
      lastSeparator_ = '/';
      break;
    }
    if (c == '*') {
      if (valueText_.empty()) itemLine_ = line;
      if (repeatActive) return kReadBadRepeatCount;
      if (valueTooLong_) return kReadValueTooLong;
      std::int32_t count = 0;
      const int status = convert_integer(valueText_, count);
      if (status != kReadOk) return status;
      if (count < 1) return kReadBadRepeatCount;
      repeatLeft_ = count - 1;
      repeatActive = true;
      valueText_.clear();
      continue;
    }
    if (valueText_.empty()) {
      itemLine_ = line;
      if (c == '\'' || c == '"' || c == '(') return kReadQuotedValue;
    }
    if (valueText_.size() < kMaxValueText) {
      valueText_.push_back(static_cast<char>(c));
    } else {
      valueTooLong_ = true;
    }
  }
  isNull = valueText_.empty();
  return kReadOk;
}

// Finds the text for the next item. `take` is false when the item keeps its value.
int FreeFormatReader::next_item(bool& take) {
  take = false;
  if (source_ == nullptr) return kReadItemMismatch;
  if (lastSeparator_ == '/' && repeatLeft_ == 0) return kReadOk;
  if (repeatLeft_ > 0) {
    --repeatLeft_;
  } else {
    bool isNull = false;
    const int status = next_value(isNull);
    if (status != kReadOk) return status;
  }
  if (valueTooLong_) return kReadValueTooLong;
  take = !valueText_.empty();
  return kReadOk;
}

int FreeFormatReader::read_integer(std::int32_t& value) {
  bool take = false;
  itemAssigned_ = false;
  int status = next_item(take);
  if (status != kReadOk || !take) return status;
  status = convert_integer(valueText_, value);
  itemAssigned_ = status == kReadOk;
  return status;
}

int FreeFormatReader::read_double(double& value) {
  bool take = false;
  itemAssigned_ = false;
  int status = next_item(take);
  if (status != kReadOk || !take) return status;
  status = convert_double(valueText_, 0, false, value);
  itemAssigned_ = status == kReadOk;
  return status;
}

int FreeFormatReader::end_read() {
  if (source_ == nullptr) return kReadItemMismatch;
  if (!endedAtLineEnd_ && !skip_line()) return kReadFault;
  return kReadOk;
}

}  // namespace korvane2::textio
