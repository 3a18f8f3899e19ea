#pragma once
// BASIC data file reader: loads a file that Write_Bas wrote (or one laid out
// the same way) back into the optimized mesh. It does not merge points: the
// file already holds a merged mesh.
//
// The header comment, a line holding both "Points" and "Faces", is followed
// by the count line "<number> data F,P" with the last face index and the
// last point index. A line holding "Points from the 3D Object" or "Faces from
// the 3D Object" starts that section at its first entry; the values of each
// following line that holds "data" (or "DATA") are read from just after that
// word. The comma is the only separator (blanks belong to a value, which the
// number parse ignores). Values fill X, Y, Z (or A, B, C) in turn, and every data
// line ends an entry: its last value goes to the third field of the current
// entry. Line numbers are never read; values beyond the header's counts and
// data lines before the header are ignored (so a viewer program before the
// data reads as the data alone). Face indices are kept as read.
//
// Reads `source` into `mesh`: writes Nb_Faces and Nb_Pts_Optimized (the
// values of the count line), Pts_Optimized and Faces_Optimized; sizes
// Faces_Visible and Pts_Screen. Leaves the normal mesh alone: Read_Input
// commits only the optimized mesh. A later header starts the mesh afresh.
// The arrays grow as values arrive and take the header's sizes at the end,
// so many headers cost no more than their lines. Succeeds at the end of a
// read whose header passed the check. `name` names the input in messages.
//
// Fails with "Wrong number of Faces or Points" when the file has no header
// line, the header or count line is the file's last line, the count line
// has no comma after "data", a count is below -1, or both counts are below 1
// (at most one face and one point). A count the file could not hold fails,
// naming the line, before anything is sized (for a stream, once it has
// ended).

#include <string>

#include "core/byte_source.h"
#include "core/mesh_store.h"
#include "core/outcome.h"
#include "core/progress.h"

Outcome Read_Bas(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress = nullptr);
