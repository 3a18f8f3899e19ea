// Reducing faces: never more than asked, every face wound as before (the
// outside of a closed mesh stays outside), the sloppy pass where the
// topology stops the careful one, and --faces auto filling the line numbers
// without passing them.
#include <gtest/gtest.h>

#include <random>

#include "export/write_bas.h"
#include "shape/faces_that_fit.h"
#include "shape/fit_to_size.h"
#include "shape/reduce_faces.h"
#include "shape/shape_mesh.h"
#include "shape_meshes.h"

namespace {

// Reduces and checks what holds for every mesh and limit: at most `limit`
// faces, each naming points there are.
Reduced_Faces Reduce_Within(std::span<const Point3> points, std::span<const Face3> faces, size_t limit) {
  Reduced_Faces reduced = Reduce_Faces(points, faces, limit);
  EXPECT_LE(reduced.faces.size(), limit);
  for (const Face3& f : reduced.faces)
    for (int32_t corner : {f.A, f.B, f.C}) EXPECT_TRUE(corner >= 0 && corner < static_cast<int32_t>(points.size()));
  return reduced;
}

// Faces whose right-hand normal points away from the torus's core circle.
double Share_Facing_Out(const Test_Mesh& mesh, std::span<const Face3> faces) {
  int out = 0;
  for (const Face3& f : faces) {
    double n[3];
    Face_Normal(mesh.points, f, n);
    const Point3 &a = mesh.points[f.A], &b = mesh.points[f.B], &c = mesh.points[f.C];
    const double centre[3] = {(a.X + b.X + c.X) / 3.0, (a.Y + b.Y + c.Y) / 3.0, (a.Z + b.Z + c.Z) / 3.0};
    const double ring = std::hypot(centre[0], centre[1]);
    const double core[3] = {centre[0] * mesh.major / ring, centre[1] * mesh.major / ring, 0};
    out += n[0] * (centre[0] - core[0]) + n[1] * (centre[1] - core[1]) + n[2] * (centre[2] - core[2]) > 0;
  }
  return faces.empty() ? 1.0 : static_cast<double>(out) / static_cast<double>(faces.size());
}

TEST(ReduceFaces, NeverMoreThanAskedAndTheOutsideStaysOut) {
  std::mt19937 random(11);
  const int sizes[][2] = {{6, 8}, {20, 30}, {60, 90}, {300, 240}};  // the last is thinned first
  for (const auto& size : sizes) {
    const Test_Mesh mesh = Torus(size[0], size[1], 40, 12, 0.2, random);
    const size_t all = mesh.faces.size();
    for (size_t limit : {size_t{1}, size_t{2}, size_t{3}, size_t{17}, size_t{100}, size_t{1000}, all - 1, all, all + 9}) {
      SCOPED_TRACE(std::to_string(all) + " faces to " + std::to_string(limit));
      const Reduced_Faces reduced = Reduce_Within(mesh.points, mesh.faces, limit);
      if (limit >= all) {
        EXPECT_EQ(reduced.faces.size(), all);
      } else if (limit >= 100) {
        EXPECT_GE(reduced.faces.size(), limit * 9 / 10);
        EXPECT_GE(Share_Facing_Out(mesh, reduced.faces), 0.97);
        EXPECT_GT(Signed_Volume6(mesh.points, reduced.faces), 0);
        EXPECT_LT(reduced.error, 0.05);
      }
    }
  }
}

TEST(ReduceFaces, FacesThatShareNoPointNeedTheSloppyPass) {
  // Every face with its own three points, as facets are before merging: the
  // careful pass keeps such seams where they are and stops far above the
  // limit; the sloppy pass merges the points of small cells and gets there.
  std::mt19937 random(13);
  const Test_Mesh mesh = Torus(20, 30, 40, 12, 0.2, random);
  std::vector<Point3> points;
  std::vector<Face3> faces;
  for (const Face3& f : mesh.faces) {
    const int32_t first = static_cast<int32_t>(points.size());
    points.insert(points.end(), {mesh.points[f.A], mesh.points[f.B], mesh.points[f.C]});
    faces.push_back({first, first + 1, first + 2});
  }
  faces.push_back({0, 1, 5000});  // names no point: left out
  for (size_t limit : {size_t{1}, size_t{10}, size_t{150}}) EXPECT_TRUE(Reduce_Within(points, faces, limit).sloppy);
}

TEST(ReduceFaces, ACubeAskedForFewerFacesThanItCanLoseKeepsItsLargest) {
  // Too few points for the passes to find anything between many faces and
  // none.
  const std::vector<Point3> cube = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0},
                                    {0, 0, 10}, {10, 0, 10}, {10, 10, 10}, {0, 10, 10}};
  std::vector<Face3> faces = {{0, 2, 1}, {0, 3, 2}, {4, 5, 6}, {4, 6, 7}, {0, 1, 5}, {0, 5, 4},
                              {3, 6, 2}, {3, 7, 6}, {0, 4, 7}, {0, 7, 3}, {1, 2, 6}, {1, 6, 5}};
  faces[11] = {1, 6, 4};  // one face larger than the rest, across the cube
  for (size_t limit : {size_t{1}, size_t{5}, size_t{11}}) {
    const Reduced_Faces reduced = Reduce_Within(cube, faces, limit);
    ASSERT_GE(reduced.faces.size(), 1u) << "some faces, not none";
    if (limit == 1) {
      EXPECT_EQ(reduced.faces[0].C, 4) << "the largest face";
    }
  }
}

