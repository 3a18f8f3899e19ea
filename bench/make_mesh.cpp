// Writes a closed torus as ASCII or binary STL or PLY, for timing
// conversions. Every grid point is shared by six facets, as in a real closed
// mesh.
//
//   make_mesh FACETS FORMAT OUT     FORMAT: stl-e | stl-f | ply | stl-bin | ply-bin
//
// The binary forms are little-endian: STL records of 50 bytes, PLY float
// x, y, z and "list uchar int" faces.
// FACETS is rounded down to an even grid (2 x rings x segments).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "torus_radii.h"

namespace {
struct Vec {
  float x, y, z;
};
}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_mesh FACETS stl-e|stl-f|ply|stl-bin|ply-bin OUT\n");
    return 2;
  }
  long facets = std::atol(argv[1]);
  const char* format = argv[2];
  int rings = static_cast<int>(std::sqrt(facets / 2.0 / 4.0));
  if (rings < 3) rings = 3;
  int segments = static_cast<int>(facets / 2 / rings);
  if (segments < 3) segments = 3;

  std::vector<Vec> grid(static_cast<size_t>(rings) * segments);
  const double two_pi = 6.283185307179586;
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < segments; ++s) {
      double u = two_pi * r / rings, v = two_pi * s / segments;
      double radius = kTorusMajor + kTorusMinor * std::cos(v);
      grid[static_cast<size_t>(r) * segments + s] = {static_cast<float>(radius * std::cos(u)),
                                                     static_cast<float>(radius * std::sin(u)),
                                                     static_cast<float>(kTorusMinor * std::sin(v))};
    }
  auto at = [&](int r, int s) { return ((r % rings) * segments) + (s % segments); };

  std::FILE* out = std::fopen(argv[3], "wb");
  if (!out) {
    std::perror(argv[3]);
    return 1;
  }
  std::vector<int> tri;
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < segments; ++s) {
      int a = at(r, s), b = at(r + 1, s), c = at(r + 1, s + 1), d = at(r, s + 1);
      tri.insert(tri.end(), {a, b, c, a, c, d});
    }
  size_t faces = tri.size() / 3;

  auto put = [&](const void* bytes, size_t size) { std::fwrite(bytes, 1, size, out); };
  if (std::strcmp(format, "stl-bin") == 0) {
    char header[80] = "binary torus";
    put(header, sizeof header);
    const uint32_t count = static_cast<uint32_t>(faces);
    put(&count, 4);
    for (size_t f = 0; f < faces; ++f) {
      const float normal[3] = {0, 0, 1};
      put(normal, sizeof normal);
      for (int k = 0; k < 3; ++k) put(&grid[tri[3 * f + k]], sizeof(Vec));
      const uint16_t attribute = 0;
      put(&attribute, 2);
    }
  } else if (std::strcmp(format, "ply-bin") == 0) {
    std::fprintf(out, "ply\nformat binary_little_endian 1.0\nelement vertex %zu\nproperty float x\n"
                      "property float y\nproperty float z\nelement face %zu\n"
                      "property list uchar int vertex_indices\nend_header\n",
                 grid.size(), faces);
    put(grid.data(), grid.size() * sizeof(Vec));
    for (size_t f = 0; f < faces; ++f) {
      const uint8_t three = 3;
      put(&three, 1);
      put(&tri[3 * f], 3 * sizeof(int));
    }
  } else if (std::strcmp(format, "ply") == 0) {
    std::fprintf(out, "ply\nformat ascii 1.0\nelement vertex %zu\nproperty float x\nproperty float y\n"
                      "property float z\nelement face %zu\nproperty list uchar int vertex_indices\nend_header\n",
                 grid.size(), faces);
    for (const Vec& p : grid) std::fprintf(out, "%f %f %f\n", p.x, p.y, p.z);
    for (size_t f = 0; f < faces; ++f) std::fprintf(out, "3 %d %d %d\n", tri[3 * f], tri[3 * f + 1], tri[3 * f + 2]);
  } else {
    const char* vertex = std::strcmp(format, "stl-f") == 0 ? "      vertex %f %f %f\n" : "      vertex %e %e %e\n";
    std::fprintf(out, "solid torus\n");
    for (size_t f = 0; f < faces; ++f) {
      std::fprintf(out, "  facet normal 0.000000e+00 0.000000e+00 1.000000e+00\n    outer loop\n");
      for (int k = 0; k < 3; ++k) {
        const Vec& p = grid[tri[3 * f + k]];
        std::fprintf(out, vertex, p.x, p.y, p.z);
      }
      std::fprintf(out, "    endloop\n  endfacet\n");
    }
    std::fprintf(out, "endsolid torus\n");
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
