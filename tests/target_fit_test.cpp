// Whether a model serves the Korvane 3D as read, and how many faces it keeps
// when fitted without a count: the judgement agrees with what the preview
// shows and what the tidy step drops, and the legible count draws a picture
// whose lines stay apart, at any size and turn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "export/write_bas.h"
#include "preview/draw_lines.h"
#include "preview/wireframe.h"
#include "shape/fit_to_size.h"
#include "shape/legible_faces.h"
#include "shape/reduce_faces.h"
#include "shape/shape_mesh.h"
#include "shape/target_verdict.h"
#include "shape/tidy_mesh.h"
#include "shape_meshes.h"
#include "test_files.h"

namespace {

constexpr int kWidth = 481, kHeight = 473;  // the window's drawing area

// A box from `low` to `high`, wound with its outside counter-clockwise.
Test_Mesh Box(const float low[3], const float high[3]) {
  Test_Mesh mesh;
  for (int i = 0; i < 8; ++i)
    mesh.points.push_back({i & 1 ? high[0] : low[0], i & 2 ? high[1] : low[1], i & 4 ? high[2] : low[2]});
  const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& q : quads) {
    mesh.faces.push_back({q[0], q[1], q[2]});
    mesh.faces.push_back({q[0], q[2], q[3]});
  }
  return mesh;
}

Test_Mesh Scaled(Test_Mesh mesh, float scale) {
  for (Point3& p : mesh.points) p = {p.X * scale, p.Y * scale, p.Z * scale};
  return mesh;
}

Target_Verdict Judge(const Test_Mesh& mesh, int16_t start = 10, int16_t step = 1) {
  return Judge_Target(mesh.points, mesh.faces, start, step, kWidth, kHeight);
}

// The box the drawn segments fill at a zoom, over the quarter turns that
// bring each model axis across and up the picture; whether any end falls
// outside the drawing area.
struct Drawn {
  int span = 0;  // the widest extent of the drawing, in pixels
  bool outside = false;
};

Drawn Draw_Quarter_Turns(const Test_Mesh& mesh, int zoom) {
  MeshStore store = Loaded_Store(mesh);
  store.Show_Normal = true;
  Set_Drawing_Area(store, kWidth, kHeight);
  Drawn drawn;
  const int views[][3] = {{0, 0, 0}, {0, 0, 90}, {90, 0, 0}, {90, 0, 90}, {0, 90, 0}, {0, 90, 90}};
  std::vector<Segment> segments;
  for (const auto& view : views) {
    Set_View(store, view[0], view[1], view[2], zoom);
    Build_Wireframe(store, segments);
    int low[2] = {INT32_MAX, INT32_MAX}, high[2] = {INT32_MIN, INT32_MIN};
    for (const Segment& s : segments)
      for (const ScreenPoint& p : {s.From, s.To}) {
        low[0] = std::min<int>(low[0], p.X), high[0] = std::max<int>(high[0], p.X);
        low[1] = std::min<int>(low[1], p.Y), high[1] = std::max<int>(high[1], p.Y);
        drawn.outside = drawn.outside || p.X < 0 || p.X >= kWidth || p.Y < 0 || p.Y >= kHeight;
      }
    drawn.span = std::max({drawn.span, high[0] - low[0], high[1] - low[1]});
  }
  return drawn;
}

