#include "shape/turn_upright.h"

#include "core/text_chars.h"

namespace {
float& Coordinate(Point3& p, int axis) { return axis == 0 ? p.X : axis == 1 ? p.Y : p.Z; }
}  // namespace

bool Parse_Up_Axis(std::string_view text, Up_Axis& axis) {
  const bool minus = !text.empty() && text.front() == '-';
  if (minus) text.remove_prefix(1);
  if (text.size() != 1) return false;
  switch (Lower(text).front()) {
    case 'x': axis = minus ? Up_Axis::Minus_X : Up_Axis::X; return true;
    case 'y': axis = minus ? Up_Axis::Minus_Y : Up_Axis::Y; return true;
    case 'z': axis = minus ? Up_Axis::Minus_Z : Up_Axis::Z; return true;
    default: return false;
  }
}

const char* Up_Axis_Name(Up_Axis axis) {
  switch (axis) {
    case Up_Axis::X: return "x";
    case Up_Axis::Y: return "y";
    case Up_Axis::Z: return "z";
    case Up_Axis::Minus_X: return "-x";
    case Up_Axis::Minus_Y: return "-y";
    case Up_Axis::Minus_Z: return "-z";
  }
  return "";
}

Axis_Turn Upright_Turn(Up_Axis axis) {
  switch (axis) {
    case Up_Axis::Y: return {{0, 1, 2}, {1, -1, -1}};
    case Up_Axis::Z: return {{0, 2, 1}, {1, -1, 1}};
    case Up_Axis::Minus_Z: return {{0, 2, 1}, {1, 1, -1}};
    case Up_Axis::X: return {{1, 0, 2}, {1, -1, 1}};
    case Up_Axis::Minus_X: return {{1, 0, 2}, {-1, 1, 1}};
    case Up_Axis::Minus_Y: break;
  }
  return {{0, 1, 2}, {1, 1, 1}};
}

void Turn_Points(std::span<Point3> points, const Axis_Turn& turn) {
  for (Point3& p : points) {
    Point3 old = p;
    for (int i = 0; i < 3; ++i) {
      const float value = Coordinate(old, turn.from[i]);
      Coordinate(p, i) = turn.sign[i] < 0 ? -value : value;
    }
  }
}
