// One free-format read statement of a result file, item by item through
// textio::FreeFormatReader, with the item and the line where it stopped.
#pragma once

#include <functional>
#include <span>

#include "textio/char_source.hpp"

namespace korvane2::examine {

struct StatementPlace {
  long firstLine = 0;  // line of the first value
  int failedItem = 0;  // 1-based item at which the statement stopped, 0 when it did not
  long failedLine = 0; // line where that item was looked for
};

// Reads values.size() items; an item k (1-based) for which isInteger(k) holds is read
// with the integer rules and stored exactly as a double. Returns the read status.
int read_items(textio::CharSource& source, std::span<double> values, const std::function<bool(int)>& isInteger,
               StatementPlace& place);

// The status as a reason: the end of the file inside a record, or the conversion error.
const char* stop_reason(int status);

}  // namespace korvane2::examine
