// The tidy step: the mesh as the BASIC data file holds it. Checked against a
// plain reference (texts in a map, whole tenths for the area) over random
// meshes full of points that print alike, halfway values, faces with equal
// or collinear corners and corners that name no point.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <string>

#include "export/coordinate_text.h"
#include "export/write_bas.h"
#include "import/read_input.h"
#include "shape/tidy_mesh.h"
#include "test_files.h"

namespace {

std::string Text(float value) {
  char text[64];
  return {text, Format_Coordinate(value, text)};
}

std::string Point_Text(const Point3& p) { return Text(p.X) + "," + Text(p.Y) + "," + Text(p.Z); }

long long Tenths(const std::string& text) { return std::llround(std::strtod(text.c_str(), nullptr) * 10); }

// Three points on one line (or on one point), from the texts the file holds.
bool Collinear(const Point3& a, const Point3& b, const Point3& c) {
  const Point3* p[3] = {&a, &b, &c};
  long long t[3][3];
  for (int k = 0; k < 3; ++k) {
    t[k][0] = Tenths(Text(p[k]->X));
    t[k][1] = Tenths(Text(p[k]->Y));
    t[k][2] = Tenths(Text(p[k]->Z));
  }
  long long u[3], v[3];
  for (int i = 0; i < 3; ++i) u[i] = t[1][i] - t[0][i], v[i] = t[2][i] - t[0][i];
  return u[1] * v[2] == u[2] * v[1] && u[2] * v[0] == u[0] * v[2] && u[0] * v[1] == u[1] * v[0];
}

struct Reference {
  std::vector<std::string> points;  // texts, in order
  std::vector<Face3> faces;
};

// Step by step as the tidy step is described, slowly and plainly.
Reference Tidy_Reference(const std::vector<Point3>& points, const std::vector<Face3>& faces) {
  auto within = [&](int32_t c) { return c >= 0 && c < static_cast<int32_t>(points.size()); };
  std::set<int32_t> named;
  for (const Face3& f : faces)
    if (within(f.A) && within(f.B) && within(f.C)) named.insert({f.A, f.B, f.C});
  std::map<std::string, int32_t> number;
  std::vector<std::string> distinct;
  std::vector<int32_t> remap(points.size(), -1);
  for (int32_t i : named) {  // ascending: first occurrence order
    const std::string text = Point_Text(points[i]);
    auto [at, added] = number.try_emplace(text, static_cast<int32_t>(distinct.size()));
    if (added) distinct.push_back(text);
    remap[i] = at->second;
  }
  std::vector<Face3> kept;
  for (const Face3& f : faces) {
    if (!within(f.A) || !within(f.B) || !within(f.C)) continue;
    const Face3 g = {remap[f.A], remap[f.B], remap[f.C]};
    if (g.A == g.B || g.B == g.C || g.A == g.C || Collinear(points[f.A], points[f.B], points[f.C])) continue;
    kept.push_back(g);
  }
  std::vector<int32_t> renumber(distinct.size(), -1);
  for (const Face3& f : kept) renumber[f.A] = renumber[f.B] = renumber[f.C] = 0;
  Reference out;
  for (size_t k = 0; k < distinct.size(); ++k)
    if (renumber[k] == 0) {
      renumber[k] = static_cast<int32_t>(out.points.size());
      out.points.push_back(distinct[k]);
    }
  for (const Face3& f : kept) out.faces.push_back({renumber[f.A], renumber[f.B], renumber[f.C]});
  return out;
}

// Coordinates that print alike in many ways: hundredths, halfway values,
// small negatives that print 0.0, and whole numbers.
float Tricky_Value(std::mt19937& random) {
  static const float kHalfway[] = {0.25f, 0.35f, -0.05f, -0.04f, 1.45f, -7.25f, 0.95f, 99.95f};
  switch (random() % 4) {
    case 0: return static_cast<float>(static_cast<int>(random() % 121) - 60) / 100.0f;
    case 1: return kHalfway[random() % std::size(kHalfway)];
    case 2: return static_cast<float>(static_cast<int>(random() % 5) - 2);
    default: return std::ldexp(static_cast<float>(random() % 1000) - 500, -static_cast<int>(random() % 8));
  }
}

TEST(TidyMesh, MatchesThePlainReferenceAndReadsBackExactly) {
  std::mt19937 random(2024);
  for (int trial = 0; trial < 200; ++trial) {
    SCOPED_TRACE(trial);
    const int32_t n = 3 + static_cast<int32_t>(random() % 60);
    std::vector<Point3> points(n);
    for (Point3& p : points) p = {Tricky_Value(random), Tricky_Value(random), Tricky_Value(random)};
    // Points on one line, and corners outside the points now and then.
    points[0] = {0, 0, 0};
    points[1] = {1, 1, 1};
    points[2] = {2.04f, 2.0f, 1.96f};
    std::vector<Face3> faces(random() % 80);
    for (Face3& f : faces) {
      auto corner = [&] { return random() % 25 == 0 ? n + 3 : static_cast<int32_t>(random() % n) - (random() % 40 == 0); };
      f = {corner(), corner(), corner()};
    }
    faces.push_back({0, 1, 2});

    const Tidy_Result tidy = Tidy_Mesh(points, faces);
    const Reference reference = Tidy_Reference(points, faces);
    ASSERT_EQ(tidy.points.size(), reference.points.size());
    for (size_t k = 0; k < tidy.points.size(); ++k) ASSERT_EQ(Point_Text(tidy.points[k]), reference.points[k]);
    ASSERT_EQ(tidy.faces.size(), reference.faces.size());
    for (size_t f = 0; f < tidy.faces.size(); ++f) {
      ASSERT_EQ(tidy.faces[f].A, reference.faces[f].A);
      ASSERT_EQ(tidy.faces[f].B, reference.faces[f].B);
      ASSERT_EQ(tidy.faces[f].C, reference.faces[f].C);
    }
    const Tidy_Result counted = Count_Tidy_Losses(points, faces);
    EXPECT_EQ(counted.faces_degenerate, tidy.faces_degenerate);
    EXPECT_EQ(counted.points_collapsing, tidy.points_collapsing);
    EXPECT_EQ(tidy.faces_degenerate + tidy.faces_outside + static_cast<int64_t>(tidy.faces.size()),
              static_cast<int64_t>(faces.size()));

    // What the file holds, and nothing else: every point is its own rounding,
    // and a written file reads back to this very mesh.
    std::set<std::string> texts;
    for (const Point3& p : tidy.points) {
      EXPECT_TRUE(texts.insert(Point_Text(p)).second) << "two points print " << Point_Text(p);
      EXPECT_EQ(Round_As_Written(p.X), p.X);
    }
    MeshStore saved;
    saved.Pts_Optimized = tidy.points;
    saved.Faces_Optimized = tidy.faces;
    saved.Nb_Pts_Optimized = static_cast<int32_t>(tidy.points.size()) - 1;
    saved.Nb_Faces = static_cast<int32_t>(tidy.faces.size()) - 1;
    saved.Basic_Line = 10;
    saved.Basic_Step = 1;
    saved.File_Output = (Test_Temp_Folder() / "tidy.bas").string();
    ASSERT_TRUE(Write_Bas(saved).ok);
    if (tidy.faces.empty()) continue;  // such a file has no counts to read back
    MeshStore opened;
    opened.File_Input = saved.File_Output;
    ASSERT_TRUE(Read_Input(opened, Input_Kind::Bas).ok);
    ASSERT_EQ(opened.Nb_Pts_Optimized, saved.Nb_Pts_Optimized);
    for (size_t k = 0; k < tidy.points.size(); ++k) {
      EXPECT_EQ(opened.Pts_Optimized[k].X, tidy.points[k].X);
      EXPECT_EQ(opened.Pts_Optimized[k].Y, tidy.points[k].Y);
      EXPECT_EQ(opened.Pts_Optimized[k].Z, tidy.points[k].Z);
    }
  }
}

TEST(TidyMesh, ACleanMeshStaysAsItIs) {
  const std::vector<Point3> cube = {{-5, -5, -5}, {5, -5, -5}, {5, 5, -5}, {-5, 5, -5},
                                    {-5, -5, 5},  {5, -5, 5},  {5, 5, 5},  {-5, 5, 5}};
  const std::vector<Face3> faces = {{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}, {0, 1, 5}, {0, 5, 4},
                                    {3, 2, 6}, {3, 6, 7}, {0, 3, 7}, {0, 7, 4}, {1, 2, 6}, {1, 6, 5}};
  const Tidy_Result tidy = Tidy_Mesh(cube, faces);
  ASSERT_EQ(tidy.points.size(), cube.size());
  ASSERT_EQ(tidy.faces.size(), faces.size());
  for (size_t k = 0; k < cube.size(); ++k) EXPECT_EQ(Point_Text(tidy.points[k]), Point_Text(cube[k]));
  for (size_t f = 0; f < faces.size(); ++f) EXPECT_EQ(tidy.faces[f].C, faces[f].C);
  EXPECT_EQ(tidy.points_collapsing + tidy.faces_degenerate + tidy.points_unused, 0);
}

}  // namespace
