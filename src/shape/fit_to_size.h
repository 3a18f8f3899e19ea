#pragma once
// Fitting a model to a size: its bounding box is centred on the origin and
// the model scaled alike along every axis so that the box's largest side is
// the size asked for. At zoom 1 the window's drawing area shows about 470
// model units, so a size of 400 fills it with a margin.

#include <span>

#include "core/mesh_store.h"
#include "shape/tidy_mesh.h"

// The box around the finite coordinates of the points (a coordinate that is
// infinite or not a number is left out). `empty` when there is none.
struct Bounds3 {
  double min[3] = {0, 0, 0};
  double max[3] = {0, 0, 0};
  bool empty = true;
};

Bounds3 Bounds_Of(std::span<const Point3> points);
// The box around the points that `faces` name (a corner outside `points` is
// left out): after a reduction, the model that is kept.
Bounds3 Bounds_Of_Faces(std::span<const Point3> points, std::span<const Face3> faces);

// The largest side of the box (0 for an empty box).
double Largest_Extent(const Bounds3& bounds);

// p becomes (p - centre) * scale, in double, rounded to the nearest float.
struct Fit_Transform {
  double centre[3] = {0, 0, 0};
  double scale = 1.0;
};

// Centres the box on the origin and scales its largest side to `size`
// (size > 0). A box with no extent (one point) is only centred.
Fit_Transform Fit_To_Size(const Bounds3& bounds, double size);

void Apply_Fit(std::span<Point3> points, const Fit_Transform& fit);

// The faces' mesh as the file will hold it: with `size` above 0 first
// fitted so that the box of the points the faces name has that largest
// side (so a reduced model is as large as asked, whatever points the
// reduction dropped), then tidied (Tidy_Mesh). `fit` is the move and scale
// applied (none when `size` is 0).
Tidy_Result Fit_And_Tidy(std::span<const Point3> points, std::span<const Face3> faces, double size,
                         Fit_Transform& fit);
