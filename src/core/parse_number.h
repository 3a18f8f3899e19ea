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

// The fast path of Parse_Number for the shape every mesh writer prints,
// [-]digits[.digits][(e|E)[+-]digits], converted exactly (the digits fit in
// 2^53 and the power of ten in 10^22, so one correctly rounded IEEE
// operation gives the same double as the full conversion). Returns the
// position just past the number, or nullptr when the text needs the full
// grammar. The caller decides whether what follows ends the number.
const char* Scan_Plain_Decimal(const char* text, const char* end, double& value);

// The same for a plain integer, [-]digits with at most nine digits, as
// Round_To_Int32(Parse_Number(...)) would give it; nullptr when the text
// needs the full grammar (a point, an exponent, more digits).
const char* Scan_Plain_Integer(const char* text, const char* end, int32_t& value);

// Nearest 32-bit float; saturates at the largest finite float (no infinity).
float Round_To_Single(double value);
// Nearest integer, ties to even, saturated at the type's bounds.
int32_t Round_To_Int32(double value);
