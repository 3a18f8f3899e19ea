#pragma once
#include <string>

// The shortest decimal digits that read back to the same 32-bit float:
// |value| is digits[0].digits[1]digits[2]... times 10^exponent, with no
// trailing zero digit ("0" and exponent 0 for a zero). Taken from fmt,
// which every build of the converter uses for it. `value` is finite.
struct Shortest_Digits {
  char digits[12];  // '0'..'9'; a float never needs more than 9
  int count = 0;
  int exponent = 0;
};
Shortest_Digits Shortest_Digits_Of(float value);

// The shortest decimal text that reads back to the same 32-bit float, always
// with a "." or an exponent so that it reads as a real number ("1.0", "-0.0",
// "0.1", "1e+20"). Of the plain and the scientific form (two exponent digits
// at least) the shorter is written, the plain one when both are as long; a
// plain whole number spells the float's exact value ("123456792.0"). An
// infinity or a NaN is "inf.0" or "nan.0", with its sign.
std::string Shortest_Float_Text(float value);