TEST(TargetVerdict, TooSmallAndOverflowingAreWhatThePreviewShows) {
  std::mt19937 random(5);
  std::uniform_real_distribution<float> size(0.0f, 6.0f), ratio(0.3f, 1.0f), far(-300.0f, 300.0f);
  int small = 0, overflowing = 0, judged = 0;
  for (int i = 0; i < 300; ++i) {
    const float side = std::exp(size(random));  // 1 to 400 units
    float low[3], high[3];
    for (int k = 0; k < 3; ++k) {
      low[k] = i % 3 == 0 ? -side / 2 : far(random);
      high[k] = low[k] + side * ratio(random);
    }
    const Test_Mesh box = Box(low, high);
    const Target_Verdict verdict = Judge(box);
    // Close to a limit the preview's rounding to whole pixels may go either way.
    const double extent = Largest_Extent(verdict.bounds);
    double reach = 0;
    for (int k = 0; k < 3; ++k) reach = std::max({reach, std::fabs(double{low[k]}), std::fabs(double{high[k]})});
    const double half = std::min(kWidth, kHeight) / 2.0;
    if (std::fabs(extent * kLargestZoom - kVisibleSpanPixels) < 2 || std::fabs(reach * kSmallestZoom - half) < 2) continue;
    ++judged;
    const Drawn largest = Draw_Quarter_Turns(box, kLargestZoom);
    EXPECT_EQ(verdict.too_small, largest.span < kVisibleSpanPixels) << "largest side " << extent;
    EXPECT_EQ(verdict.overflows, Draw_Quarter_Turns(box, kSmallestZoom).outside) << "reach " << reach;
    small += verdict.too_small;
    overflowing += verdict.overflows;
  }
  EXPECT_GT(judged, 250);
  EXPECT_GT(small, 10);  // both answers were seen, for both questions
  EXPECT_LT(small, judged - 10);
  EXPECT_GT(overflowing, 10);
  EXPECT_LT(overflowing, judged - 10);
}

TEST(TargetVerdict, TheTenUnitCubeServesAndEachFaultIsNamed) {
  const float low[3] = {0, 0, 0}, high[3] = {10, 10, 10};
  const Test_Mesh cube = Box(low, high);
  EXPECT_TRUE(Judge(cube).Serves());

  const Target_Verdict tiny = Judge(Scaled(cube, 0.004f));  // every corner prints 0.0
  EXPECT_TRUE(tiny.too_small);
  EXPECT_FALSE(tiny.Keeps_Every_Face());
  EXPECT_FALSE(tiny.Serves());

  Test_Mesh far = cube;
  for (Point3& p : far.points) p.X += 300;
  const Target_Verdict moved = Judge(far);
  EXPECT_TRUE(moved.overflows);
  EXPECT_TRUE(moved.Keeps_Every_Face() && moved.Fits_Lines() && !moved.too_small);

  // Lines: the file needs more than the numbers leave exactly when the writer refuses it.
  int refused = 0;
  for (int start = 32750; start <= 32767; ++start) {
    const Target_Verdict numbered = Judge(cube, static_cast<int16_t>(start), 1);
    MeshStore store = Loaded_Store(cube);
    store.Basic_Line = static_cast<int16_t>(start);
    store.Basic_Step = 1;
    store.File_Output = (Test_Temp_Folder() / "cube.bas").string();
    const bool written = Write_Bas(store).ok;
    EXPECT_EQ(numbered.Fits_Lines(), written) << start;
    EXPECT_EQ(numbered.Serves(), written) << start;
    refused += !written;
  }
  EXPECT_GT(refused, 0);
}

// The share of the pixels within the drawing's box that are black, averaged
// over turns, with the model fitted to 400 units at zoom 1 and the faces
// turned away hidden, as the window shows the fitted model.
double Black_Share(std::span<const Point3> points, std::span<const Face3> faces) {
  MeshStore store;
  store.Pts_Optimized = std::vector<Point3>(points.begin(), points.end());
  store.Faces_Optimized = std::vector<Face3>(faces.begin(), faces.end());
  store.Nb_Pts_Optimized = static_cast<int32_t>(points.size()) - 1;
  store.Nb_Faces = static_cast<int32_t>(faces.size()) - 1;
  Size_Array(store.Faces_Visible, store.Nb_Faces);
  Size_Array(store.Pts_Screen, store.Nb_Pts_Optimized);
  store.Object_Loaded = true;
  Apply_Fit({store.Pts_Optimized.data(), points.size()}, Fit_To_Size(Bounds_Of(points), 400));
  Set_Drawing_Area(store, kWidth, kHeight);
  double share = 0;
  const int views[][3] = {{30, 20, 10}, {300, 0, 0}, {60, 45, 0}, {0, 120, 200}};
  std::vector<Segment> segments;
  for (const auto& view : views) {
    Set_View(store, view[0], view[1], view[2], 1);
    Build_Wireframe(store, segments);
    std::vector<uint32_t> pixels(kWidth * kHeight, 0);
    Draw_Lines(pixels.data(), kWidth, kHeight, kWidth, segments, 1);
    int low[2] = {kWidth, kHeight}, high[2] = {0, 0}, black = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (pixels[y * kWidth + x]) {
          ++black;
          low[0] = std::min(low[0], x), high[0] = std::max(high[0], x);
          low[1] = std::min(low[1], y), high[1] = std::max(high[1], y);
        }
    share += black / (double(high[0] - low[0] + 1) * (high[1] - low[1] + 1)) / std::size(views);
  }
  return share;
}

