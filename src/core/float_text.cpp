#include "core/float_text.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <fmt/format.h>

Shortest_Digits Shortest_Digits_Of(float value) {
  // fmt writes the shortest digits in plain or scientific form, as it sees
  // fit; what they weigh is read back from where its point and exponent are.
  char text[64];
  const auto written = fmt::format_to_n(text, sizeof text - 1, "{}", std::fabs(value));
  *written.out = '\0';
  Shortest_Digits shortest;
  int before_point = -1;  // digits before the point, once one is seen
  int seen = 0;           // digits seen, leading zeros included
  int first = -1;         // index among them of the first one not zero
  const char* p = text;
  for (; *p != '\0' && *p != 'e'; ++p) {
    if (*p == '.') {
      before_point = seen;
      continue;
    }
    if (*p != '0' && first < 0) first = seen;
    if (first >= 0 && shortest.count < static_cast<int>(sizeof shortest.digits)) shortest.digits[shortest.count++] = *p;
    ++seen;
  }
  if (first < 0) {  // zero
    shortest.digits[0] = '0';
    shortest.count = 1;
    return shortest;
  }
  while (shortest.count > 1 && shortest.digits[shortest.count - 1] == '0') --shortest.count;
  if (before_point < 0) before_point = seen;
  shortest.exponent = before_point - first - 1 + (*p == 'e' ? std::atoi(p + 1) : 0);
  return shortest;
}

std::string Shortest_Float_Text(float value) {
  std::string out = std::signbit(value) ? "-" : "";
  if (!std::isfinite(value)) return out + (std::isnan(value) ? "nan.0" : "inf.0");
  const Shortest_Digits shortest = Shortest_Digits_Of(value);
  const int n = shortest.count, x = shortest.exponent;
  const std::string digits(shortest.digits, static_cast<size_t>(n));
  // A float's power of ten has two digits.
  const int scientific_length = n + (n > 1) + 4;
  const int plain_length = x >= n - 1 ? x + 1 : x >= 0 ? n + 1 : n + 1 - x;
  if (plain_length <= scientific_length) {
    if (x >= n - 1) {
      // A whole number below 10^14: its float is exactly this integer.
      out += std::to_string(static_cast<uint64_t>(std::fabs(value)));
      out += ".0";
    } else if (x >= 0) {
      out += digits.substr(0, static_cast<size_t>(x + 1)) + "." + digits.substr(static_cast<size_t>(x + 1));
    } else {
      out += "0." + std::string(static_cast<size_t>(-x - 1), '0') + digits;
    }
    return out;
  }
  out += digits.substr(0, 1);
  if (n > 1) out += "." + digits.substr(1);
  out += x < 0 ? "e-" : "e+";
  out += std::to_string(std::abs(x) / 10) + std::to_string(std::abs(x) % 10);
  return out;
}
