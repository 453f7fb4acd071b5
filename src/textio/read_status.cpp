// Descriptions of the read statuses, used by the diagnostics that name a failed field
// of the parameter file or of the ring table.
#include "textio/read_status.hpp"

namespace korvane2::textio {

const char* read_status_text(int status) {
  switch (status) {
    case kReadOk: return "no error";
    case kReadEndOfFile: return "end of file";
    case kReadInvalidInteger: return "not an integer";
    case kReadIntegerOverflow: return "integer overflow (the value does not fit 32 bits)";
    case kReadInvalidRadix: return "invalid radix form";
    case kReadInvalidReal: return "not a real number";
    case kReadRealOverflow: return "real overflow (the value is too large for a double)";
    case kReadBadRepeatCount: return "invalid repeat count";
    case kReadQuotedValue: return "a quoted text or a parenthesised pair where a number is expected";
    case kReadFault: return "the file could not be read";
    case kReadValueTooLong: return "a value too long to be read";
    case kReadItemMismatch: return "an item that does not match the layout of the statement";
  }
  return "unknown read error";
}

}  // namespace korvane2::textio
