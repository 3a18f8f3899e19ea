#pragma once
// The drawing statements a viewer program can be written with, one row per
// family of BASICs: what the screen needs before the first line is drawn,
// and the body of the drawing subroutine, which draws a line from (X1,Y1) to
// (X2,Y2) on a screen whose y grows downward from the top-left corner.
//
// Each row has exactly two set-up lines and two body lines, so that every
// dialect's program has the same layout and its subroutine the same line.
// A line starting with an apostrophe is a comment; the others are
// statements, in lower case (the keyword case is applied when the program
// is written).

#include <span>
#include <string_view>

struct Viewer_Dialect {
  std::string_view name;
  std::string_view families;  // the BASICs it suits and their drawing areas
  std::string_view setup[2];
  std::string_view draw[2];
};

// Every dialect, "print" first.
std::span<const Viewer_Dialect> Viewer_Dialects();

// The dialect of that name, or nullptr.
const Viewer_Dialect* Find_Viewer_Dialect(std::string_view name);
