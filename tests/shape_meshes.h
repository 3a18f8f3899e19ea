#pragma once
// Generated meshes for the shaping tests: closed tori wound with their
// outside counter-clockwise (the right-hand normal points out), with the
// grid points jittered so that no two faces lie alike.
#include <cmath>
#include <random>
#include <span>
#include <vector>

#include <gtest/gtest.h>

#include "core/mesh_store.h"
#include "merge/optimize_points.h"

struct Test_Mesh {
  std::vector<Point3> points;
  std::vector<Face3> faces;
  double major = 0, minor = 0;  // the radii, before the jitter
};

inline Test_Mesh Torus(int rings, int segments, double major, double minor, double jitter, std::mt19937& random) {
  Test_Mesh mesh;
  mesh.major = major;
  mesh.minor = minor;
  std::uniform_real_distribution<double> shake(-jitter, jitter);
  const double two_pi = 6.283185307179586;
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < segments; ++s) {
      const double u = two_pi * (r + shake(random)) / rings, v = two_pi * (s + shake(random)) / segments;
      const double radius = major + minor * std::cos(v);
      mesh.points.push_back({static_cast<float>(radius * std::cos(u)), static_cast<float>(radius * std::sin(u)),
                             static_cast<float>(minor * std::sin(v))});
    }
  auto at = [&](int r, int s) { return (r % rings) * segments + (s % segments); };
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < segments; ++s) {
      const int a = at(r, s), b = at(r + 1, s), c = at(r + 1, s + 1), d = at(r, s + 1);
      mesh.faces.push_back({a, b, c});
      mesh.faces.push_back({a, c, d});
    }
  return mesh;
}

// Six times the volume enclosed, positive for a closed mesh wound with its
// outside counter-clockwise.
inline double Signed_Volume6(std::span<const Point3> points, std::span<const Face3> faces) {
  double sum = 0;
  for (const Face3& f : faces) {
    const Point3 &a = points[f.A], &b = points[f.B], &c = points[f.C];
    sum += a.X * (double{b.Y} * c.Z - double{b.Z} * c.Y) - a.Y * (double{b.X} * c.Z - double{b.Z} * c.X) +
           a.Z * (double{b.X} * c.Y - double{b.Y} * c.X);
  }
  return sum;
}

// The right-hand normal of a face, (B - A) x (C - A).
inline void Face_Normal(std::span<const Point3> points, const Face3& f, double n[3]) {
  const Point3 &a = points[f.A], &b = points[f.B], &c = points[f.C];
  const double u[3] = {double{b.X} - a.X, double{b.Y} - a.Y, double{b.Z} - a.Z};
  const double v[3] = {double{c.X} - a.X, double{c.Y} - a.Y, double{c.Z} - a.Z};
  n[0] = u[1] * v[2] - u[2] * v[1];
  n[1] = u[2] * v[0] - u[0] * v[2];
  n[2] = u[0] * v[1] - u[1] * v[0];
}

// A store holding the mesh as an STL or PLY read leaves it: the normal mesh
// and its merge.
inline MeshStore Loaded_Store(const Test_Mesh& mesh) {
  MeshStore store;
  store.Pts_Normal = mesh.points;
  store.Faces_Normal = mesh.faces;
  store.Nb_Pts_Normal = static_cast<int32_t>(mesh.points.size()) - 1;
  store.Nb_Faces = static_cast<int32_t>(mesh.faces.size()) - 1;
  EXPECT_TRUE(Size_Derived_Arrays(store));
  Optimize_Points(store);
  store.Object_Loaded = true;
  return store;
}
