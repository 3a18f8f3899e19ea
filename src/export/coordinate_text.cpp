#include "export/coordinate_text.h"

#include <cmath>
#include <cstdint>

#include "core/byte_order.h"
#include "core/float_text.h"
#include "export/decimal_digits.h"

namespace {

// The text of the shortest decimal form of `value`, rounded to tenths.
size_t Format_From_Shortest_Digits(float value, char* out) {
  // Digit k of the shortest decimal digits weighs 10^(exponent - k).
  const Shortest_Digits shortest = Shortest_Digits_Of(value);
  const int exponent = shortest.exponent;
  auto digit = [&](int k) { return k >= 0 && k < shortest.count ? shortest.digits[k] - '0' : 0; };

  // Integer digits then the tenth, as plain digit values.
  char kept[48];
  int n = 0;
  if (exponent >= 0) {
    for (int k = 0; k <= exponent; ++k) kept[n++] = static_cast<char>(digit(k));
  } else {
    kept[n++] = 0;
  }
  kept[n++] = static_cast<char>(digit(exponent + 1));
  bool carry = digit(exponent + 2) >= 5;  // halfway or more: away from zero
  for (int i = n - 1; carry && i >= 0; --i) {
    carry = ++kept[i] == 10;
    if (carry) kept[i] = 0;
  }

  bool zero = !carry;
  for (int i = 0; i < n && zero; ++i) zero = kept[i] == 0;
  size_t length = 0;
  if (std::signbit(value) && !zero) out[length++] = '-';
  if (carry) out[length++] = '1';
  for (int i = 0; i < n - 1; ++i) out[length++] = static_cast<char>('0' + kept[i]);
  out[length++] = '.';
  out[length++] = static_cast<char>('0' + kept[n - 1]);
  return length;
}

}  // namespace

size_t Format_Coordinate(float value, char* out) {
  // Ten times a float is exact in a double (24 + 4 bits). The shortest
  // decimal form of the value lies within half a float step of it, so when
  // the value is more than that away from a halfway point between two
  // tenths, both round to the same tenth: round the exact value directly.
  const float magnitude = std::fabs(value);
  const double tenths = static_cast<double>(magnitude) * 10.0;
  if (tenths < 1e15) {
    const double below = std::floor(tenths);
    // The next float up: a finite non-negative float's bits plus one.
    const float next = Bit_Copy<float>(Bit_Copy<uint32_t>(magnitude) + 1);
    const double step = 10.0 * static_cast<double>(next - magnitude);
    if (std::fabs(tenths - below - 0.5) > step) {
      const uint64_t rounded = static_cast<uint64_t>(below) + (tenths - below > 0.5 ? 1 : 0);
      const bool minus = std::signbit(value) && rounded != 0;
      if (minus) *out++ = '-';
      const size_t digits = Write_Digits(rounded / 10, out);
      out[digits] = '.';
      out[digits + 1] = static_cast<char>('0' + rounded % 10);
      return minus + digits + 2;
    }
  }
  return Format_From_Shortest_Digits(value, out);
}
