#include "shape/reduce_faces.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include <meshoptimizer.h>

namespace {

// A mesh with more than twice this many faces is thinned before it is
// simplified: to kThinFactor times the limit, and at least kThinFloor.
constexpr size_t kThinFactor = 32;
constexpr size_t kThinFloor = 65536;

bool Within(int32_t corner, size_t count) { return corner >= 0 && static_cast<size_t>(corner) < count; }

double Area2(std::span<const Point3> points, const unsigned int* corner) {
  const Point3 &a = points[corner[0]], &b = points[corner[1]], &c = points[corner[2]];
  const double u[3] = {double{b.X} - a.X, double{b.Y} - a.Y, double{b.Z} - a.Z};
  const double v[3] = {double{c.X} - a.X, double{c.Y} - a.Y, double{c.Z} - a.Z};
  return std::hypot(u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]);
}

// The `max_faces` largest faces of `from`, in their order, into `out` (which
// may not be `from`); returns the number of indices written.
size_t Keep_Largest(std::span<const Point3> points, std::span<const unsigned int> from, size_t max_faces,
                    std::vector<unsigned int>& out) {
  const size_t faces = from.size() / 3;
  std::vector<size_t> order(faces);
  for (size_t f = 0; f < faces; ++f) order[f] = f;
  const size_t keep = std::min(max_faces, faces);
  std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(keep), order.end(),
                    [&](size_t a, size_t b) { return Area2(points, &from[3 * a]) > Area2(points, &from[3 * b]); });
  order.resize(keep);
  std::sort(order.begin(), order.end());
  for (size_t k = 0; k < keep; ++k)
    for (int corner = 0; corner < 3; ++corner) out[3 * k + corner] = from[3 * order[k] + corner];
  return 3 * keep;
}

}  // namespace

Reduced_Faces Reduce_Faces(std::span<const Point3> points, std::span<const Face3> faces, size_t max_faces) {
  Reduced_Faces result;
  std::vector<unsigned int> indices;
  indices.reserve(3 * faces.size());
  for (const Face3& f : faces)
    if (Within(f.A, points.size()) && Within(f.B, points.size()) && Within(f.C, points.size()))
      indices.insert(indices.end(), {static_cast<unsigned>(f.A), static_cast<unsigned>(f.B),
                                     static_cast<unsigned>(f.C)});

  size_t count = indices.size();
  const size_t target = 3 * max_faces;
  if (count > target) {
    static_assert(sizeof(Point3) == 3 * sizeof(float), "points are three packed floats");
    const float* positions = &points.data()->X;
    std::vector<unsigned int> reduced(count);
    float error = 0.0f;
    // meshopt_simplify takes about a microsecond per face, most of it while
    // the mesh is still large: a million faces would take over a second.
    // A mesh far above the limit is first thinned by merging the points of
    // small cells (meshopt_simplifySloppy, a tenth of that time) to a mesh
    // still many times finer than the limit, which costs the result next to
    // nothing in accuracy (measured in bench/fit).
    const size_t thin_to = 3 * std::max(kThinFactor * max_faces, kThinFloor);
    if (count > 2 * thin_to) {
      count = meshopt_simplifySloppy(reduced.data(), indices.data(), count, positions, points.size(),
                                     sizeof(Point3), thin_to, FLT_MAX, &error);
      result.error += error;
      indices.swap(reduced);
    }
    // No error limit: the face count decides where to stop.
    const size_t before = count;
    count = meshopt_simplify(reduced.data(), indices.data(), before, positions, points.size(), sizeof(Point3),
                             target, FLT_MAX, 0, &error);
    result.error += error;
    // `reduced` holds the careful result, `indices` what it came from.
    if (count > target) {
      // The sloppy simplifier aims at the target from below; should it ever
      // come back above, aim lower until it does not.
      result.sloppy = true;
      const size_t careful = count;
      size_t aim = target;
      size_t sloppy_count = careful;
      while (sloppy_count > target && aim >= 3) {
        sloppy_count = meshopt_simplifySloppy(indices.data(), reduced.data(), careful, positions, points.size(),
                                              sizeof(Point3), aim, FLT_MAX, &error);
        aim = aim / 2 / 3 * 3;
      }
      count = sloppy_count;
      result.error += error;  // the errors of the passes add up at most
      // A mesh too coarse for any cell size between all its points and one
      // (a cube asked for five faces): its largest faces rather than none.
      if (count == 0) count = Keep_Largest(points, {reduced.data(), careful}, max_faces, indices);
    } else if (count == 0 && max_faces > 0) {
      // The careful pass took the last faces too (a lone triangle or two).
      count = Keep_Largest(points, {indices.data(), before}, max_faces, reduced);
      indices.swap(reduced);
    } else {
      indices.swap(reduced);
    }
    if (count > target) count = target;  // not reached: the limit holds whatever happens
  }

  result.faces.resize(count / 3);
  for (size_t f = 0; f < count / 3; ++f)
    result.faces[f] = {static_cast<int32_t>(indices[3 * f]), static_cast<int32_t>(indices[3 * f + 1]),
                       static_cast<int32_t>(indices[3 * f + 2])};
  return result;
}