TEST(FacesThatFit, FillsTheLineNumbersWithoutPassingThem) {
  std::mt19937 random(5);
  const Test_Mesh mesh = Torus(50, 70, 150, 50, 0.2, random);
  const int16_t numbering[][2] = {{32000, 1}, {30000, 3}, {-32768, 40}, {10, 1}, {100, 0}};
  for (const auto& [start, step] : numbering) {
    SCOPED_TRACE(std::to_string(start) + " by " + std::to_string(step));
    const Faces_That_Fit chosen = Find_Faces_That_Fit(mesh.points, mesh.faces, start, step);
    ASSERT_TRUE(chosen.found);
    const int64_t available = Available_Bas_Lines(start, step);
    EXPECT_EQ(chosen.lines_available, available);
    EXPECT_EQ(Count_Bas_Lines(chosen.tidy.points, chosen.tidy.faces, start, step), chosen.lines_needed);
    EXPECT_LE(chosen.tidy.faces.size(), chosen.max_faces);
    if (chosen.max_faces == mesh.faces.size()) {
      EXPECT_TRUE(available < 0 || Count_Bas_Lines(mesh.points, mesh.faces, start, step) <= available);
      continue;
    }
    EXPECT_LE(chosen.lines_needed, available);
    // The largest limit that fits: a few more faces would not.
    EXPECT_GE(chosen.lines_needed, available - 3);
  }
  EXPECT_FALSE(Find_Faces_That_Fit(mesh.points, mesh.faces, 32767, 1).found);
}

TEST(ShapeMesh, FaceLimitCountsTheSavedFacesAndLeavesTheNormalMeshWholeButFitted) {
  std::mt19937 random(9);
  const Test_Mesh mesh = Torus(30, 40, 40, 12, 0.2, random);
  MeshStore store = Loaded_Store(mesh);
  Shape_Options options;
  options.turn = true;
  options.up = Up_Axis::Z;
  options.fit_size = 3;  // so small that the tidy step drops some of the reduced faces
  options.face_limit = Face_Limit::Count;
  options.max_faces = 500;
  Shape_Report report;
  ASSERT_TRUE(Shape_Mesh(store, options, report).ok);
  EXPECT_GT(report.faces_degenerate, 0);
  EXPECT_LE(store.Nb_Faces + 1, 500);
  EXPECT_EQ(report.faces_achieved, store.Nb_Faces + 1);
  EXPECT_EQ(report.faces_before, static_cast<int64_t>(mesh.faces.size()));
  ASSERT_EQ(store.Faces_Normal.size(), mesh.faces.size());
  for (size_t f = 0; f < mesh.faces.size(); ++f) ASSERT_EQ(store.Faces_Normal[f].B, mesh.faces[f].B);
  // The normal mesh is turned and fitted as the saved one, whose box has
  // the size asked for: the saved points, a part of it rounded to tenths,
  // lie within its box.
  const Bounds3 normal = Bounds_Of(store.Pts_Normal), saved = Bounds_Of(store.Pts_Optimized);
  EXPECT_NEAR(Largest_Extent(saved), 3, 0.1);
  EXPECT_GE(Largest_Extent(normal), 3 - 1e-6);
  for (int i = 0; i < 3; ++i) {
    EXPECT_GE(saved.min[i], normal.min[i] - 0.05);
    EXPECT_LE(saved.max[i], normal.max[i] + 0.05);
  }
  EXPECT_LT(normal.max[1] - normal.min[1], 1) << "the ring's axis points up: it is seen edge on";
}

}  // namespace
