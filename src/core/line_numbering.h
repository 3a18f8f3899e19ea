#pragma once
// The first BASIC line number and the step, from the texts the user typed:
// each read with Parse_Number and rounded to the nearest integer, a value
// exactly halfway going to the even neighbour ("12.5" gives 12, "13.5" 14; a
// text without a leading number gives 0). Both must lie within
// -32768..32767, the target's line numbers, and the step must be 1 or more:
// a step of 0 numbers every line alike and a negative one numbers them
// downward, and no BASIC can read such a file back in order. (Files of any
// numbering are still read: see read_bas.h.)
//
// Writes Basic_Line and Basic_Step, or nothing when a value is refused.

#include <string>
#include <string_view>

#include "core/mesh_store.h"
#include "core/outcome.h"

// The refusal of a step below 1.
inline constexpr std::string_view kStep_Below_One =
    "Basic Line Step must be 1 or more: a step of 0 or below numbers the lines alike or downward, and the "
    "BASIC data could not be read back in order";

Outcome Set_Line_Numbering(MeshStore& store, std::string_view start_text, std::string_view step_text);

// Why stl2bas and the page refuse the text given for the first line number
// or the step ("not a number: TEXT", or kStep_Below_One), or empty when it
// is taken. The whole text must be one number ("12", "+12.5", "-3", "1e3");
// the window's text boxes take any text.
std::string Start_Text_Fault(std::string_view text);
std::string Step_Text_Fault(std::string_view text);
