#include "preview/draw_lines.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

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

}  // namespace

void Draw_Lines(uint32_t* pixels, int width, int height, ptrdiff_t stride, std::span<const Segment> segments,
                uint32_t ink) {
  if (pixels == nullptr || width <= 0 || height <= 0 || stride < width) return;

  for (const Segment& s : segments) {
    int x0 = s.From.X, y0 = s.From.Y, x1 = s.To.X, y1 = s.To.Y;
    auto inside = [&](int x, int y) { return x >= 0 && x < width && y >= 0 && y < height; };
    if (!inside(x0, y0) || !inside(x1, y1)) {
      double a = x0, b = y0, c = x1, d = y1;
      if (!Clip(a, b, c, d, width - 1, height - 1)) continue;
      x0 = static_cast<int>(std::lround(a));
      y0 = static_cast<int>(std::lround(b));
      x1 = static_cast<int>(std::lround(c));
      y1 = static_cast<int>(std::lround(d));
    }
    // Bresenham; the bounds test only guards the rounding of clipped ends.
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int step_x = x0 < x1 ? 1 : -1, step_y = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
      if (static_cast<unsigned>(x0) < static_cast<unsigned>(width) &&
          static_cast<unsigned>(y0) < static_cast<unsigned>(height))
        pixels[y0 * stride + x0] = ink;
      if (x0 == x1 && y0 == y1) break;
      const int twice = 2 * error;
      if (twice >= dy) {
        error += dy;
        x0 += step_x;
      }
      if (twice <= dx) {
        error += dx;
        y0 += step_y;
      }
    }
  }
}
