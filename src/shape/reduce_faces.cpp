#include "shape/reduce_faces.h"

#include <algorithm>
#include <cfloat>
#include <cstdint>

#include <meshoptimizer.h>

namespace {

// A mesh with more than twice this many faces is thinned before it is
// simplified: to kThinFactor times the limit, and at least kThinFloor.
constexpr size_t kThinFactor = 32;
constexpr size_t kThinFloor = 65536;

bool Within(int32_t corner, size_t count) { return corner >= 0 && static_cast<size_t>(corner) < count; }

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
    count = meshopt_simplify(reduced.data(), indices.data(), count, positions, points.size(), sizeof(Point3),
                             target, FLT_MAX, 0, &error);
    result.error += error;
    if (count > target) {
      // The sloppy simplifier aims at the target from below; should it ever
      // come back above, aim lower until it does not.
      result.sloppy = true;
      size_t aim = target;
      size_t sloppy_count = count;
      while (sloppy_count > target && aim >= 3) {
        sloppy_count = meshopt_simplifySloppy(indices.data(), reduced.data(), count, positions, points.size(),
                                              sizeof(Point3), aim, FLT_MAX, &error);
        aim = aim / 2 / 3 * 3;
      }
      count = sloppy_count;
      result.error += error;  // the errors of the passes add up at most; the result is in `indices`
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
