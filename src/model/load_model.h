#pragma once
// The one road a model takes before anything is written or drawn: read the
// input as its kind says (merging the points of a mesh), set the BASIC line
// numbering, then shape it for the target as asked (shape/shape_mesh.h).
// The window's open commands and every command of stl2bas go through here.
//
// Reads File_Input ("-": standard input), or `source` when given, which
// File_Input then only names in messages. Leaves the store holding the
// result; a step that fails leaves what the read committed (see
// import/read_input.h) and says which step failed. Memory running out is
// caught here, in the step it happens in: nothing of a read that ran out of
// memory reaches the store.

#include <string>

#include "core/byte_source.h"
#include "core/mesh_store.h"
#include "core/outcome.h"
#include "core/progress.h"
#include "model/input_choice.h"
#include "shape/shape_mesh.h"

enum class Model_Step { Reading, Numbering, Fitting, Done };

struct Model_Request {
  Input_Choice choice;
  const More_Formats* more = nullptr;  // the reader of a further format
  Byte_Source* source = nullptr;       // the input's bytes, instead of opening File_Input
  Input_Streams streams = Input_Streams::Read;
  Progress* progress = nullptr;
  // The memory a further format's reader may take (0: as the input's size
  // allows).
  uint64_t memory_limit = 0;
  // The line numbering, as the window's two text boxes hold it.
  std::string start = "10";
  std::string step = "1";
  Shape_Options shape;
  // Turn and fit only (Turn_And_Fit): what drawing the normal mesh needs,
  // whose faces reducing and tidying would no longer match.
  bool normal_only = false;
};

struct Model_Result {
  Outcome outcome;
  // The step that failed, or Done.
  Model_Step step = Model_Step::Reading;
  // Nb_Faces as read: reducing changes only the optimized mesh.
  int32_t normal_faces = -1;
  Shape_Report shape;
};

Model_Result Load_Model(MeshStore& store, const Model_Request& request);

// The road's first step alone: the read, as Load_Model makes it.
Outcome Read_Model(MeshStore& store, const Model_Request& request);
