#pragma once
// Whether a model serves the Korvane 3D as read, or should be fitted first
// (the window then offers its fit dialog). A model serves when all of this
// holds:
//   - every face keeps its area at one decimal, the tenths the file holds;
//   - it is big enough to see: the largest side of its box spans at least
//     100 pixels at the preview's largest zoom, 20 pixels a unit (the
//     10-unit cube spans 200);
//   - it is small enough to see whole: at the smallest zoom, 1 pixel a
//     unit, with the model's origin at the centre of the drawing area as the
//     preview draws it, no coordinate lies further from 0 than half the
//     area's smaller side, so that the model stays inside the area seen
//     along any of its axes;
//   - its file fits the line numbers from the start by the step.

#include <cstdint>
#include <span>

#include "core/mesh_store.h"
#include "shape/fit_to_size.h"
#include "shape/target_report.h"

// The preview's zoom range, in pixels a unit, and the span a model needs at
// the largest zoom to be seen as more than a blob.
constexpr int kSmallestZoom = 1;
constexpr int kLargestZoom = 20;
constexpr int kVisibleSpanPixels = 100;

struct Target_Verdict {
  Bounds3 bounds;
  int64_t points_collapsing = 0;  // at one decimal (Count_Tidy_Losses)
  int64_t faces_losing_area = 0;
  int64_t lines_needed = 0;
  int64_t lines_available = -1;  // -1: no limit (a step of 0)
  bool too_small = false;
  bool overflows = false;

  bool Keeps_Every_Face() const { return faces_losing_area == 0; }
  bool Fits_Lines() const { return Lines_Fit(lines_needed, lines_available); }
  bool Serves() const { return Keeps_Every_Face() && Fits_Lines() && !too_small && !overflows; }
  // Whether fitting keeps every face by default: as read, the file already
  // keeps their area and fits the line numbers. Otherwise as many as draw
  // legibly (Legible_Faces_That_Fit).
  bool Keeps_All_Faces() const { return Keeps_Every_Face() && Fits_Lines(); }
};

// Judges the optimized mesh (`points`, and `faces` indexing them) numbered
// from `start` by `step`, for a drawing area of `width` x `height` pixels.
Target_Verdict Judge_Target(std::span<const Point3> points, std::span<const Face3> faces, int16_t start,
                            int16_t step, int width, int height);
