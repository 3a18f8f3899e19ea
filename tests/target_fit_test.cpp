// Whether a model serves the Korvane 3D as read, and how many faces it keeps
// when fitted without a count: the judgement of its size agrees with what
// the preview draws; the legible count draws a picture whose lines stay
// apart, at any size and turn, lowered to fit the line numbers and fitted to
// the size asked. (The window's tests judge faces and lines.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <array>
#include <random>

#include "export/write_bas.h"
#include "preview/draw_lines.h"
#include "preview/wireframe.h"
#include "shape/legible_faces.h"
#include "shape/shape_mesh.h"
#include "shape/target_verdict.h"
#include "shape_meshes.h"

namespace {

constexpr int kWidth = 481, kHeight = 473;  // the window's drawing area

Test_Mesh Moved(Test_Mesh mesh, float scale, float dx = 0) {
  for (Point3& p : mesh.points) p = {p.X * scale + dx, p.Y * scale, p.Z * scale};
  return mesh;
}

// Draws the optimized mesh (or the normal one) at each view; `look` sees each picture's segments.
template <typename Look>
void Draw_Views(MeshStore store, bool normal, int zoom, std::initializer_list<std::array<int, 3>> views, Look look) {
  store.Show_Normal = normal;
  Set_Drawing_Area(store, kWidth, kHeight);
  std::vector<Segment> segments;
  for (const auto& view : views) {
    Set_View(store, view[0], view[1], view[2], zoom);
    Build_Wireframe(store, segments);
    look(segments);
  }
}

TEST(TargetVerdict, TooSmallAndOverflowingAreWhatThePreviewDrawsAtTheEndsOfTheZoom) {
  std::mt19937 random(5);
  std::uniform_real_distribution<float> size(0.0f, 6.0f), far(-200.0f, 200.0f);
  int judged = 0, small = 0, overflowing = 0;
  for (int i = 0; i < 200; ++i) {
    Test_Mesh model = Moved(Torus(8, 6, 1, 0.4, 0.3, random), std::exp(size(random)) / 2.8f, far(random));
    for (Point3& p : model.points) p = i % 3 == 0 ? p : i % 3 == 1 ? Point3{p.Y, p.X, p.Z} : Point3{p.Z, p.Y, p.X};
    const Target_Verdict verdict = Judge_Target(model.points, model.faces, 10, 1, kWidth, kHeight);
    const Bounds3& box = verdict.bounds;
    double reach = 0;
    for (int k = 0; k < 3; ++k) reach = std::max({reach, std::fabs(box.min[k]), std::fabs(box.max[k])});
    // Close to a limit the preview's rounding to whole pixels may go either way.
    if (std::fabs(Largest_Extent(box) * kLargestZoom - kVisibleSpanPixels) < 2 ||
        std::fabs(reach * kSmallestZoom - std::min(kWidth, kHeight) / 2.0) < 2)
      continue;
    // Over the quarter turns that bring each of the model's axes across and
    // up the picture: the widest drawing at the largest zoom, any end outside
    // the area at the smallest.
    int span = 0;
    bool outside = false;
    const auto views = {std::array{0, 0, 0}, {0, 0, 90}, {90, 0, 0}, {90, 0, 90}, {0, 90, 0}, {0, 90, 90}};
    Draw_Views(Loaded_Store(model), true, kLargestZoom, views, [&](const std::vector<Segment>& segments) {
      for (const Segment& a : segments)
        for (const Segment& b : segments) span = std::max({span, std::abs(a.From.X - b.From.X), std::abs(a.From.Y - b.From.Y)});
    });
    Draw_Views(Loaded_Store(model), true, kSmallestZoom, views, [&](const std::vector<Segment>& segments) {
      for (const Segment& s : segments)
        for (const ScreenPoint& p : {s.From, s.To}) outside = outside || p.X < 0 || p.X >= kWidth || p.Y < 0 || p.Y >= kHeight;
    });
    EXPECT_EQ(verdict.too_small, span < kVisibleSpanPixels) << Largest_Extent(box);
    EXPECT_EQ(verdict.overflows, outside) << reach;
    ++judged, small += verdict.too_small, overflowing += verdict.overflows;
  }
  EXPECT_GT(judged, 150);
  EXPECT_TRUE(small > 10 && small < judged - 10 && overflowing > 10 && overflowing < judged - 10);
}

// The share of the pixels within the drawing's box that are black, over
// several turns, fitted to 400 units at zoom 1 with the faces turned away
// hidden, as the window shows a fitted model.
double Black_Share(const Test_Mesh& model, std::span<const Face3> faces) {
  Test_Mesh kept = model;
  kept.faces.assign(faces.begin(), faces.end());
  MeshStore store = Loaded_Store(kept);
  Apply_Fit({store.Pts_Optimized.data(), size_t(store.Nb_Pts_Optimized + 1)}, Fit_To_Size(Bounds_Of(model.points), 400));
  double share = 0;
  Draw_Views(store, false, 1, {{30, 20, 10}, {300, 0, 0}, {60, 45, 0}, {0, 120, 200}}, [&](auto& segments) {
    std::vector<uint32_t> pixels(kWidth * kHeight, 0);
    Draw_Lines(pixels.data(), kWidth, kHeight, kWidth, segments, 1);
    int low[2] = {kWidth, kHeight}, high[2] = {0, 0}, black = 0;
    for (int at = 0; at < kWidth * kHeight; ++at)
      if (pixels[at]) {
        const int x = at % kWidth, y = at / kWidth;
        ++black, low[0] = std::min(low[0], x), high[0] = std::max(high[0], x);
        low[1] = std::min(low[1], y), high[1] = std::max(high[1], y);
      }
    share += black / (double(high[0] - low[0] + 1) * (high[1] - low[1] + 1)) / 4;
  });
  return share;
}

TEST(LegibleFaces, AClosedModelKeepsAboutAThousandFacesThatDrawLegiblyAtAnySizeAndTurn) {
  std::mt19937 random(2);
  const Test_Mesh torus = Torus(200, 100, 40, 12, 0.2, random);
  const size_t legible = Legible_Face_Count(torus.points, torus.faces);
  EXPECT_TRUE(legible >= 500 && legible <= 2000) << legible;
  // The whole model draws nearly black; the legible one leaves most of its picture white.
  const double kept = Black_Share(torus, Reduce_Faces(torus.points, torus.faces, legible).faces);
  EXPECT_LT(kept, 0.25);
  EXPECT_GT(Black_Share(torus, torus.faces), 3 * kept);
  for (float scale : {1e-3f, 0.156f, 400.0f, 1e5f}) {
    Test_Mesh turned = Moved(torus, scale);
    for (Point3& p : turned.points) p = {p.Z, -p.X, p.Y};
    EXPECT_NEAR(double(Legible_Face_Count(turned.points, turned.faces)), double(legible), 1.0) << scale;
  }
  const std::span<const Face3> few(torus.faces.data(), 40);
  EXPECT_EQ(Legible_Face_Count(torus.points, few), few.size());  // never more than the model has
}

// With --faces auto and --fit, the legible count is lowered until the file
// fits the numbers, the box of what is kept has the size asked, and the file
// is the one --faces N writes for the N chosen.
TEST(LegibleFaces, LoweredToFitTheNumbersAndAsLargeAsAskedAsFacesNWould) {
  std::mt19937 random(6);
  const Test_Mesh torus = Moved(Torus(120, 60, 40, 12, 0.45, random), 0.01f);
  for (int16_t start : {int16_t{10}, int16_t{32600}, int16_t{32700}, int16_t{32767}}) {
    Shape_Options options;
    options.fit_size = 400;
    options.face_limit = Face_Limit::Legible;
    MeshStore store = Loaded_Store(torus), again = Loaded_Store(torus);
    store.Basic_Line = again.Basic_Line = start;
    store.Basic_Step = again.Basic_Step = 1;
    Shape_Report report;
    const bool fits = Shape_Mesh(store, options, report).ok;
    ASSERT_EQ(fits, start < 32767) << start;
    if (!fits) continue;
    const std::span<const Point3> kept(store.Pts_Optimized.data(), size_t(store.Nb_Pts_Optimized + 1));
    const std::span<const Face3> faces(store.Faces_Optimized.data(), size_t(store.Nb_Faces + 1));
    const int64_t lines = Count_Bas_Lines(kept, faces, start, 1), available = Available_Bas_Lines(start, 1);
    EXPECT_TRUE(lines <= available && (start == 10 || lines > available * 3 / 4)) << lines << " of " << available;
    EXPECT_EQ(start == 10, report.faces_target == int64_t(Legible_Face_Count(torus.points, torus.faces)));
    EXPECT_NEAR(Largest_Extent(Bounds_Of(kept)), 400, 0.1);
    options.face_limit = Face_Limit::Count;
    options.max_faces = size_t(report.faces_target);
    ASSERT_TRUE(Shape_Mesh(again, options, report).ok);
    ASSERT_EQ(again.Nb_Faces, store.Nb_Faces);
    EXPECT_EQ(std::memcmp(again.Faces_Optimized.data(), faces.data(), faces.size_bytes()), 0);
    EXPECT_EQ(std::memcmp(again.Pts_Optimized.data(), kept.data(), kept.size_bytes()), 0);
  }
}

}  // namespace
