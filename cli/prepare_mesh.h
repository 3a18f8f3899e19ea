#pragma once
// The steps convert and render take before they write anything: read the
// input, number its lines and fit the model as the options say.

#include <string>

#include "core/mesh_store.h"
#include "input_choice.h"
#include "shape/shape_mesh.h"

// Reads store.File_Input as `kind` says, sets the line numbering from
// `start` and `step`, then shapes the optimized mesh (Shape_Mesh), or with
// `normal_only` turns and fits the meshes alone (Turn_And_Fit: what drawing
// the normal mesh needs). False after printing why on standard error, naming
// the input. `doing` names the step under way, for a message when memory
// runs out.
bool Prepare_Mesh(MeshStore& store, const Input_Choice& kind, const std::string& start, const std::string& step,
                  const Shape_Options& shape, bool normal_only, const char*& doing);
