#pragma once
// The decimal digits of a whole number, written straight where they belong:
// the writer formats a few million numbers per mesh, and finding the length
// first saves building them aside and copying them over.

#include <cstddef>
#include <cstdint>

// Writes the digits of `value` (no sign, no leading zeros, "0" for zero) at
// `out`; returns how many.
inline size_t Write_Digits(uint64_t value, char* out) {
  size_t length = 1;
  for (uint64_t bound = 10; length < 20 && value >= bound; bound *= 10) ++length;
  char* p = out + length;
  do {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  return length;
}
