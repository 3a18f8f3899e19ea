#pragma once
// What a BASIC data file written by Write_Bas must look like, checked by the
// fuzz targets against the store it was written from. Aborts through Require
// when a property fails.

#include <cstdint>
#include <string>

#include "core/mesh_store.h"

// Checks, in `text`:
// - every line ends with CR LF, and no other CR or LF occurs;
// - line i carries the number start + i * step, within -32768..32767, as
//   plain decimal text;
// - the lines are the header comment, one count line "F,P" holding
//   Nb_Faces and Nb_Pts_Optimized, the points comment, the point data lines,
//   the faces comment, the face data lines, and nothing else;
// - a data line is " data " and values joined by single commas, no blank
//   anywhere; a point section holds Nb_Pts_Optimized + 1 items of three
//   coordinates "[-]digits.digit" within a twentieth (and the float's own
//   spacing) of the store's, never "-0.0"; a face section Nb_Faces + 1
//   items of the store's three corners;
// - packing: a data line is longer than 100 characters only because of its
//   last item (it fitted without it, or its first item alone did not fit),
//   and every line of a section but its last is longer than 100.
void Check_Bas_Text(const std::string& text, const MeshStore& store, int16_t start, int16_t step);
