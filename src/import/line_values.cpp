#include "import/line_values.h"

#include "core/parse_number.h"

namespace {
bool Is_Blank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

int Read_Blank_Separated(std::string_view text, double* values, int count) {
  const char* p = text.data();
  const char* end = p + text.size();
  int found = 0;
  for (; found < count; ++found) {
    while (p != end && Is_Blank(*p)) ++p;
    if (p == end) break;
    // Most values are plain decimals that end where the blank starts: read
    // them while scanning; anything else goes through the full grammar.
    const char* stop = Scan_Plain_Decimal(p, end, values[found]);
    if (stop && (stop == end || Is_Blank(*stop))) {
      p = stop;
      continue;
    }
    const char* token_end = p;
    while (token_end != end && !Is_Blank(*token_end)) ++token_end;
    values[found] = Parse_Number(std::string_view(p, static_cast<size_t>(token_end - p)));
    p = token_end;
  }
  for (int i = found; i < count; ++i) values[i] = 0.0;
  return found;
}

Point3 Read_Point(std::string_view text) {
  double values[3];
  Read_Blank_Separated(text, values, 3);
  return {Round_To_Single(values[0]), Round_To_Single(values[1]), Round_To_Single(values[2])};
}
