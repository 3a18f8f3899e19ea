#pragma once
// ASCII PLY reader, in one pass. The header declares the elements and their
// counts ("element vertex 8", "element face 12", any others); their lines
// follow "end_header" in the order the header declares them. Vertex lines
// become Pts_Normal in file order and face lines Faces_Normal with the file's
// indices (a polygon keeps its first three corners); the lines of any other
// element are passed over by its count, and lines after the last element are
// not read. Only "format ascii" files are read: binary data is not lines.
//
// Reads `source` into `mesh`: writes Nb_Pts_Normal (vertex count - 1),
// Nb_Faces (face count - 1), Pts_Normal and Faces_Normal, and sizes
// Pts_Optimized, Pts_Screen, Faces_Optimized and Faces_Visible: a file's
// arrays once, from the header; a stream's (whose size is not known in
// advance) as its lines arrive. A face line the input cuts short of the
// declared count stays (0, 0, 0). Succeeds when every declared vertex (at
// least two) and at least two faces were read; Read_Input then merges the
// points and commits the mesh. `name` names the input in messages.
//
// Fails, naming the line, on a binary format line, a header without an
// "element vertex" or "element face" line, a count that is negative or larger
// than the input could hold (checked before anything is sized, or for a
// stream once it has ended), and a face corner outside 0..Nb_Pts_Normal. Too
// few vertices or faces, an input that ends inside its header or before its
// last vertex: a silent failure.

#include <string>
#include <string_view>

#include "core/byte_source.h"
#include "core/mesh_store.h"
#include "core/outcome.h"
#include "core/progress.h"

Outcome Read_Ply(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress = nullptr);

// The first three blank-separated values of a vertex line (x, y, z); runs of
// spaces or tabs separate values, leading blanks are skipped, further values
// are ignored and a missing value reads as 0.
Point3 Parse_Ply_Vertex(std::string_view line);

// The three values after the corner count of a face line, rounded to the
// nearest integer (ties to even): the first three corners of the polygon.
Face3 Parse_Ply_Face(std::string_view line);
