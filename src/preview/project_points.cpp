#include "preview/project_points.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// Degrees to radians with pi taken as 3.14159: the double nearest to
// 3.14159 / 180. The full-precision factor moves points by a pixel.
constexpr double Degree_Factor = std::bit_cast<double>(uint64_t{0x3F91DF45A50DE270});

// The 16-bit screen value of an already floored coordinate. NaN fails both
// tests and lands at -32768.
int16_t Clamp_To_Screen(double floored) {
  if (floored >= 32767.0) return 32767;
  if (floored >= -32768.0) return static_cast<int16_t>(floored);
  return -32768;
}

int32_t Project_Points(std::span<const Point3> points, int32_t last, const MeshStore& view,
                       Flat_Array<ScreenPoint>& screen) {
  Check_Store_Rule(last < static_cast<int64_t>(points.size()) && last < static_cast<int64_t>(screen.size()),
                   "the projected points and Pts_Screen hold the mesh's points");
  const int32_t n = last;

  const double angle_x = static_cast<double>(view.Angle_X) * Degree_Factor;
  const double angle_y = static_cast<double>(view.Angle_Y) * Degree_Factor;
  const double angle_z = static_cast<double>(view.Angle_Z) * Degree_Factor;
  const double sin_x = std::sin(angle_x), cos_x = std::cos(angle_x);
  const double sin_y = std::sin(angle_y), cos_y = std::cos(angle_y);
  const double sin_z = std::sin(angle_z);
  const float cos_z = static_cast<float>(std::cos(angle_z));
  const double zoom = view.Zoom;
  const double center_x = view.Center_X;
  const double center_y = view.Center_Y;

  const Point3* in = points.data();
  ScreenPoint* out = screen.data();
  for (int32_t i = 0; i <= n; ++i) {
    const float x = in[i].X, y = in[i].Y, z = in[i].Z;
    // About X: (y, z).
    const double y1 = y * cos_x - z * sin_x;
    const float z1 = static_cast<float>(y * sin_x + z * cos_x);
    // About Z: (x, y1), with the 32-bit product x * cos_z.
    const float x_cos_z = x * cos_z;
    const double x2 = x_cos_z - y1 * sin_z;
    const double y2 = x * sin_z + y1 * cos_z;
    // About Y: (x2, z1); only the new x is needed, y2 is unchanged.
    const double x3 = x2 * cos_y - z1 * sin_y;
    out[i].X = Clamp_To_Screen(std::floor(x3 * zoom + center_x));
    out[i].Y = Clamp_To_Screen(std::floor(y2 * zoom + center_y));
  }
  return n;
}

}  // namespace

int32_t Project_Normal(MeshStore& store) {
  return Project_Points(store.Pts_Normal, store.Nb_Pts_Normal, store, store.Pts_Screen);
}

int32_t Project_Optimized(MeshStore& store) {
  return Project_Points(store.Pts_Optimized, store.Nb_Pts_Optimized, store, store.Pts_Screen);
}
