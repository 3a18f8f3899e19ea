#include "shape/legible_faces.h"

#include <algorithm>
#include <cmath>

#include "export/write_bas.h"
#include "shape/fit_to_size.h"
#include "shape/target_report.h"

namespace {

// N = kFacesPerSquare S / L^2 (see the header), and the fewest faces kept.
constexpr double kFacesPerSquare = 500.0;
constexpr size_t kFewestFaces = 100;
// Lowering the count to fit the line numbers: the file's lines without a
// face (its counts and titles), the share of the proportion taken, tries.
constexpr int64_t kFixedLines = 4;
constexpr double kMargin = 0.95;
constexpr int kMostTries = 8;

double Surface_Area(std::span<const Point3> points, std::span<const Face3> faces) {
  auto within = [&](int32_t corner) { return corner >= 0 && static_cast<size_t>(corner) < points.size(); };
  double area = 0;
  for (const Face3& f : faces) {
    if (!within(f.A) || !within(f.B) || !within(f.C)) continue;
    const Point3 &a = points[f.A], &b = points[f.B], &c = points[f.C];
    const double u[3] = {double{b.X} - a.X, double{b.Y} - a.Y, double{b.Z} - a.Z};
    const double v[3] = {double{c.X} - a.X, double{c.Y} - a.Y, double{c.Z} - a.Z};
    area += std::hypot(u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]) / 2;
  }
  return area;
}

}  // namespace

size_t Legible_Face_Count(std::span<const Point3> points, std::span<const Face3> faces) {
  const double side = Largest_Extent(Bounds_Of(points));
  const double share = side > 0 ? Surface_Area(points, faces) / (side * side) : 0.0;
  // A share beyond any count (coordinates near the float range) takes every face.
  const double wanted = kFacesPerSquare * share;
  const size_t legible = std::isfinite(wanted) && wanted < static_cast<double>(faces.size())
                             ? std::max(kFewestFaces, static_cast<size_t>(std::llround(wanted)))
                             : faces.size();
  return std::min(legible, faces.size());
}

Faces_That_Fit Legible_Faces_That_Fit(std::span<const Point3> points, std::span<const Face3> faces, int16_t start,
                                      int16_t step, double fit_size, const Bas_Format& format) {
  Faces_That_Fit result;
  result.lines_available = Available_Bas_Lines(start, step);
  size_t limit = Legible_Face_Count(points, faces);
  // Lines grow about in step with the faces: fewer faces in that
  // proportion, with a margin, until the file fits; a few tries at most.
  for (int tries = 0; tries < kMostTries; ++tries) {
    result.max_faces = limit;
    result.reduced = Reduce_Faces(points, faces, limit);
    result.tidy = Fit_And_Tidy(points, result.reduced.faces, fit_size, result.fit);
    result.lines_needed = Count_Bas_Lines(result.tidy.points, result.tidy.faces, start, step, format);
    result.found = Lines_Fit(result.lines_needed, result.lines_available);
    if (result.found || limit <= 1 || result.lines_available <= kFixedLines) break;
    const double share = static_cast<double>(result.lines_available - kFixedLines) /
                         static_cast<double>(std::max<int64_t>(result.lines_needed - kFixedLines, 1));
    limit = std::clamp<size_t>(static_cast<size_t>(static_cast<double>(limit) * share * kMargin), 1, limit - 1);
  }
  return result;
}
