// Parse_Number, the one number parse, against a plain reference of its
// grammar: blanks (space, tab, LF) removed first, then &H / &O integers or
// sign, digits with at most one ".", and an exponent E or D, converted by the
// C library. Also checks that the rounding helpers saturate as they promise,
// that the fast scan of plain decimals agrees with the full parse, that the
// blank-separated values of a mesh line are the values of its tokens, and
// that the writer's text of the value as a coordinate is its shortest
// decimal text rounded to tenths.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "core/parse_number.h"
#include "export/coordinate_text.h"
#include "import/line_values.h"
#include "reference_coordinate.h"
#include "require.h"

namespace {

bool Is_Blank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool Is_Digit(char c) { return c >= '0' && c <= '9'; }

double Reference_Radix(std::string_view digits, int base) {
  const uint64_t max = std::numeric_limits<uint64_t>::max();
  uint64_t value = 0;
  for (char c : digits) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : 99;
    if (d >= base) break;
    if (value > (max - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base)) return static_cast<double>(max);
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
  }
  return static_cast<double>(value);
}

double Reference_Number(std::string_view text) {
  std::string t;
  for (char c : text)
    if (!Is_Blank(c)) t += c;
  if (t.size() >= 2 && t[0] == '&') {
    if (t[1] == 'H' || t[1] == 'h') return Reference_Radix(std::string_view(t).substr(2), 16);
    if (t[1] == 'O' || t[1] == 'o') return Reference_Radix(std::string_view(t).substr(2), 8);
    return 0.0;
  }
  std::string number;
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) number += t[i++];
  bool digit = false, point = false;
  for (; i < t.size(); ++i) {
    if (Is_Digit(t[i])) {
      digit = true;
    } else if (t[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
    number += t[i];
  }
  if (!digit) return 0.0;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
    std::string exponent = "e";
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) exponent += t[i++];
    size_t first = i;
    while (i < t.size() && Is_Digit(t[i])) exponent += t[i++];
    if (i > first) number += exponent;
  }
  double value = std::strtod(number.c_str(), nullptr);
  if (std::isinf(value)) value = value > 0 ? DBL_MAX : -DBL_MAX;
  return value;
}

template <typename Int>
Int Reference_Round(double value) {
  double r = std::nearbyint(value);
  if (r <= static_cast<double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
  if (r >= static_cast<double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
  return static_cast<Int>(r);
}

void Check_Line_Values(std::string_view text) {
  constexpr int kCount = 4;
  double values[kCount];
  const int found = Read_Blank_Separated(text, values, kCount);
  int32_t whole[kCount];
  const int whole_found = Read_Blank_Separated_Int32(text, whole, kCount);
  int tokens = 0;
  size_t at = 0;
  while (tokens < kCount) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at == text.size()) break;
    size_t end = at;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t') ++end;
    Require(values[tokens] == Parse_Number(text.substr(at, end - at)),
            "each blank-separated value is the number of its token");
    Require(whole[tokens] == Round_To_Int32(values[tokens]),
            "each blank-separated whole value is its token's number rounded to 32 bits");
    ++tokens;
    at = end;
  }
  Require(found == tokens, "Read_Blank_Separated counts the values the text holds");
  Require(whole_found == tokens, "Read_Blank_Separated_Int32 counts the values the text holds");
  for (int i = tokens; i < kCount; ++i)
    Require(values[i] == 0.0 && whole[i] == 0, "a value the text does not hold reads as 0");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const double value = Parse_Number(text);
  Require(std::isfinite(value), "Parse_Number is always finite");
  Require(value == Reference_Number(text), "Parse_Number agrees with the reference grammar");

  const float single = Round_To_Single(value);
  Require(std::isfinite(single), "Round_To_Single is always finite");
  if (std::fabs(value) <= FLT_MAX) Require(single == static_cast<float>(value), "Round_To_Single rounds to nearest");
  Require(Round_To_Int32(value) == Reference_Round<int32_t>(value), "Round_To_Int32 rounds half to even, saturating");

  // The coordinate text of the parsed value, and of the first four bytes
  // taken as a float's bits, which reach every float near a halfway tenth.
  float as_bits = 0.0f;
  if (size >= sizeof as_bits) std::memcpy(&as_bits, data, sizeof as_bits);
  for (float coordinate : {single, as_bits}) {
    if (!std::isfinite(coordinate)) continue;
    char written[64];
    const size_t length = Format_Coordinate(coordinate, written);
    Require(std::string_view(written, length) == Reference_Coordinate_Text(coordinate),
            "a coordinate is written as its shortest decimal text rounded to tenths, halfway away from zero");
  }

  int32_t scanned_whole = 0;
  if (const char* stop = Scan_Plain_Integer(text.data(), text.data() + text.size(), scanned_whole))
    Require(scanned_whole == Round_To_Int32(Parse_Number(text.substr(0, static_cast<size_t>(stop - text.data())))),
            "the plain-integer scan reads what Parse_Number and Round_To_Int32 read");

  double scanned = 0.0;
  if (const char* stop = Scan_Plain_Decimal(text.data(), text.data() + text.size(), scanned))
    Require(scanned == Parse_Number(text.substr(0, static_cast<size_t>(stop - text.data()))),
            "the plain-decimal scan reads what Parse_Number reads");

  Check_Line_Values(text);
  return 0;
}
