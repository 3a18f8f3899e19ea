#include "shape/target_verdict.h"

#include <algorithm>
#include <cmath>

#include "shape/tidy_mesh.h"

Target_Verdict Judge_Target(std::span<const Point3> points, std::span<const Face3> faces, int16_t start,
                            int16_t step, int width, int height) {
  Target_Verdict verdict;
  const Target_Report target = Report_Target(points, faces, start, step);
  verdict.bounds = target.bounds;
  verdict.lines_needed = target.lines_needed;
  verdict.lines_available = target.lines_available;
  const Tidy_Result losses = Count_Tidy_Losses(points, faces);
  verdict.points_collapsing = losses.points_collapsing;
  verdict.faces_losing_area = losses.faces_degenerate;
  if (verdict.bounds.empty) return verdict;
  verdict.too_small = Largest_Extent(verdict.bounds) * kLargestZoom < kVisibleSpanPixels;
  double reach = 0;
  for (int i = 0; i < 3; ++i) reach = std::max({reach, std::fabs(verdict.bounds.min[i]), std::fabs(verdict.bounds.max[i])});
  verdict.overflows = reach * kSmallestZoom > std::min(width, height) / 2.0;
  return verdict;
}
