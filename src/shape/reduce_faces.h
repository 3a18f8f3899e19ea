#pragma once
// Reducing a mesh to at most a given number of faces, with meshoptimizer
// (a well-kept library, and better than anything hand-written here):
// meshopt_simplify collapses edges where the shape changes least and keeps
// the mesh's topology; where that stops above the limit, because no further
// collapse keeps the topology, meshopt_simplifySloppy finishes the job by
// merging nearby points regardless of it. A mesh many times larger than
// the limit is first thinned by that sloppy merge, for speed, to a mesh
// still many times finer than the limit. Where the passes find nothing
// between too many faces and none (a cube asked for five faces), the
// largest faces are kept instead.
//
// Both keep the points where they are (the result indexes the same point
// array, so unused points remain until the tidy step drops them) and the
// corners of every face in their order, so a face that faced the viewer
// still does and the preview's culling works as before.

#include <cstddef>
#include <span>
#include <vector>

#include "core/mesh_store.h"

struct Reduced_Faces {
  std::vector<Face3> faces;
  // The simplifier's estimate of how far the surface moved, relative to the
  // model's size (0.01: 1%); 0 when nothing was reduced.
  double error = 0.0;
  bool sloppy = false;  // meshopt_simplifySloppy was needed to reach the limit
};

// At most `max_faces` faces (never more), indexing `points`. A face naming a
// point outside `points` is left out first. When the faces are already no
// more than `max_faces`, they come back unchanged.
Reduced_Faces Reduce_Faces(std::span<const Point3> points, std::span<const Face3> faces, size_t max_faces);
