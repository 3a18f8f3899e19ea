#pragma once
// ASCII PLY reader, in one pass. The header declares the elements and their
// counts ("element vertex 8", "element face 12", any others); their lines
// follow "end_header" in the order the header declares them. Vertex lines
// become Pts_Normal in file order and face lines Faces_Normal with the file's
// indices (a polygon keeps its first three corners); the lines of any other
// element are passed over by its count, and lines after the last element are
// not read. Only "format ascii" files are read: binary data is not lines.
//
// Reads File_Input. Writes Nb_Pts_Normal (vertex count - 1), Nb_Faces (face
// count - 1), Pts_Normal and Faces_Normal, and sizes Pts_Optimized,
// Pts_Screen, Faces_Optimized and Faces_Visible, all once, from the header.
// A face line the file cuts short of the declared count stays (0, 0, 0).
// Clears Object_Loaded at the start; sets it when every declared vertex (at
// least two) and at least two faces were read, then merges points
// (Optimize_Points).
//
// Fails, naming the line, on a binary format line, a header without an
// "element vertex" or "element face" line, a count that is negative or larger
// than the file could hold (checked before anything is sized), and a face
// corner outside 0..Nb_Pts_Normal. Too few vertices or faces, a file that
// ends inside its header or before its last vertex: a silent failure.

#include <string_view>

#include "core/mesh_store.h"
#include "core/outcome.h"
#include "core/progress.h"

Outcome Read_Ply(MeshStore& store, Progress* progress = nullptr);

// The first three blank-separated values of a vertex line (x, y, z); runs of
// spaces or tabs separate values, leading blanks are skipped, further values
// are ignored and a missing value reads as 0.
Point3 Parse_Ply_Vertex(std::string_view line);

// The three values after the corner count of a face line, rounded to the
// nearest integer (ties to even): the first three corners of the polygon.
Face3 Parse_Ply_Face(std::string_view line);
