#pragma once
// ASCII STL reader. Every vertex line becomes a point of its own and every
// facet a face: facet f owns points 3f, 3f+1 and 3f+2. The file is read
// once; the normal arrays are reserved for the most facets the file's size
// allows and cut to the facets found, so every array ends sized exactly.
//
// Reads `source` into `mesh`: writes Nb_Pts_Normal, Nb_Faces, Pts_Normal,
// Faces_Normal, and sizes Pts_Optimized, Faces_Optimized, Faces_Visible and
// Pts_Screen. Succeeds when at least two facets were read; Read_Input then
// merges the points and commits the mesh. `name` names the input in
// messages.

#include <string>
#include <string_view>

#include "core/byte_source.h"
#include "core/mesh_store.h"
#include "core/outcome.h"
#include "core/progress.h"

Outcome Read_Stl(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress = nullptr);

// The three coordinates of a vertex line. Values start right after the
// keyword "vertex" (or at the line's 7th character when it has no keyword)
// and are separated by runs of blanks, space or tab; the first three values
// are read, anything after them is ignored, a missing value reads as 0.
Point3 Parse_Stl_Vertex(std::string_view line);
