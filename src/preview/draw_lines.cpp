#include "preview/draw_lines.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "core/platform.h"

namespace {

#if defined(__cpp_lib_atomic_ref)
// Sets one pixel. Two threads may set the same pixel of a big picture at
// once, always to the same ink: a relaxed atomic store makes that well
// defined and compiles to the plain store it would be otherwise.
static_assert(std::atomic_ref<uint32_t>::is_always_lock_free);
inline void Put(uint32_t* pixel, uint32_t ink) { std::atomic_ref<uint32_t>(*pixel).store(ink, std::memory_order_relaxed); }
constexpr bool Two_Threads_May_Share_Pixels = true;
#else
// A standard library without atomic_ref (emscripten's) cannot make two
// threads' stores to one pixel well defined: there, one thread draws.
inline void Put(uint32_t* pixel, uint32_t ink) { *pixel = ink; }
constexpr bool Two_Threads_May_Share_Pixels = false;
#endif

// Cuts the segment to 0..x_max, 0..y_max (Liang-Barsky). False when nothing
// of it lies inside.
bool Clip(double& x0, double& y0, double& x1, double& y1, double x_max, double y_max) {
  double enter = 0.0, leave = 1.0;
  const double dx = x1 - x0, dy = y1 - y0;
  // Keeps the part of the segment where p * t <= q.
  auto keep = [&](double p, double q) {
    if (p == 0.0) return q >= 0.0;
    double t = q / p;
    if (p < 0.0) {
      if (t > leave) return false;
      if (t > enter) enter = t;
    } else {
      if (t < enter) return false;
      if (t < leave) leave = t;
    }
    return true;
  };
  if (!keep(-dx, x0) || !keep(dx, x_max - x0) || !keep(-dy, y0) || !keep(dy, y_max - y0)) return false;
  x1 = x0 + leave * dx;
  y1 = y0 + leave * dy;
  x0 = x0 + enter * dx;
  y0 = y0 + enter * dy;
  return true;
}

// Bresenham from one pixel to another, both inside the raster: every pixel
// on the way lies in the box of the two ends, so none needs a bounds test.
// The pixels are those of the textbook loop (error dx + dy, a step along x
// when 2 * error >= dy, along y when 2 * error <= dx); walked along the
// longer axis, which takes a step at every pixel, only the other axis needs
// a decision.
void Line_Inside(uint32_t* pixels, ptrdiff_t stride, int x0, int y0, int x1, int y1, uint32_t ink) {
  uint32_t* pixel = pixels + y0 * stride + x0;
  // A big mesh at a small zoom is mostly segments of one or two pixels:
  // their line is their two ends.
  if (static_cast<unsigned>(x1 - x0 + 1) <= 2u && static_cast<unsigned>(y1 - y0 + 1) <= 2u) {
    Put(pixel, ink);
    Put(pixels + y1 * stride + x1, ink);
    return;
  }
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const ptrdiff_t step_x = x0 < x1 ? 1 : -1, step_y = y0 < y1 ? stride : -stride;
  int error = dx + dy;
  if (dx >= -dy) {
    for (int left = dx;; --left) {
      Put(pixel, ink);
      if (left == 0) break;
      const int twice = 2 * error;
      error += dy;
      pixel += step_x;
      if (twice <= dx) {
        error += dx;
        pixel += step_y;
      }
    }
  } else {
    for (int left = -dy;; --left) {
      Put(pixel, ink);
      if (left == 0) break;
      const int twice = 2 * error;
      error += dx;
      pixel += step_y;
      if (twice >= dy) {
        error += dy;
        pixel += step_x;
      }
    }
  }
}

// Draws the segments into a raster whose area is known to be addressable.
void Draw_Into(uint32_t* pixels, int width, int height, ptrdiff_t stride, std::span<const Segment> segments,
               uint32_t ink) {
  auto inside = [&](int x, int y) {
    return static_cast<unsigned>(x) < static_cast<unsigned>(width) &&
           static_cast<unsigned>(y) < static_cast<unsigned>(height);
  };
  for (const Segment& s : segments) {
    int x0 = s.From.X, y0 = s.From.Y, x1 = s.To.X, y1 = s.To.Y;
    if (inside(x0, y0) && inside(x1, y1)) {
      Line_Inside(pixels, stride, x0, y0, x1, y1, ink);
      continue;
    }
    // Wholly to one side of the raster: the usual fate of a segment when the
    // model is zoomed past the picture's edges, decided without clipping.
    if ((x0 < 0 && x1 < 0) || (x0 >= width && x1 >= width) || (y0 < 0 && y1 < 0) ||
        (y0 >= height && y1 >= height))
      continue;
    double a = x0, b = y0, c = x1, d = y1;
    if (!Clip(a, b, c, d, width - 1, height - 1)) continue;
    // The clipped ends lie in the raster (rounding cannot take them past its
    // last pixel by half a pixel or more; the clamp says so).
    x0 = std::clamp(static_cast<int>(std::lround(a)), 0, width - 1);
    y0 = std::clamp(static_cast<int>(std::lround(b)), 0, height - 1);
    x1 = std::clamp(static_cast<int>(std::lround(c)), 0, width - 1);
    y1 = std::clamp(static_cast<int>(std::lround(d)), 0, height - 1);
    Line_Inside(pixels, stride, x0, y0, x1, y1, ink);
  }
}

// From this many segments a second thread draws the later half while the
// caller's thread draws the earlier half, both into the one raster
// (2,000,000 segments of a pixel or two: 3.2 ms alone, measured on two
// cores); below it starting the thread costs more than it saves. Every
// segment sets its pixels to the one ink, so the order in which the two
// halves reach a pixel cannot change it.
constexpr size_t Segments_For_Two_Threads = 1 << 17;

}  // namespace

void Draw_Lines(uint32_t* pixels, int width, int height, ptrdiff_t stride, std::span<const Segment> segments,
                uint32_t ink) {
  if (pixels == nullptr || width <= 0 || height <= 0 || stride < width) return;

  const size_t half = segments.size() / 2;
  if (Two_Threads_May_Share_Pixels && segments.size() >= Segments_For_Two_Threads) {
    Run_Side_By_Side([&] { Draw_Into(pixels, width, height, stride, segments.first(half), ink); },
                     [&] { Draw_Into(pixels, width, height, stride, segments.subspan(half), ink); });
  } else {
    Draw_Into(pixels, width, height, stride, segments, ink);
  }
}
