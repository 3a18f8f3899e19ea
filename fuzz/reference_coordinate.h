#pragma once
// A coordinate's text in a BASIC data file, worked out the plain way: the
// float's shortest round-trip decimal digits (fewest significant digits),
// written out in fixed notation, rounded to tenths with a halfway digit going
// away from zero, "-" only when what is left is not zero. The writer must
// produce exactly this text.

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

inline std::string Reference_Coordinate_Text(float value) {
  char scientific[64];
  auto result =
      std::to_chars(scientific, scientific + sizeof scientific, std::fabs(value), std::chars_format::scientific);
  std::string text(scientific, result.ptr);  // d.ddde+XX
  const size_t e = text.find('e');
  std::string significant = text.substr(0, e);
  if (significant.size() > 1) significant.erase(1, 1);  // drop the point
  const int exponent = std::atoi(text.c_str() + e + 1);

  // digit k of `significant` weighs 10^(exponent - k); lay out 10^max .. 10^-2.
  std::string tenths;  // the digits down to the tenth
  int hundredth = 0;
  const int top = exponent > 0 ? exponent : 0;
  for (int weight = top; weight >= -2; --weight) {
    const int k = exponent - weight;
    const int digit = k >= 0 && k < int(significant.size()) ? significant[k] - '0' : 0;
    if (weight >= -1) {
      tenths += char('0' + digit);
    } else {
      hundredth = digit;
    }
  }
  if (hundredth >= 5) {  // halfway or more: away from zero
    size_t i = tenths.size();
    while (i > 0 && tenths[i - 1] == '9') tenths[--i] = '0';
    if (i == 0) {
      tenths.insert(tenths.begin(), '1');
    } else {
      ++tenths[i - 1];
    }
  }
  const bool zero = tenths.find_first_not_of('0') == std::string::npos;
  return std::string(std::signbit(value) && !zero ? "-" : "") + tenths.substr(0, tenths.size() - 1) + "." +
         tenths.back();
}
