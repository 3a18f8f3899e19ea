#pragma once
// The viewer: a BASIC program that comes before the data lines and shows
// the model on the target. It reads the header and both sections into
// arrays, turns and projects every point exactly as the preview does (about
// X, then Z, then Y; pi taken as 3.14159; floored, held within the 16-bit
// screen range), hides the faces turned away by the preview's test when the
// view asks for it, and draws each face as its two lines A-B and B-C, in the
// preview's order, through one drawing subroutine.
//
// It uses only what every line-numbered BASIC has: DIM, READ/DATA,
// FOR/NEXT, GOSUB/RETURN, IF ... THEN, END, SIN, COS, INT and arithmetic,
// one statement a line. Its comments are lines of their own, an apostrophe
// straight after the line number, as the data file's. The view stands in
// assignments on its first lines, so that a user can change it on the
// target. Its layout is the same for every dialect.
//
// The arithmetic is the preview's in double precision: where the preview
// rounds a step to a 32-bit float, an interpreter's screen point can fall
// one unit the other side of a whole number.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/mesh_store.h"
#include "core/outcome.h"
#include "export/bas_format.h"

// Where things stand among the viewer's lines (0 is its first line; line k
// carries the number start + k * step).
struct Viewer_Layout {
  int64_t lines = 0;       // how many lines the viewer takes
  int64_t view_first = 0;  // the view's assignments: AX, AY, AZ, ZM, WD, HT, OP, with comments between
  int64_t view_last = 0;
  int64_t setup = 0;       // the dialect's two set-up lines
  int64_t subroutine = 0;  // the drawing subroutine: the dialect's two lines, then RETURN
};
Viewer_Layout Layout_Of_Viewer();

// The viewer's lines as they follow their line numbers (a statement after a
// blank, a comment straight after the number), numbered from `start` by
// `step`. The dialect must be one of Viewer_Dialects() (else the lines are
// empty).
std::vector<std::string> Viewer_Lines(const Viewer_Settings& view, Keyword_Case keywords, int64_t start,
                                      int64_t step);

// Whether the viewer can run over this mesh with these line numbers: the
// lines rise from 0 or above (a BASIC keeps its lines in order of their
// numbers), there is a face and a point (a loop of a BASIC runs at least
// once), the dialect is known, and every face's corners are among the
// points (the target would stop at a subscript out of range).
Outcome Check_Viewer_Program(const Viewer_Settings& view, std::span<const Point3> points,
                             std::span<const Face3> faces, int64_t start, int64_t step);
