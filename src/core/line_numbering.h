#pragma once
// The first BASIC line number and the step, from the texts the user typed:
// each read with Parse_Number and rounded to the nearest integer, a value
// exactly halfway going to the even neighbour ("12.5" gives 12, "13.5" 14; a
// text without a leading number gives 0). Both must lie within
// -32768..32767, the target's line numbers.
//
// Writes Basic_Line and Basic_Step, or nothing when a value is out of range.

#include <string_view>

#include "core/mesh_store.h"
#include "core/outcome.h"

Outcome Set_Line_Numbering(MeshStore& store, std::string_view start_text, std::string_view step_text);
