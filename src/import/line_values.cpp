#include "import/line_values.h"

#include "core/parse_number.h"
#include "core/text_chars.h"

namespace {

// The next blank-separated value at or after `p`, or nullptr when none is
// left; returns the position after it. Most values have the plain shape
// `scan` reads while scanning, ending where the blank starts; any other
// token goes through Parse_Number and `convert`.
template <typename Value, typename Scan, typename Convert>
const char* Next_Value(const char* p, const char* end, Value& value, Scan scan, Convert convert) {
  while (p != end && Is_Blank(*p)) ++p;
  if (p == end) return nullptr;
  const char* stop = scan(p, end, value);
  if (stop && (stop == end || Is_Blank(*stop))) return stop;
  const char* token_end = p;
  while (token_end != end && !Is_Blank(*token_end)) ++token_end;
  value = convert(Parse_Number(std::string_view(p, static_cast<size_t>(token_end - p))));
  return token_end;
}

// The first `count` blank-separated values of `text`.
template <typename Value, typename Scan, typename Convert>
int Read_Values(std::string_view text, Value* values, int count, Scan scan, Convert convert) {
  const char* p = text.data();
  const char* end = p + text.size();
  int found = 0;
  for (; found < count; ++found) {
    p = Next_Value(p, end, values[found], scan, convert);
    if (!p) break;
  }
  for (int i = found; i < count; ++i) values[i] = Value{};
  return found;
}

}  // namespace

int Read_Blank_Separated(std::string_view text, double* values, int count) {
  return Read_Values(text, values, count, Scan_Plain_Decimal, [](double value) { return value; });
}

int Read_Blank_Separated_Int32(std::string_view text, int32_t* values, int count) {
  return Read_Values(text, values, count, Scan_Plain_Integer, Round_To_Int32);
}

bool Next_Int32_Value(std::string_view text, size_t& at, int32_t& value) {
  const char* begin = text.data();
  const char* next = at < text.size() ? Next_Value(begin + at, begin + text.size(), value, Scan_Plain_Integer,
                                                   Round_To_Int32)
                                      : nullptr;
  if (!next) return false;
  at = static_cast<size_t>(next - begin);
  return true;
}

Point3 Read_Point(std::string_view text) {
  double values[3];
  Read_Blank_Separated(text, values, 3);
  return {Round_To_Single(values[0]), Round_To_Single(values[1]), Round_To_Single(values[2])};
}
