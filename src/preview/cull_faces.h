#pragma once
// Back-face culling of the optimized mesh on its projected points.
//
// A face passes when its screen corners A -> B -> C run counter-clockwise as
// the user sees them (y grows downward), or lie on one line. The test is the
// sign of d = (a.X/100 - b.X/100)(c.Y/100 - b.Y/100)
//          - (c.X/100 - b.X/100)(a.Y/100 - b.Y/100)
// in double, every coordinate divided by 100 before any subtraction: that
// order decides the sign of some collinear faces (d can come out a hair below
// zero), so it is kept exactly.
//
// Reads Nb_Faces, Faces_Optimized, Nb_Pts_Optimized and Pts_Screen, which
// Project_Optimized has just written. Writes Nb_Faces_Visible (-1, then one
// more per passing face) and Faces_Visible(0..Nb_Faces_Visible), the passing
// faces whole and in their order; entries past Nb_Faces_Visible are left as
// they were. A face with a corner outside the projected points (only a
// faulty file makes one) is skipped.
//
// Returns Nb_Faces_Visible.

#include <cstdint>

#include "core/mesh_store.h"

int32_t Cull_Faces(MeshStore& store);

// Whether a face with these screen corners faces the viewer (d >= 0 above).
bool Faces_Viewer(ScreenPoint a, ScreenPoint b, ScreenPoint c);
