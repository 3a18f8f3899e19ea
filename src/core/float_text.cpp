#include "core/float_text.h"

#include <charconv>
#include <cstring>

std::string Shortest_Float_Text(float value) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, value);
  std::string out(text, result.ptr);
  if (out.find_first_of(".e") == std::string::npos) out += ".0";
  return out;
}
