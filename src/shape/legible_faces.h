#pragma once
// How many faces a model keeps when it is fitted for the Korvane 3D without
// a count asked for: as many as the preview draws legibly.
//
// Fitted to 400 units (what fills the preview at zoom 1), each face the
// preview draws should cover about 160 square pixels on average, a
// triangle some 19 pixels on a side: more and the lines merge into black.
// Averaged over every way the model can be turned, half its faces face the
// viewer and they cover a quarter of its surface (Cauchy's formula for the
// mean shadow), whatever its shape. With S the model's surface area and L
// the largest side of its box, the drawn faces then cover S (400 / L)^2 / 2N
// square pixels each, which is 160 for
//
//   N = 500 S / L^2,
//
// the same at any size. A sphere gets about 1,600 faces, the Stanford bunny
// about 1,200, a closed torus (radii 40 and 12) about 900, a flat wing a few
// hundred; never fewer than 100, so that a thin model keeps its outline,
// and never more than the model has.

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/mesh_store.h"
#include "shape/faces_that_fit.h"

// Faces naming a point outside `points` count for nothing.
size_t Legible_Face_Count(std::span<const Point3> points, std::span<const Face3> faces);

// The mesh reduced to its legible count and tidied, or, where that file
// would need more lines than the numbering from `start` by `step` leaves,
// to fewer faces, lowered in proportion to the lines until the file fits.
// Each try reduces the whole mesh, so the result is exactly the mesh
// reduced to `max_faces` and tidied (what stl2bas --faces N gives for that
// N). With `fit_size` above 0 each reduced mesh is fitted to it first, as
// Find_Faces_That_Fit does, and its lines counted as `format` writes the
// file. `found` is false when not even one face fits.
Faces_That_Fit Legible_Faces_That_Fit(std::span<const Point3> points, std::span<const Face3> faces, int16_t start,
                                      int16_t step, double fit_size = 0, const Bas_Format& format = {});
