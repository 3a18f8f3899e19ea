#pragma once
// The one number parse of the converter, used by the readers and by the save
// command for the line numbering texts.

#include <cstdint>
#include <string_view>

// Reads the leading number of a text. Blanks (space, tab, line feed) anywhere
// are ignored, so "3 4" reads as 34. Grammar: optional sign, digits with at
// most one "." (never a comma), optional exponent E or D in either case with
// optional sign and digits. Reading stops at the first character that cannot
// continue the number. A text without digits gives 0. "&H" and "&O" introduce
// hexadecimal and octal integers. The result is always finite: a value beyond
// the double range saturates at the largest finite double.
double Parse_Number(std::string_view text);

// Nearest 32-bit float; saturates at the largest finite float (no infinity).
float Round_To_Single(double value);
// Nearest integer, ties to even, saturated at the type's bounds.
int32_t Round_To_Int32(double value);
int16_t Round_To_Int16(double value);
