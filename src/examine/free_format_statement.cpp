// Item-by-item free-format statements for the inspector's readers, remembering where
// a statement stopped.
#include "examine/free_format_statement.hpp"

#include <cstdint>

#include "textio/free_format_reader.hpp"
#include "textio/read_status.hpp"

namespace korvane2::examine {

int read_items(textio::CharSource& source, std::span<double> values, const std::function<bool(int)>& isInteger,
               StatementPlace& place) {
  place = StatementPlace{};
  textio::FreeFormatReader reader;
  int status = reader.begin_read(source);
  const int count = static_cast<int>(values.size());
  for (int k = 1; status == textio::kReadOk && k <= count; ++k) {
    if (isInteger(k)) {
      std::int32_t v = static_cast<std::int32_t>(values[k - 1]);
      status = reader.read_integer(v);
      if (status == textio::kReadOk) values[k - 1] = v;
    } else {
      status = reader.read_double(values[k - 1]);
    }
    if (k == 1) place.firstLine = reader.item_line();
    if (status != textio::kReadOk) {
      place.failedItem = k;
      place.failedLine = reader.item_line();
      return status;
    }
  }
  if (status == textio::kReadOk) status = reader.end_read();
  if (status != textio::kReadOk) {
    place.failedItem = count;
    place.failedLine = source.line_number();
  }
  return status;
}

const char* stop_reason(int status) {
  return status == textio::kReadEndOfFile ? "the file ends inside the record" : textio::read_status_text(status);
}

}  // namespace korvane2::examine
