#pragma once
// Runs the reader of an input kind on File_Input.

#include "core/mesh_store.h"
#include "core/outcome.h"
#include "core/progress.h"
#include "import/input_kind.h"

Outcome Read_Input(MeshStore& store, Input_Kind kind, Progress* progress = nullptr);
