#pragma once
// The text of one coordinate in a BASIC data file: all integer digits (at
// least one), ".", exactly one decimal digit; "-" for a negative value; no
// blank, no plus sign, no grouping, and always "." whatever the user's
// regional settings. The value is rounded from the float's shortest
// round-trip decimal text, halfway away from zero, so 0.35 is written 0.4
// (what the user typed, not the float's binary expansion 0.34999...). A
// negative value that rounds to zero is written 0.0.

#include <cstddef>

// Writes the text to `out` (room for 64 characters) and returns its length.
size_t Format_Coordinate(float value, char* out);
