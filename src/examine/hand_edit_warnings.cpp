// Heuristics on the raw characters of a parameter-file line, with columns counted from 1
// as the fixed-column reader counts them (a tab is one column).
#include "examine/hand_edit_warnings.hpp"

#include <cctype>
#include <tuple>

#include "examine/text_format.hpp"
#include "textio/field_conversion.hpp"
#include "textio/read_status.hpp"

namespace korvane2::examine {

namespace {

constexpr int kLabelColumns = 59;

bool blank(char c) { return c == ' ' || c == '\t'; }

// The line as the reader sees it: up to the first CR.
std::string_view usable(std::string_view line) {
  const std::size_t cr = line.find('\r');
  return cr == std::string_view::npos ? line : line.substr(0, cr);
}

char at(std::string_view line, int column) {
  return column >= 1 && static_cast<std::size_t>(column) <= line.size() ? line[static_cast<std::size_t>(column - 1)]
                                                                        : ' ';
}

// The run of non-blank characters through `column`: its first and last column.
std::pair<int, int> token_through(std::string_view line, int column) {
  int first = column, last = column;
  while (first > 1 && !blank(at(line, first - 1))) --first;
  while (static_cast<std::size_t>(last) < line.size() && !blank(at(line, last + 1))) ++last;
  return {first, last};
}

std::string columns_text(std::string_view line, int first, int last) {
  if (first < 1) first = 1;
  if (static_cast<std::size_t>(last) > line.size()) last = static_cast<int>(line.size());
  if (last < first) return {};
  return std::string(line.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1)));
}

std::string range(int first, int last) { return first == last ? format("column %d", first) : format("columns %d-%d", first, last); }

bool looks_like_number(std::string_view text) {
  bool digit = false;
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c))) digit = true;
    else if (!(c == '.' || c == '+' || c == '-' || c == 'E' || c == 'e' || c == 'D' || c == 'd')) return false;
  }
  double v = 0.0;
  return digit && textio::convert_double(text, 0, false, v) == textio::kReadOk;
}

// The mantissa of a real's compact text with ".0" put before its exponent.
std::string with_point(const std::string& text) {
  std::size_t end = text.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd' || ((c == '+' || c == '-') && i > 0)) {
      end = i;
      break;
    }
  }
  return text.substr(0, end) + ".0" + text.substr(end);
}

}  // namespace

int field_first_column() { return kLabelColumns + 1; }

int field_last_column(textio::FixedLayout layout) { return layout == textio::FixedLayout::kDouble11_5 ? 70 : 71; }

std::string in_quotes(std::string_view text) {
  std::string out(1, '"');
  out.append(visible(text));
  out.push_back('"');
  return out;
}

std::string visible(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (c < 32 || c == 127) out += format("\\x%02X", c);
    else out += static_cast<char>(c);
  }
  return out;
}

std::vector<HandEditWarning> hand_edit_warnings(std::string_view rawLine, textio::FixedLayout layout) {
  std::vector<HandEditWarning> w;
  const std::string_view line = usable(rawLine);
  const int first = field_first_column(), last = field_last_column(layout);
  const bool numeric = layout != textio::FixedLayout::kText12;
  const std::string range_of_field = range(first, last);

  if (line.size() + 1 < rawLine.size())
    w.push_back({static_cast<int>(line.size()) + 1, static_cast<int>(line.size()) + 1,
                 format("a carriage return in column %zu ends the line for the program: ", line.size() + 1) +
                     "nothing after it is read"});

  for (int c = 1; c <= last && static_cast<std::size_t>(c) <= line.size(); ++c)
    if (line[static_cast<std::size_t>(c - 1)] == '\t')
      w.push_back({c, c, format("a tab in column %d counts as one column, so the field (%s) is not where it looks "
                                "in an editor",
                                c, range_of_field.c_str())});

  // The field's own characters, up to a comma for the numeric layouts.
  std::string field = columns_text(line, first, last);
  int comma = 0;
  if (numeric) {
    const std::size_t at_comma = field.find(',');
    if (at_comma != std::string::npos) {
      comma = first + static_cast<int>(at_comma);
      const std::string rest = field.substr(at_comma + 1);
      w.push_back({comma, last, format("a comma in column %d ends the field: ", comma) +
                                    (rest.find_first_not_of(" \t") == std::string::npos
                                         ? std::string("the columns after it are not read")
                                         : in_quotes(rest) + " after it is not read")});
      field = field.substr(0, at_comma);
    }
  }

  if (!blank(at(line, first - 1)) && line.size() >= static_cast<std::size_t>(first - 1)) {
    auto [a, b] = token_through(line, first - 1);
    w.push_back({a, b, format("column %d, just before the field (%s), is not blank: ", first - 1,
                              range_of_field.c_str()) +
                           in_quotes(columns_text(line, a, b)) + " (" + range(a, b) +
                           (b >= first ? ") begins before the field, and its first characters are not read"
                                       : ") touches the field")});
  }
  if (!blank(at(line, last + 1)) && line.size() > static_cast<std::size_t>(last)) {
    auto [a, b] = token_through(line, last + 1);
    const std::string token = columns_text(line, a, b);
    if (!numeric) {
      const std::string kept = columns_text(line, a < first ? first : a, last);
      const bool tooLong = token.size() > 12;
      w.push_back({a, b, (tooLong ? format("the name \"%s\" has %zu characters, more than twelve", visible(token).c_str(),
                                           token.size())
                                  : format("the name \"%s\" (%s) runs past column %d", visible(token).c_str(),
                                           range(a, b).c_str(), last)) +
                             ": only columns " + format("%d-%d", first, last) + " are read, and the file is named " +
                             in_quotes(kept)});
    } else {
      w.push_back({a, b, format("column %d, just after the field (%s), is not blank: ", last + 1,
                                range_of_field.c_str()) +
                             in_quotes(token) + " (" + range(a, b) + ") " +
                             (a <= last ? format("runs past column %d, and the characters after it are not read", last)
                                        : std::string("is not read"))});
    }
  }

  if (numeric) {
    std::string compact;
    for (char c : field)
      if (!blank(c)) compact += c;
    if (compact.empty() && comma == 0) {
      // A blank field reads as 0: a number next to it was probably meant for it.
      for (int side = 0; side < 2; ++side) {
        int a = 0, b = 0;
        if (side == 0) {
          int c = first - 1;
          while (c >= 1 && blank(at(line, c))) --c;
          if (c < 1) continue;
          std::tie(a, b) = token_through(line, c);
        } else {
          int c = last + 1;
          while (static_cast<std::size_t>(c) <= line.size() && blank(at(line, c))) ++c;
          if (static_cast<std::size_t>(c) > line.size()) continue;
          std::tie(a, b) = token_through(line, c);
        }
        const std::string token = columns_text(line, a, b);
        if (looks_like_number(token))
          w.push_back({a, b, format("the field (%s) is blank and reads as 0, but the number \"%s\" stands %s it, in ",
                                    range_of_field.c_str(), token.c_str(), side == 0 ? "before" : "after") +
                                 range(a, b)});
      }
    }
    if (layout == textio::FixedLayout::kDouble11_5 && !compact.empty() && compact.find('.') == std::string::npos) {
      double value = 0.0;
      if (textio::convert_double(compact, 5, true, value) == textio::kReadOk && value != 0.0)
        w.push_back({first, last, in_quotes(compact) + " has no decimal point, so it has five implied decimals and "
                                  "reads as " + exact_real(value) + "; write " + in_quotes(with_point(compact)) +
                                  " if that is what is meant"});
    }
  }
  return w;
}

}  // namespace korvane2::examine
