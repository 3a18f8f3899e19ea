#pragma once
// Exact products of 64-bit integers, in standard C++ alone: a product of two
// of them needs up to 128 bits, which the language has no type for.

#include <cstdint>

// The full product of two unsigned 64-bit integers, as its high and low
// halves: four products of 32-bit halves, added with their carries.
struct Wide_Product {
  uint64_t high;
  uint64_t low;
  bool operator==(const Wide_Product&) const = default;
};

inline Wide_Product Multiply_Wide(uint64_t a, uint64_t b) {
  const uint64_t a_low = a & 0xFFFFFFFFu, a_high = a >> 32;
  const uint64_t b_low = b & 0xFFFFFFFFu, b_high = b >> 32;
  const uint64_t low_low = a_low * b_low, low_high = a_low * b_high;
  const uint64_t high_low = a_high * b_low, high_high = a_high * b_high;
  // The middle 32-bit column with what the lower one carries into it: three
  // numbers below 2^32, so no overflow.
  const uint64_t middle = (low_low >> 32) + (low_high & 0xFFFFFFFFu) + (high_low & 0xFFFFFFFFu);
  return {high_high + (low_high >> 32) + (high_low >> 32) + (middle >> 32), (middle << 32) | (low_low & 0xFFFFFFFFu)};
}

// Whether a * b equals c * d exactly, for any 64-bit integers.
inline bool Products_Equal(int64_t a, int64_t b, int64_t c, int64_t d) {
  const bool first_zero = a == 0 || b == 0, second_zero = c == 0 || d == 0;
  if (first_zero || second_zero) return first_zero == second_zero;
  if (((a < 0) != (b < 0)) != ((c < 0) != (d < 0))) return false;
  // Magnitudes as unsigned (the most negative value included).
  auto magnitude = [](int64_t v) { return v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v); };
  return Multiply_Wide(magnitude(a), magnitude(b)) == Multiply_Wide(magnitude(c), magnitude(d));
}
