#pragma once
// STL reader, ASCII or binary. An input of exactly 84 + 50 N bytes, N the
// count at bytes 80..83, is a binary STL (binary_stl.h); any other is read as
// ASCII: every facet line begins a facet, its vertex lines become points of
// their own. Either way facet f owns points 3f, 3f+1 and 3f+2, so the two
// forms of the same floats read to the same mesh. A file is read once; the
// normal arrays are reserved for the most facets its size allows and cut to
// the facets found, so every array ends sized exactly. A stream's size is
// known only at its end: one whose head looks binary is read both ways in
// one pass and its size then decides (see read_stl.cpp).
//
// Reads `source` into `mesh`: writes Nb_Pts_Normal, Nb_Faces, Pts_Normal,
// Faces_Normal and Input_Format. Succeeds when at least two facets were read;
// Read_Input then sizes the arrays derived from the normal mesh, merges the
// points and commits the mesh. An input that
// looks binary but has neither a binary STL's size nor an ASCII facet is
// refused with both sizes; a binary coordinate that is not a finite number
// refuses the file, naming the facet. `name` names the input in messages.

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
