// Read status of one step of a read statement, shared by the fixed-column and the
// free-format readers: 0 success, -1 end of file, a positive number for any other failure.
#pragma once

namespace korvane2::textio {

enum ReadStatus : int {
  kReadOk = 0,
  kReadEndOfFile = -1,
  kReadInvalidInteger = 1,
  kReadIntegerOverflow = 2,
  kReadInvalidRadix = 3,
  kReadInvalidReal = 4,
  kReadRealOverflow = 5,
  kReadBadRepeatCount = 6,
  kReadQuotedValue = 7,
  kReadFault = 8,  // the file could not be read (an input/output error of the system)
  kReadValueTooLong = 9,   // a free-format value longer than the reader keeps
  kReadItemMismatch = 10,  // an item that the statement's layout has no field for
};

// A short English description of a status, for diagnostics on standard error.
const char* read_status_text(int status);

}  // namespace korvane2::textio
