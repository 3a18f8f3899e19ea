#pragma once
// OFF files, read here rather than by assimp: its OFF loader (5.2.5) sizes
// its arrays from the header's counts unchecked, drops polygons of more than
// nine corners, and takes a face's corner indices unchecked, reading outside
// its own arrays (all found by fuzzing). The format is a few lines of rules:
//
//   [ST][C][N][4][n]OFF        the keyword (optional; "nOFF" gives a dimension next)
//   V F E                      vertex, face and edge counts (may follow the keyword)
//   x y z ...                  V vertex lines; values after z (colours) are not read
//   n c0 c1 ... c(n-1) ...     F face lines; values after the n corners are not read
//
// "#" starts a comment to the end of its line; blank lines are passed over.
// Vertex k is Pts_Normal(k), as in a PLY file; a face of n >= 3 corners
// becomes n - 2 triangles fanned from its first corner (n capped at the
// values that follow it), in file order; a face of fewer corners (a point or
// a line) makes no triangle. Values are read with Parse_Number.
//
// Reads `source` into `mesh`: writes Nb_Pts_Normal, Nb_Faces, Pts_Normal,
// Faces_Normal, Input_Format ("off") and Polygons_Split, through the
// polygon builder (polygon_mesh.h). A file's counts are checked against its size before
// anything is sized; a stream's arrays grow as its lines arrive and its
// counts are checked once it has ended. Refuses, naming the line, a header
// without counts, a count the input could not hold, and a corner outside
// the vertices. Succeeds with every declared vertex (two or more) and two
// triangles or more; faces the file ends before are not read.

#include <string>

#include "core/byte_source.h"
#include "core/mesh_store.h"
#include "core/outcome.h"
#include "core/progress.h"

Outcome Read_Off(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress = nullptr);
