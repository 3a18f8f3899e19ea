// Standing a model upright and fitting it to a size: the turns are proper
// rotations that take the named axis to the top of the target's screen and
// look exactly like the window's own turns; the fit centres the box and
// scales it alike on every axis. Both move the normal and the optimized
// mesh alike.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "preview/cull_faces.h"
#include "preview/project_points.h"
#include "preview/wireframe.h"
#include "shape/fit_to_size.h"
#include "shape/shape_mesh.h"
#include "shape_meshes.h"

namespace {

float Along(const Point3& p, Up_Axis axis) {
  const float v[] = {p.X, p.Y, p.Z, -p.X, -p.Y, -p.Z};
  return v[static_cast<int>(axis)];
}

// Every corner of every face is the same point, bit for bit, in the normal
// and in the optimized mesh: whatever moved one moved the other.
void Expect_Both_Meshes_Alike(const MeshStore& store) {
  for (int32_t k = 0; k <= store.Nb_Faces; ++k) {
    const Face3 &n = store.Faces_Normal[k], &o = store.Faces_Optimized[k];
    for (auto [a, b] : {std::pair{n.A, o.A}, {n.B, o.B}, {n.C, o.C}})
      ASSERT_EQ(std::memcmp(&store.Pts_Normal[a], &store.Pts_Optimized[b], sizeof(Point3)), 0) << "face " << k;
  }
}

// Which faces of the optimized mesh the preview shows.
std::vector<bool> Visible(const MeshStore& store) {
  std::vector<bool> shown(store.Nb_Faces + 1, false);
  for (int32_t v = 0; v <= store.Nb_Faces_Visible; ++v) {
    const Face3& f = store.Faces_Visible[v];
    for (int32_t k = 0; k <= store.Nb_Faces; ++k)
      if (const Face3& g = store.Faces_Optimized[k]; g.A == f.A && g.B == f.B && g.C == f.C) shown[k] = true;
  }
  return shown;
}

// For each axis, the window's scroll bars that show the model as the turn
// stands it.
struct View_Angles {
  const char* name;
  Up_Axis axis;
  int x, y, z;
};

TEST(TurnUpright, NamedAxisPointsUpNothingIsMirroredAndItLooksAsTheWindowTurnsIt) {
  const View_Angles views[] = {{"-y", Up_Axis::Minus_Y, 0, 0, 0}, {"y", Up_Axis::Y, 180, 0, 0},
                               {"z", Up_Axis::Z, 90, 0, 0},        {"-z", Up_Axis::Minus_Z, 270, 0, 0},
                               {"x", Up_Axis::X, 0, 0, 270},       {"-x", Up_Axis::Minus_X, 0, 0, 90}};
  std::mt19937 random(3);
  for (const View_Angles& view : views) {
    SCOPED_TRACE(view.name);
    Up_Axis parsed;
    ASSERT_TRUE(Parse_Up_Axis(view.name, parsed));
    EXPECT_EQ(parsed, view.axis);

    const Test_Mesh mesh = Torus(9, 12, 250, 90, 0.3, random);
    MeshStore seen = Loaded_Store(mesh), turned = Loaded_Store(mesh);
    Shape_Options options;
    options.turn = true;
    options.up = view.axis;
    Turn_And_Fit(turned, options);
    // Screen-up is the model's -Y: the named axis becomes it, exactly.
    for (size_t i = 0; i < mesh.points.size(); ++i) ASSERT_EQ(-turned.Pts_Normal[i].Y, Along(mesh.points[i], view.axis));
    Expect_Both_Meshes_Alike(turned);
    // The enclosed volume keeps its sign and size: the turn's determinant
    // is +1, so the outside stays outside.
    const double before = Signed_Volume6(mesh.points, mesh.faces);
    EXPECT_GT(before, 0);
    EXPECT_NEAR(Signed_Volume6(turned.Pts_Normal, mesh.faces), before, 1e-9 * before);

    Set_View(seen, view.x, view.y, view.z, 2);
    Set_View(turned, 0, 0, 0, 2);
    for (MeshStore* store : {&seen, &turned}) {
      Set_Drawing_Area(*store, 1600, 1600);
      store->Show_Normal = false;
      Project_Optimized(*store);
      Cull_Faces(*store);
    }
    for (int32_t i = 0; i <= seen.Nb_Pts_Optimized; ++i) {
      ASSERT_NEAR(seen.Pts_Screen[i].X, turned.Pts_Screen[i].X, 1) << i;
      ASSERT_NEAR(seen.Pts_Screen[i].Y, turned.Pts_Screen[i].Y, 1) << i;
    }
    // Faces all but edge-on to the viewer are culled alike, and shown
    // exactly when their outside faces the viewer (seen from -Z).
    const std::vector<bool> a = Visible(seen), b = Visible(turned);
    int compared = 0;
    for (int32_t k = 0; k <= turned.Nb_Faces; ++k) {
      double n[3];
      Face_Normal(turned.Pts_Optimized, turned.Faces_Optimized[k], n);
      if (std::fabs(n[2]) < 0.05 * std::hypot(n[0], n[1], n[2])) continue;
      ++compared;
      EXPECT_EQ(a[k], b[k]) << "face " << k;
      EXPECT_EQ(b[k], n[2] < 0) << "face " << k;
    }
    EXPECT_GT(compared, turned.Nb_Faces / 2);
  }
  Up_Axis unused;
  for (const char* bad : {"", "w", "xy", "+x", "--y", "-"}) EXPECT_FALSE(Parse_Up_Axis(bad, unused)) << bad;
}

TEST(FitToSize, CentresTheBoxAndScalesItsLargestSideToTheSize) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> offset(-5000, 5000);
  for (double scale : {0.001, 0.15, 1.0, 37.0, 20000.0}) {
    for (double size : {1.0, 400.0, 1e5}) {
      SCOPED_TRACE(std::to_string(scale) + " to " + std::to_string(size));
      Test_Mesh mesh = Torus(6, 9, 40 * scale, 12 * scale, 0.4, random);
      const double shift[3] = {offset(random) * scale, offset(random) * scale, offset(random) * scale};
      for (Point3& p : mesh.points)
        p = {static_cast<float>(p.X + shift[0]), static_cast<float>(p.Y + shift[1]),
             static_cast<float>(p.Z * 2.5 + shift[2])};
      MeshStore store = Loaded_Store(mesh);
      const Bounds3 before = Bounds_Of(mesh.points);
      Shape_Options options;
      options.fit_size = size;
      Turn_And_Fit(store, options);
      Expect_Both_Meshes_Alike(store);
      const Bounds3 after = Bounds_Of(store.Pts_Optimized);
      EXPECT_NEAR(Largest_Extent(after), size, 1e-6 * size);
      for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(after.max[i] + after.min[i], 0, 1e-6 * size) << "axis " << i;
        // Alike on every axis: each side keeps its share of the largest.
        EXPECT_NEAR((after.max[i] - after.min[i]) / size, (before.max[i] - before.min[i]) / Largest_Extent(before),
                    1e-5);
      }
    }
  }
}

TEST(FitToSize, APointWithNoExtentIsOnlyCentred) {
  std::vector<Point3> point = {{3, -4, 5}, {3, -4, 5}};
  const Fit_Transform fit = Fit_To_Size(Bounds_Of(point), 400);
  EXPECT_EQ(fit.scale, 1.0);
  Apply_Fit(point, fit);
  EXPECT_EQ(point[0].X, 0.0f);
  EXPECT_EQ(point[1].Z, 0.0f);
  EXPECT_TRUE(Bounds_Of(std::span<const Point3>()).empty);
}

}  // namespace
