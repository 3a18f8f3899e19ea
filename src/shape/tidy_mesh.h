#pragma once
// The tidy step: the mesh as the BASIC data file will hold it. Every
// coordinate is rounded to the tenth the writer prints for it (the writer's
// own coordinate text, read back as the BASIC data reader reads it); points
// that then print alike become one, numbered in the order of their first
// occurrence as point merging numbers them; faces that lose their area
// (two corners the same point, or three corners on one line, at one
// decimal) are dropped, and so are faces naming a point that is not there;
// points no face uses are dropped; the faces are re-pointed.
//
// So no two points of the result print the same text, no face of it has
// zero area, and a file written from it reads back to exactly this mesh.

#include <cstdint>
#include <span>
#include <vector>

#include "core/mesh_store.h"

struct Tidy_Result {
  std::vector<Point3> points;
  std::vector<Face3> faces;
  // Of the points that faces name: those that print as an earlier one.
  int64_t points_collapsing = 0;
  int64_t faces_degenerate = 0;  // faces of zero area at one decimal
  int64_t faces_outside = 0;     // faces naming a point that is not there
  int64_t points_unused = 0;     // points that no kept face uses (collapsed ones not counted)
};

Tidy_Result Tidy_Mesh(std::span<const Point3> points, std::span<const Face3> faces);

// Only the counts of the tidy step (its points and faces stay empty): what
// rounding to one decimal would cost a mesh.
Tidy_Result Count_Tidy_Losses(std::span<const Point3> points, std::span<const Face3> faces);

// The coordinate the file holds for `value`: its text as the writer prints
// it, read back as the BASIC data reader reads it.
float Round_As_Written(float value);
