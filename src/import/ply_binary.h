#pragma once
// The body of a binary PLY file (either byte order): the elements' entries
// in the header's order, each property in turn, read as raw bytes after the
// header's lines. Vertices give their x, y and z by name, faces the corners
// of their list (a list of fewer than three corners reads as the three
// corners of an ASCII face line would, the missing ones 0); other elements
// and properties are passed over, lists item by item.

#include "core/line_reader.h"
#include "core/outcome.h"
#include "core/progress_meter.h"
#include "import/ply_header.h"
#include "import/polygon_mesh.h"

// Reads the entries into `built` until the input ends (`ended`: an entry it
// cuts short is not read) or the last element's last entry. Refuses a
// coordinate that is not a finite number and a list of fewer than zero
// items, naming the entry. Throws std::bad_alloc when memory runs out.
Outcome Read_Ply_Binary_Body(Line_Reader& file, const Ply_Header& header, Polygon_Mesh& built, Progress_Meter& meter,
                             bool& ended);
