#include "import/line_values.h"

#include "core/parse_number.h"

namespace {
bool Is_Blank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

int Read_Blank_Separated(std::string_view text, double* values, int count) {
  size_t at = 0;
  int found = 0;
  for (; found < count; ++found) {
    while (at < text.size() && Is_Blank(text[at])) ++at;
    if (at == text.size()) break;
    size_t end = at;
    while (end < text.size() && !Is_Blank(text[end])) ++end;
    values[found] = Parse_Number(text.substr(at, end - at));
    at = end;
  }
  for (int i = found; i < count; ++i) values[i] = 0.0;
  return found;
}