// A sphere of latitude and longitude bands.
Test_Mesh Sphere(int bands) {
  Test_Mesh mesh;
  const double pi = 3.141592653589793;
  for (int i = 0; i <= bands; ++i)
    for (int j = 0; j < 2 * bands; ++j) {
      const double polar = pi * i / bands, around = pi * j / bands;
      mesh.points.push_back({static_cast<float>(std::sin(polar) * std::cos(around)),
                             static_cast<float>(std::sin(polar) * std::sin(around)), static_cast<float>(std::cos(polar))});
    }
  auto at = [&](int i, int j) { return i * 2 * bands + j % (2 * bands); };
  for (int i = 0; i < bands; ++i)
    for (int j = 0; j < 2 * bands; ++j) {
      mesh.faces.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
      mesh.faces.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
    }
  return mesh;
}

TEST(LegibleFaces, ClosedModelsKeepAboutAThousandFacesThatDrawLegibly) {
  std::mt19937 random(2);
  const Test_Mesh models[] = {Torus(200, 100, 40, 12, 0.2, random), Sphere(90)};
  for (const Test_Mesh& model : models) {
    const size_t legible = Legible_Face_Count(model.points, model.faces);
    EXPECT_GE(legible, 500u);
    EXPECT_LE(legible, 2000u);
    // The whole model draws nearly black; the legible one leaves most of its picture white.
    const Reduced_Faces reduced = Reduce_Faces(model.points, model.faces, legible);
    const double whole = Black_Share(model.points, model.faces), kept = Black_Share(model.points, reduced.faces);
    EXPECT_LT(kept, 0.25);
    EXPECT_GT(whole, 3 * kept);
  }
}

TEST(LegibleFaces, TheCountIsTheSameAtAnySizeAndTurnAndNeverMoreThanTheModelHas) {
  std::mt19937 random(4);
  const Test_Mesh torus = Torus(80, 40, 40, 12, 0.2, random);
  const size_t legible = Legible_Face_Count(torus.points, torus.faces);
  ASSERT_LT(legible, torus.faces.size());
  for (float scale : {1e-3f, 0.156f, 7.0f, 400.0f, 1e5f}) {
    Test_Mesh turned = Scaled(torus, scale);
    for (Point3& p : turned.points) p = {p.Z, -p.X, p.Y};
    EXPECT_NEAR(double(Legible_Face_Count(turned.points, turned.faces)), double(legible), 1.0) << scale;
  }
  const float low[3] = {0, 0, 0}, high[3] = {10, 10, 10};
  const Test_Mesh cube = Box(low, high);
  EXPECT_EQ(Legible_Face_Count(cube.points, cube.faces), cube.faces.size());
  EXPECT_EQ(Legible_Face_Count(cube.points, {}), 0u);
}

