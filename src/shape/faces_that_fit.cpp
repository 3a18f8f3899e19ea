#include "shape/faces_that_fit.h"

#include <algorithm>

#include "export/write_bas.h"
#include "shape/target_report.h"

namespace {

// One try: the mesh reduced to `max_faces`, tidied, and its lines counted.
struct Try {
  size_t max_faces = 0;
  Reduced_Faces reduced;
  Tidy_Result tidy;
  Fit_Transform fit;
  int64_t lines = 0;
};

Try Try_Limit(std::span<const Point3> points, std::span<const Face3> faces, size_t max_faces, int16_t start,
              int16_t step, double fit_size, const Bas_Format& format) {
  Try t;
  t.max_faces = max_faces;
  t.reduced = Reduce_Faces(points, faces, max_faces);
  t.tidy = Fit_And_Tidy(points, t.reduced.faces, fit_size, t.fit);
  t.lines = Count_Bas_Lines(t.tidy.points, t.tidy.faces, start, step, format);
  return t;
}

Faces_That_Fit Chosen(Try&& t, int64_t available) {
  Faces_That_Fit result;
  result.found = true;
  result.max_faces = t.max_faces;
  result.reduced = std::move(t.reduced);
  result.tidy = std::move(t.tidy);
  result.fit = t.fit;
  result.lines_needed = t.lines;
  result.lines_available = available;
  return result;
}

}  // namespace

Faces_That_Fit Find_Faces_That_Fit(std::span<const Point3> points, std::span<const Face3> faces, int16_t start,
                                   int16_t step, double fit_size, const Bas_Format& format) {
  const int64_t available = Available_Bas_Lines(start, step);
  const size_t all = faces.size();
  Try whole = Try_Limit(points, faces, all, start, step, fit_size, format);
  if (Lines_Fit(whole.lines, available)) return Chosen(std::move(whole), available);

  // Lines grow about in step with the faces (and the points they use): a
  // first guess from the whole mesh, raised until it no longer fits. The
  // file's fixed lines (four, and the viewer's) are there even without a face.
  const int64_t kFixedLines = Count_Bas_Lines({}, {}, start, step, format);
  Faces_That_Fit none;
  none.lines_needed = whole.lines;
  none.lines_available = available;
  if (available < kFixedLines || all <= 1) return none;
  const double per_face = static_cast<double>(whole.lines - kFixedLines) / static_cast<double>(all);
  size_t lo = 0, hi = all;  // lo fits (0: none known yet), hi does not
  int64_t lo_lines = kFixedLines, hi_lines = whole.lines;
  Try best;
  size_t guess = std::min(all - 1, static_cast<size_t>((available - kFixedLines) / per_face * 1.2) + 16);
  Try above = Try_Limit(points, faces, guess, start, step, fit_size, format);
  while (Lines_Fit(above.lines, available)) {
    lo = guess;
    lo_lines = above.lines;
    best = std::move(above);
    if (guess == all - 1) return Chosen(std::move(best), available);
    guess = std::min(all - 1, guess + guess / 2 + 16);
    above = Try_Limit(points, faces, guess, start, step, fit_size, format);
  }
  hi = guess;
  hi_lines = above.lines;

  // From here on the tries reduce the mesh reduced to `hi`.
  const std::vector<Face3> source = std::move(above.reduced.faces);
  bool halve = false;  // interpolation can creep along one end: then halve
  while (hi - lo > 1) {
    size_t next;
    if (halve || hi_lines <= lo_lines) {
      next = lo + (hi - lo) / 2;
    } else {
      const double share = static_cast<double>(available - lo_lines) / static_cast<double>(hi_lines - lo_lines);
      next = lo + static_cast<size_t>(share * static_cast<double>(hi - lo));
    }
    next = std::clamp(next, lo + 1, hi - 1);
    const size_t before = hi - lo;
    Try t = Try_Limit(points, source, next, start, step, fit_size, format);
    if (Lines_Fit(t.lines, available)) {
      lo = next;
      lo_lines = t.lines;
      best = std::move(t);
    } else {
      hi = next;
      hi_lines = t.lines;
    }
    halve = (hi - lo) * 2 > before;
  }
  if (lo == 0) return none;
  return Chosen(std::move(best), available);
}
