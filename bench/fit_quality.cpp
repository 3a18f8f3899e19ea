// How well a reduced torus keeps its shape: reads make_mesh's torus (the
// input) and the BASIC data file converted from it with --fit SIZE, undoes
// the fit (from the input's box, as --fit computed it) and measures how far
// the saved points and the centres of the saved faces lie from the true
// torus surface, relative to SIZE, and how many faces still face outward.
//
//   fit_quality INPUT OUTPUT.bas SIZE
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "import/read_input.h"
#include "shape/fit_to_size.h"
#include "torus_radii.h"

namespace {

double Surface_Distance(double x, double y, double z) {
  return std::fabs(std::hypot(std::hypot(x, y) - kTorusMajor, z) - kTorusMinor);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: fit_quality INPUT OUTPUT.bas SIZE\n");
    return 2;
  }
  const double size = std::atof(argv[3]);
  MeshStore input, output;
  input.File_Input = argv[1];
  output.File_Input = argv[2];
  if (!Read_Input(input, Kind_Of_Input(argv[1])).ok || !Read_Input(output, Kind_Of_Input(argv[2])).ok) {
    std::fprintf(stderr, "cannot read %s or %s\n", argv[1], argv[2]);
    return 1;
  }
  const Fit_Transform fit = Fit_To_Size(
      Bounds_Of(std::span<const Point3>(input.Pts_Optimized.data(), input.Nb_Pts_Optimized + 1)), size);
  auto model = [&](const Point3& p, double out[3]) {
    out[0] = p.X / fit.scale + fit.centre[0];
    out[1] = p.Y / fit.scale + fit.centre[1];
    out[2] = p.Z / fit.scale + fit.centre[2];
  };
  double worst_point = 0, sum_point = 0;
  for (int32_t i = 0; i <= output.Nb_Pts_Optimized; ++i) {
    double p[3];
    model(output.Pts_Optimized[i], p);
    const double d = Surface_Distance(p[0], p[1], p[2]) * fit.scale / size;
    worst_point = std::max(worst_point, d);
    sum_point += d;
  }
  double worst_centre = 0;
  int32_t outward = 0;
  for (int32_t f = 0; f <= output.Nb_Faces; ++f) {
    const Face3& face = output.Faces_Optimized[f];
    double a[3], b[3], c[3];
    model(output.Pts_Optimized[face.A], a);
    model(output.Pts_Optimized[face.B], b);
    model(output.Pts_Optimized[face.C], c);
    const double m[3] = {(a[0] + b[0] + c[0]) / 3, (a[1] + b[1] + c[1]) / 3, (a[2] + b[2] + c[2]) / 3};
    worst_centre = std::max(worst_centre, Surface_Distance(m[0], m[1], m[2]) * fit.scale / size);
    const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const double ring = std::hypot(m[0], m[1]);
    const double out[3] = {m[0] - m[0] * kTorusMajor / ring, m[1] - m[1] * kTorusMajor / ring, m[2]};
    outward += n[0] * out[0] + n[1] * out[1] + n[2] * out[2] > 0;
  }
  const int32_t faces = output.Nb_Faces + 1, points = output.Nb_Pts_Optimized + 1;
  std::printf("faces %d, points %d; point distance from the torus: max %.4f%%, mean %.4f%% of the size; "
              "face centres: max %.3f%%; faces facing outward: %d of %d\n",
              faces, points, 100 * worst_point, points ? 100 * sum_point / points : 0.0, 100 * worst_centre,
              outward, faces);
  return 0;
}
