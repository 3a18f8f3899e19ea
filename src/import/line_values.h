#pragma once
// Blank-separated values of a mesh line: runs of spaces or tabs separate the
// values, leading blanks of any length are skipped, and each value is read
// with Parse_Number. Shared by the STL vertex and the PLY line parsers.

#include <cstdint>
#include <string_view>

#include "core/mesh_store.h"

// Reads the first `count` values of `text` into `values`; a value the text
// does not hold reads as 0. Returns how many values the text held (at most
// `count`); anything after them is ignored.
int Read_Blank_Separated(std::string_view text, double* values, int count);

// The same, each value rounded to a 32-bit integer with Round_To_Int32 (PLY
// face lines: the corner count and the corners).
int Read_Blank_Separated_Int32(std::string_view text, int32_t* values, int count);

// The next value of `text` at or after position `at`, read as
// Read_Blank_Separated_Int32 reads it; `at` moves past it. False when no
// value is left.
bool Next_Int32_Value(std::string_view text, size_t& at, int32_t& value);

// The first three values of `text` as a point, each rounded to the nearest
// 32-bit float.
Point3 Read_Point(std::string_view text);
