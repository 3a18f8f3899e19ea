#pragma once
// Standing a model upright on the target's screen. The Korvane 3D draws +Y
// downward, seen from -Z with +X to the right, so screen-up is the model's
// -Y. Each turn is a proper rotation by a multiple of 90 degrees that takes
// the named axis to -Y, never a mirror, so every face keeps its winding and
// a model's outside stays outside for the back-face culling.
//
//   --up   turn                      (x, y, z) becomes
//   -y     none                      (x, y, z)
//   y      180 degrees about X       (x, -y, -z)
//   z      90 degrees about X        (x, -z, y)
//   -z     -90 degrees about X       (x, z, -y)
//   x      -90 degrees about Z       (y, -x, z)
//   -x     90 degrees about Z        (-y, x, z)
//
// `y` suits Y-up models (Blender, glTF: their front, +Z, then faces the
// viewer); `z` suits Z-up CAD models (their front, -Y, faces the viewer).
// Every coordinate is moved or negated, never multiplied, so the turn is
// exact.

#include <span>
#include <string_view>

#include "core/mesh_store.h"

enum class Up_Axis { X, Y, Z, Minus_X, Minus_Y, Minus_Z };

// "x", "y", "z", "-x", "-y", "-z" (either case); false for anything else.
bool Parse_Up_Axis(std::string_view text, Up_Axis& axis);
// The name Parse_Up_Axis reads: "x", ..., "-z".
const char* Up_Axis_Name(Up_Axis axis);

// A turn that only moves and negates coordinates: new coordinate i is
// sign[i] times old coordinate from[i].
struct Axis_Turn {
  int from[3];
  int sign[3];
};

Axis_Turn Upright_Turn(Up_Axis axis);

// Turns every point in place.
void Turn_Points(std::span<Point3> points, const Axis_Turn& turn);
