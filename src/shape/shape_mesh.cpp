#include "shape/shape_mesh.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <span>
#include <string>

#include "shape/faces_that_fit.h"
#include "shape/fit_to_size.h"
#include "shape/legible_faces.h"
#include "shape/reduce_faces.h"
#include "shape/tidy_mesh.h"

namespace {

template <typename T>
void Replace_Entries(Flat_Array<T>& array, const std::vector<T>& entries) {
  array.Resize(entries.size());
  if (!entries.empty()) std::memcpy(array.data(), entries.data(), entries.size() * sizeof(T));
}

Outcome Shape(MeshStore& store, const Shape_Options& options, Shape_Report& report) {
  // A reduced model is fitted once it is reduced, by the box of what it
  // keeps: the reduction may drop the points that made the box.
  const bool reducing = options.face_limit != Face_Limit::None;
  Shape_Options turn = options;
  if (reducing) turn.fit_size = 0;
  Turn_And_Fit(store, turn);
  std::span<Point3> points = store.Valid_Pts_Optimized();
  std::span<Face3> faces = store.Valid_Faces_Optimized();

  Tidy_Result tidy;
  if (!reducing) {
    tidy = Tidy_Mesh(points, faces);
  } else {
    report.reduced = true;
    report.faces_before = static_cast<int64_t>(faces.size());
    Reduced_Faces reduced;
    Fit_Transform fit;
    if (options.face_limit == Face_Limit::Count) {
      report.faces_target = static_cast<int64_t>(options.max_faces);
      reduced = Reduce_Faces(points, faces, options.max_faces);
      tidy = Fit_And_Tidy(points, reduced.faces, options.fit_size, fit);
    } else {
      const int16_t start = store.Basic_Line, step = store.Basic_Step;
      Faces_That_Fit chosen =
          options.face_limit == Face_Limit::Legible
              ? Legible_Faces_That_Fit(points, faces, start, step, options.fit_size, options.format)
              : Find_Faces_That_Fit(points, faces, start, step, options.fit_size, options.format);
      if (!chosen.found)
        return Outcome::Failure("Not even one face fits the BASIC line numbers from " + std::to_string(start) +
                                " by " + std::to_string(step));
      report.faces_target = static_cast<int64_t>(chosen.max_faces);
      reduced = std::move(chosen.reduced);
      tidy = std::move(chosen.tidy);
      fit = chosen.fit;
    }
    // The normal mesh moves with the optimized one.
    if (options.fit_size > 0) Apply_Fit(store.Valid_Pts_Normal(), fit);
    report.simplify_error = reduced.error;
    report.sloppy = reduced.sloppy;
    report.faces_achieved = static_cast<int64_t>(tidy.faces.size());
  }
  report.tidied = true;
  report.points_collapsing = tidy.points_collapsing;
  report.faces_degenerate = tidy.faces_degenerate;
  report.faces_outside = tidy.faces_outside;
  report.points_unused = tidy.points_unused;

  // The tidy mesh is never larger than the one it came from, so it fits the
  // arrays the read sized, the preview's included.
  Replace_Entries(store.Pts_Optimized, tidy.points);
  Replace_Entries(store.Faces_Optimized, tidy.faces);
  store.Nb_Pts_Optimized = static_cast<int32_t>(tidy.points.size()) - 1;
  store.Nb_Faces = static_cast<int32_t>(tidy.faces.size()) - 1;
  return Outcome::Success();
}

}  // namespace

void Turn_And_Fit(MeshStore& store, const Shape_Options& options) {
  if (!store.Object_Loaded) return;
  std::span<Point3> normal = store.Valid_Pts_Normal();
  std::span<Point3> points = store.Valid_Pts_Optimized();
  if (options.turn) {
    const Axis_Turn turn = Upright_Turn(options.up);
    Turn_Points(normal, turn);
    Turn_Points(points, turn);
  }
  if (options.fit_size > 0) {
    // The optimized points are the normal mesh's distinct points (a BASIC
    // data file has only them): the same box, the same move for both.
    const Fit_Transform fit = Fit_To_Size(Bounds_Of(points), options.fit_size);
    Apply_Fit(normal, fit);
    Apply_Fit(points, fit);
  }
}

Outcome Shape_Mesh(MeshStore& store, const Shape_Options& options, Shape_Report& report) {
  report = {};
  if (!store.Object_Loaded || !options.Any()) return Outcome::Success();
  try {
    return Shape(store, options, report);
  } catch (const std::bad_alloc&) {
    return Outcome::Failure("Not enough memory to fit the mesh for the Korvane 3D");
  }
}
