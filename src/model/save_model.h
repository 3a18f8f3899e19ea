#pragma once
// Writing a loaded model as the BASIC data file: the one write stl2bas
// convert makes, through the writer's safe way of writing (see
// export/write_bas.h). A shaped model with no face left is not written: its
// file would hold nothing to draw.

#include <string>

#include "core/mesh_store.h"
#include "core/outcome.h"
#include "shape/shape_mesh.h"

// Writes the optimized mesh to `output` ("-": standard output), numbered
// from Basic_Line by Basic_Step, in shape.format (a viewer program before
// the data, when it asks for one); writes File_Output. `shape` is what the
// model was shaped with. Catches memory running out.
Outcome Save_Model(MeshStore& store, const std::string& output, const Shape_Options& shape);

// The same file's text, kept in memory (the page's download); empty when
// the model is not written. The store is left as it is.
Outcome Save_Model_Text(const MeshStore& store, const Shape_Options& shape, std::string& text);
