#include "core/parse_number.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

#include <fast_float/fast_float.h>

#include "core/text_chars.h"

namespace {

// Blanks and line feeds inside a number are passed over ("3 4" reads 34).
bool Is_Skipped(char c) { return Is_Blank(c) || c == '\n'; }
bool Is_Digit(char c) { return c >= '0' && c <= '9'; }

// A character that may carry a number on (or is skipped inside it): after a
// plain conversion stops at one of these, the full grammar must decide.
bool May_Continue(char c) {
  return Is_Skipped(c) || Is_Digit(c) || c == '.' || c == 'e' || c == 'E' || c == 'd' ||
         c == 'D' || c == '+' || c == '-';
}

int Digit_Value(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

// "&H1F" / "&O17": an unsigned integer, blanks ignored, saturating.
double Parse_Radix(const char* p, const char* end, int base) {
  uint64_t value = 0;
  const uint64_t limit = std::numeric_limits<uint64_t>::max() / static_cast<uint64_t>(base);
  for (; p != end; ++p) {
    if (Is_Skipped(*p)) continue;
    int d = Digit_Value(*p, base);
    if (d < 0) break;
    if (value > limit) return static_cast<double>(std::numeric_limits<uint64_t>::max());
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
  }
  return static_cast<double>(value);
}

// The full grammar: gathers sign, mantissa and exponent while skipping
// blanks, then converts the gathered text exactly once.
double Parse_Number_Slow(std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  auto skip_blanks = [&] {
    while (p != end && Is_Skipped(*p)) ++p;
  };

  skip_blanks();
  if (p != end && *p == '&') {
    ++p;
    skip_blanks();  // "& H1F" is "&H1F", as blanks are ignored anywhere
    if (p == end) return 0.0;
    if (*p == 'H' || *p == 'h') return Parse_Radix(p + 1, end, 16);
    if (*p == 'O' || *p == 'o') return Parse_Radix(p + 1, end, 8);
    return 0.0;
  }

  std::string number;
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  bool seen_point = false;
  bool seen_digit = false;
  bool seen_significant = false;
  for (; p != end; ++p) {
    char c = *p;
    if (Is_Skipped(c)) continue;
    if (Is_Digit(c)) {
      seen_digit = true;
      number.push_back(c);
      if (c != '0') seen_significant = true;
    } else if (c == '.' && !seen_point) {
      seen_point = true;
      number.push_back('.');
    } else {
      break;
    }
  }
  if (!seen_digit || !seen_significant) return negative ? -0.0 : 0.0;

  int64_t exponent = 0;
  if (p != end && (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D')) {
    ++p;
    skip_blanks();
    bool exp_negative = false;
    if (p != end && (*p == '-' || *p == '+')) {
      exp_negative = *p == '-';
      ++p;
    }
    for (; p != end; ++p) {
      if (Is_Skipped(*p)) continue;
      if (!Is_Digit(*p)) break;
      // Clamped: any exponent this large already over- or underflows.
      if (exponent < 1000000) exponent = exponent * 10 + (*p - '0');
    }
    if (exp_negative) exponent = -exponent;
  }
  if (exponent != 0) {
    number.push_back('e');
    number += std::to_string(exponent);
  }

  // Correctly rounded: a value beyond the doubles comes back infinite, one
  // below the smallest as zero.
  double value = 0.0;
  auto result = fast_float::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec != std::errc()) value = 0.0;
  if (std::isinf(value)) value = DBL_MAX;
  return negative ? -value : value;
}

}  // namespace

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Whether the character at p, right after a plain number, makes it one of
// the longer forms the full grammar reads (a second point, an exponent).
inline bool Longer_Form_Follows(const char* p, const char* end) {
  return p != end && (*p == '.' || *p == 'e' || *p == 'E' || *p == 'd' || *p == 'D');
}

// Appends the digits at p to `mantissa`; returns where they stop. (One
// character at a time: a file prints every number alike, so the branches are
// predicted, and this beats converting eight characters at once.)
inline const char* Read_Digits(const char* p, const char* end, uint64_t& mantissa) {
  for (; p != end; ++p) {
    unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit > 9) break;
    mantissa = mantissa * 10 + digit;
  }
  return p;
}

const char* Scan_Plain_Decimal(const char* p, const char* end, double& value) {
  const bool negative = p != end && *p == '-';
  p += negative;
  uint64_t mantissa = 0;
  const char* integer_start = p;
  p = Read_Digits(p, end, mantissa);
  long digits = p - integer_start;
  long scale = 0;
  if (p != end && *p == '.') {
    const char* fraction_start = ++p;
    p = Read_Digits(p, end, mantissa);
    scale = -(p - fraction_start);
    digits -= scale;
  }
  if (digits == 0 || digits > 19) return nullptr;
  if (p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    const bool exp_negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) ++p;
    uint64_t exponent = 0;
    const char* exponent_start = p;
    p = Read_Digits(p, end, exponent);
    if (p == exponent_start || p - exponent_start > 6) return nullptr;
    scale += exp_negative ? -static_cast<long>(exponent) : static_cast<long>(exponent);
  }
  if (Longer_Form_Follows(p, end)) return nullptr;
  if (mantissa > (uint64_t{1} << 53) || scale < -22 || scale > 22) return nullptr;
  const double m = static_cast<double>(mantissa);
  value = scale < 0 ? m / kPowersOfTen[-scale] : m * kPowersOfTen[scale];
  if (negative) value = -value;
  return p;
}

const char* Scan_Plain_Integer(const char* p, const char* end, int32_t& value) {
  const bool negative = p != end && *p == '-';
  p += negative;
  uint64_t magnitude = 0;
  const char* digits_start = p;
  p = Read_Digits(p, end, magnitude);
  if (p == digits_start || p - digits_start > 9) return nullptr;
  if (Longer_Form_Follows(p, end)) return nullptr;
  value = negative ? -static_cast<int32_t>(magnitude) : static_cast<int32_t>(magnitude);
  return p;
}

double Parse_Number(std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  double value;
  const char* stop = Scan_Plain_Decimal(p, end, value);
  if (stop && (stop == end || !May_Continue(*stop))) return value;
  // A plain decimal number with nothing after it that could carry it on.
  if (p != end) {
    const char* first = (*p == '-' && p + 1 != end) ? p + 1 : p;
    if (Is_Digit(*first) || *first == '.') {
      auto result = fast_float::from_chars(p, end, value);
      if (result.ec == std::errc() && std::isfinite(value) && (result.ptr == end || !May_Continue(*result.ptr)))
        return value;
    }
  }
  return Parse_Number_Slow(text);
}

float Round_To_Single(double value) {
  if (value >= static_cast<double>(FLT_MAX)) return FLT_MAX;
  if (value <= -static_cast<double>(FLT_MAX)) return -FLT_MAX;
  return static_cast<float>(value);
}

namespace {
template <typename Int>
Int Round_Half_Even(double value) {
  constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
  constexpr double hi = static_cast<double>(std::numeric_limits<Int>::max());
  double r = std::nearbyint(value);  // default rounding mode: ties to even
  if (r <= lo) return std::numeric_limits<Int>::min();
  if (r >= hi) return std::numeric_limits<Int>::max();
  return static_cast<Int>(r);
}
}  // namespace

int32_t Round_To_Int32(double value) { return Round_Half_Even<int32_t>(value); }
