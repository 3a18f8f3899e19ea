#pragma once
// What the target gets from a mesh: the box the saved points fill, and how
// many BASIC lines the file takes against how many the line numbers leave
// room for at a start and step.

#include <cstdint>
#include <span>

#include "core/mesh_store.h"
#include "export/bas_format.h"
#include "shape/fit_to_size.h"

struct Target_Report {
  Bounds3 bounds;
  int64_t lines_needed = 0;
  int64_t lines_available = -1;  // -1: no limit (a step of 0)
};

// `format` is the file's: with a viewer, the lines are the whole program's.
Target_Report Report_Target(std::span<const Point3> points, std::span<const Face3> faces, int16_t start,
                            int16_t step, const Bas_Format& format = {});

// Whether a file of `lines_needed` lines can be numbered (available -1: always).
inline bool Lines_Fit(int64_t lines_needed, int64_t lines_available) {
  return lines_available < 0 || lines_needed <= lines_available;
}
