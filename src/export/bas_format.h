#pragma once
// How a BASIC file is written beyond the mesh it holds: the case of its
// keywords, how long its data lines grow, and whether a viewer program comes
// before the data. The default is the data file as it has always been
// written.

#include <optional>
#include <string>

// Keywords ("data", the viewer's statements) in lower case, as the data file
// has always had them, or in upper case for BASICs that take nothing else.
enum class Keyword_Case { Lower, Upper };

// The view a viewer program draws, as `stl2bas render` takes it, and the
// statement it draws a line with.
struct Viewer_Settings {
  int angle_x = 0, angle_y = 0, angle_z = 0;  // whole degrees 0..359
  int zoom = 1;                                 // 1..20
  int width = 481, height = 473;                // the drawing area; the origin at its centre
  bool all_faces = true;  // false: the faces turned away are hidden, as in the optimized view
  std::string dialect = "print";  // a name of Viewer_Dialects()
};

// The longest data line a file may ask for, and the shortest: the viewer's
// own lines are never longer than that, with a line number of five digits.
constexpr int Shortest_Line_Length = 64;
constexpr int Longest_Line_Length = 255;

struct Bas_Format {
  Keyword_Case keywords = Keyword_Case::Lower;
  // 0: items are packed into a data line until it grows past 100
  // characters, the item that takes it past staying on it. Otherwise no
  // data line is longer than this (within Shortest_Line_Length ..
  // Longest_Line_Length), unless its one item alone is: an item that would
  // take a line past it starts the next line.
  int line_length = 0;
  // With a viewer the file is one program: the viewer, then the data.
  std::optional<Viewer_Settings> viewer;
};
