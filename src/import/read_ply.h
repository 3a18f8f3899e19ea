#pragma once
// PLY reader, ASCII or binary (either byte order), in one pass. The header
// declares the elements and their counts ("element vertex 8", "element face
// 12", any others); their entries follow "end_header" in the order the
// header declares them. Vertices become Pts_Normal in file order and faces
// Faces_Normal with the file's indices: a polygon of n corners becomes n - 2
// triangles fanned from its first corner (see polygon_mesh.h). The entries of
// any other element are passed over by its count, and what follows the last
// element is not read. An ASCII file is read by position (a vertex line's
// first three values, a face line's corner count and corners); a binary one
// by its properties' types and names (ply_binary.h). The two forms of the
// same data read to the same mesh.
//
// Reads `source` into `mesh`: writes Nb_Pts_Normal (vertex count - 1),
// Nb_Faces (triangles - 1), Pts_Normal, Faces_Normal, Input_Format and
// Polygons_Split. A face the input cuts short of the declared count is one
// triangle (0, 0, 0). Succeeds when every declared vertex (at least two) and
// at least two faces were read; Read_Input then merges the points and
// commits the mesh. `name` names the input in messages.
//
// Fails, naming the line, on an unknown format, a header without an
// "element vertex" or "element face" line, a count that is negative or larger
// than the input could hold (checked before anything is sized, or for a
// stream once it has ended), and a face corner outside 0..Nb_Pts_Normal. Too
// few vertices or faces, an input that ends inside its header or before its
// last vertex: a silent failure.

#include <string>
#include <string_view>
#include <vector>

#include "core/byte_source.h"
#include "core/mesh_store.h"
#include "core/outcome.h"
#include "core/progress.h"

Outcome Read_Ply(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress = nullptr);

// The first three blank-separated values of a vertex line (x, y, z); runs of
// spaces or tabs separate values, leading blanks are skipped, further values
// are ignored and a missing value reads as 0.
Point3 Parse_Ply_Vertex(std::string_view line);

// The corners of a face line, each value rounded to the nearest integer
// (ties to even). The line's first value n is the corner count, capped at the values that
// follow it; with three or more, `corners` receives the first n of them (the
// values after them, such as texture lists and colours, are not read).
// Otherwise it receives the three values after the count, 0 for each the
// line lacks.
void Parse_Ply_Face_Corners(std::string_view line, std::vector<int32_t>& corners);
