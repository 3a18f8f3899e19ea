#include "shape/fit_to_size.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

Bounds3 Bounds_Of(std::span<const Point3> points) {
  Bounds3 box;
  bool seen[3] = {false, false, false};
  for (const Point3& p : points) {
    const float value[3] = {p.X, p.Y, p.Z};
    for (int i = 0; i < 3; ++i) {
      if (!std::isfinite(value[i])) continue;
      if (!seen[i]) {
        box.min[i] = box.max[i] = value[i];
        seen[i] = true;
      } else {
        box.min[i] = std::min<double>(box.min[i], value[i]);
        box.max[i] = std::max<double>(box.max[i], value[i]);
      }
    }
  }
  box.empty = !(seen[0] || seen[1] || seen[2]);
  return box;
}

Bounds3 Bounds_Of_Faces(std::span<const Point3> points, std::span<const Face3> faces) {
  std::vector<uint8_t> named(points.size(), 0);
  auto within = [&](int32_t corner) { return corner >= 0 && static_cast<size_t>(corner) < points.size(); };
  for (const Face3& f : faces)
    if (within(f.A) && within(f.B) && within(f.C)) named[f.A] = named[f.B] = named[f.C] = 1;
  std::vector<Point3> used;
  for (size_t i = 0; i < points.size(); ++i)
    if (named[i]) used.push_back(points[i]);
  return Bounds_Of(used);
}

double Largest_Extent(const Bounds3& bounds) {
  if (bounds.empty) return 0.0;
  return std::max({bounds.max[0] - bounds.min[0], bounds.max[1] - bounds.min[1], bounds.max[2] - bounds.min[2]});
}

Fit_Transform Fit_To_Size(const Bounds3& bounds, double size) {
  Fit_Transform fit;
  if (bounds.empty) return fit;
  for (int i = 0; i < 3; ++i) fit.centre[i] = bounds.min[i] / 2 + bounds.max[i] / 2;  // no overflow near FLT_MAX
  const double extent = Largest_Extent(bounds);
  if (extent > 0 && std::isfinite(extent)) fit.scale = size / extent;
  return fit;
}

void Apply_Fit(std::span<Point3> points, const Fit_Transform& fit) {
  for (Point3& p : points) {
    p.X = static_cast<float>((p.X - fit.centre[0]) * fit.scale);
    p.Y = static_cast<float>((p.Y - fit.centre[1]) * fit.scale);
    p.Z = static_cast<float>((p.Z - fit.centre[2]) * fit.scale);
  }
}

Tidy_Result Fit_And_Tidy(std::span<const Point3> points, std::span<const Face3> faces, double size,
                         Fit_Transform& fit) {
  fit = {};
  if (size <= 0) return Tidy_Mesh(points, faces);
  fit = Fit_To_Size(Bounds_Of_Faces(points, faces), size);
  std::vector<Point3> fitted(points.begin(), points.end());
  Apply_Fit(fitted, fit);
  return Tidy_Mesh(fitted, faces);
}