// Whether the mesh chosen is exactly the whole mesh reduced to its limit and
// tidied, as stl2bas --faces N makes it.
bool Is_Reduced_To_Its_Limit(const Test_Mesh& mesh, const Faces_That_Fit& chosen) {
  const Tidy_Result again = Tidy_Mesh(mesh.points, Reduce_Faces(mesh.points, mesh.faces, chosen.max_faces).faces);
  return again.faces.size() == chosen.tidy.faces.size() && again.points.size() == chosen.tidy.points.size() &&
         std::memcmp(again.faces.data(), chosen.tidy.faces.data(), again.faces.size() * sizeof(Face3)) == 0 &&
         std::memcmp(again.points.data(), chosen.tidy.points.data(), again.points.size() * sizeof(Point3)) == 0;
}

TEST(LegibleFaces, WithinTheLineNumbersTheLegibleCountIsLoweredToWhatFits) {
  std::mt19937 random(6);
  const Test_Mesh torus = Scaled(Torus(120, 60, 40, 12, 0.2, random), 4);
  const size_t legible = Legible_Face_Count(torus.points, torus.faces);
  const Faces_That_Fit ample = Legible_Faces_That_Fit(torus.points, torus.faces, 10, 1);
  ASSERT_TRUE(ample.found);
  EXPECT_EQ(ample.max_faces, legible);
  EXPECT_TRUE(Is_Reduced_To_Its_Limit(torus, ample));
  for (int16_t start : {int16_t{32600}, int16_t{32700}, int16_t{32750}}) {
    const Faces_That_Fit few = Legible_Faces_That_Fit(torus.points, torus.faces, start, 1);
    ASSERT_TRUE(few.found) << start;
    EXPECT_LT(few.max_faces, legible);
    EXPECT_EQ(few.lines_needed, Count_Bas_Lines(few.tidy.points, few.tidy.faces, start, 1));
    EXPECT_LE(few.lines_needed, few.lines_available);
    EXPECT_GT(few.lines_needed, few.lines_available * 3 / 4);  // not far fewer than fit
    EXPECT_TRUE(Is_Reduced_To_Its_Limit(torus, few));
  }
  EXPECT_FALSE(Legible_Faces_That_Fit(torus.points, torus.faces, 32767, 1).found);
}

// Fitted and reduced, a model is as large as asked: the box of what it
// keeps, not of what it was, is fitted, whichever way the faces are chosen.
TEST(LegibleFaces, AReducedModelIsAsLargeAsAskedAndTheNormalMeshMovesWithIt) {
  std::mt19937 random(9);
  for (int round = 0; round < 6; ++round) {
    Test_Mesh model = Scaled(Torus(60 + 7 * round, 30, 40, 12, 0.45, random), 0.004f * (round + 1));
    for (Face_Limit limit : {Face_Limit::Count, Face_Limit::Legible, Face_Limit::Fit_Line_Numbers}) {
      MeshStore store = Loaded_Store(model);
      store.Basic_Line = 10;
      store.Basic_Step = round % 2 ? 1 : 90;  // a few hundred lines, or plenty
      Shape_Options options;
      options.fit_size = round % 2 ? 400.0 : 37.5;
      options.face_limit = limit;
      options.max_faces = 150;
      Shape_Report report;
      ASSERT_TRUE(Shape_Mesh(store, options, report).ok);
      const std::span<const Point3> kept(store.Pts_Optimized.data(), size_t(store.Nb_Pts_Optimized + 1));
      EXPECT_NEAR(Largest_Extent(Bounds_Of(kept)), options.fit_size, 0.1) << int(limit) << " round " << round;
      // Every kept point lies where the normal mesh has a point, to the tenth.
      const std::span<const Point3> normal(store.Pts_Normal.data(), size_t(store.Nb_Pts_Normal + 1));
      for (const Point3& p : kept) {
        const bool near = std::any_of(normal.begin(), normal.end(), [&](const Point3& q) {
          return std::fabs(p.X - q.X) <= 0.051f && std::fabs(p.Y - q.Y) <= 0.051f && std::fabs(p.Z - q.Z) <= 0.051f;
        });
        ASSERT_TRUE(near) << int(limit) << " round " << round << " point " << p.X << " " << p.Y << " " << p.Z;
      }
    }
  }
}

}  // namespace
