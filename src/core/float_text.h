#pragma once
#include <string>

// The shortest decimal text that reads back to the same 32-bit float, always
// with a "." or an exponent so that it reads as a real number ("1.0", "-0.0",
// "0.1", "1e+20").
std::string Shortest_Float_Text(float value);
