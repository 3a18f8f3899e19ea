#pragma once
// Rotation and projection of the shown mesh into Pts_Screen.
//
// Each point is turned about X by Angle_X, then about Z by Angle_Z, then
// about Y by Angle_Y, its depth dropped, scaled by Zoom, moved to the centre
// (Center_X, Center_Y), floored and stored at its own index of Pts_Screen.
// The mix of 32- and 64-bit steps is deliberate and decides the integers on
// the screen: cos(Angle_Z), the turned depth z1 and the product x * cos(Angle_Z)
// are 32-bit floats, everything else is double; pi is 3.14159.
//
// A floor outside -32768..32767 is clamped to that range (a large model at a
// high zoom lands on the edge of the 16-bit plane instead of wrapping round);
// a coordinate that turns into NaN is stored as -32768.
//
// From 262,144 points on, a second thread projects the upper half of the
// points while the caller's thread projects the lower half; each point goes
// through the same arithmetic either way, so the screen points are the same.

#include <cstdint>
#include <span>

#include "core/mesh_store.h"

// Whether all three corners of the face are among the projected points
// 0..last_projected; a face that is not is never tested or drawn.
inline bool Face_Within(const Face3& face, int32_t last_projected) {
  return face.A >= 0 && face.B >= 0 && face.C >= 0 && face.A <= last_projected &&
         face.B <= last_projected && face.C <= last_projected;
}

// Reads Angle_X, Angle_Y, Angle_Z, Zoom, Center_X, Center_Y and
// Pts_Normal(0..Nb_Pts_Normal); writes Pts_Screen(0..Nb_Pts_Normal), which
// the read sized for it. Returns the last index written (-1: none).
int32_t Project_Normal(MeshStore& store);

// The same over Pts_Optimized(0..Nb_Pts_Optimized).
int32_t Project_Optimized(MeshStore& store);
