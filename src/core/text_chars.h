#pragma once
// The few character classes and case rules the readers share, each written
// once. Mesh files are ASCII whatever the user's locale says, so none of
// these asks the C library's locale-dependent classes.

#include <string>
#include <string_view>

// What separates values on a line of STL, PLY and the like: a space or a tab.
constexpr bool Is_Blank(char c) { return c == ' ' || c == '\t'; }

// A blank or a line end: what a text file holds besides its marks.
constexpr bool Is_Blank_Or_Line_End(char c) { return Is_Blank(c) || c == '\r' || c == '\n'; }

// White space within a line as C knows it (the line reader has already taken
// the line ends off): a blank, a form feed or a vertical tab.
constexpr bool Is_White_Space(char c) { return Is_Blank(c) || c == '\f' || c == '\v'; }

// The text with A..Z turned into a..z (or a..z into A..Z) and every other
// byte kept.
inline std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}
inline std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}
