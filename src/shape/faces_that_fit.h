#pragma once
// Choosing how far to reduce a mesh so that its BASIC data file fits the
// line numbers: the largest face limit whose reduced and tidied mesh needs
// no more lines than the numbering from a start by a step leaves room for.
// Lines are counted with the writer's own packing (Count_Bas_Lines), so a
// mesh chosen here is always written.
//
// The search reduces the whole mesh once, to a limit just above the answer
// (found from the line count of the unreduced mesh), then narrows the limit
// down by interpolation and halving over that smaller mesh: a million faces
// are reduced once, not once per try.

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/mesh_store.h"
#include "export/bas_format.h"
#include "shape/fit_to_size.h"
#include "shape/reduce_faces.h"
#include "shape/tidy_mesh.h"

struct Faces_That_Fit {
  bool found = false;    // false: not even a single face fits
  size_t max_faces = 0;  // the limit chosen (the unreduced face count when all fit)
  Reduced_Faces reduced;
  Tidy_Result tidy;  // the mesh to save: it fits
  Fit_Transform fit;  // what moved and scaled the points to `tidy`'s
  int64_t lines_needed = 0;
  int64_t lines_available = -1;
};

// With `fit_size` above 0, each reduced mesh is fitted to that size before
// it is tidied and its lines counted (Fit_And_Tidy). `format` is the file's
// (the keyword case, the line length, the viewer).
Faces_That_Fit Find_Faces_That_Fit(std::span<const Point3> points, std::span<const Face3> faces, int16_t start,
                                   int16_t step, double fit_size = 0, const Bas_Format& format = {});
