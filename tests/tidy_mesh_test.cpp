// The tidy step: the mesh as the BASIC data file holds it. Checked over
// random meshes full of points that print alike, halfway values, faces with
// equal or collinear corners and corners that name no point, against what
// the file's texts say (whole tenths for the area).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <string>

#include "export/coordinate_text.h"
#include "export/write_bas.h"
#include "import/read_input.h"
#include "shape/exact_product.h"
#include "shape/tidy_mesh.h"
#include "test_files.h"

namespace {

std::string Text(float value) {
  char text[64];
  return {text, Format_Coordinate(value, text)};
}

std::string Point_Text(const Point3& p) { return Text(p.X) + "," + Text(p.Y) + "," + Text(p.Z); }

long long Tenths(float value) { return std::llround(std::strtod(Text(value).c_str(), nullptr) * 10); }

// Three points on one line (or on one point), as the file prints them.
bool Collinear(const Point3& a, const Point3& b, const Point3& c) {
  const long long u[3] = {Tenths(b.X) - Tenths(a.X), Tenths(b.Y) - Tenths(a.Y), Tenths(b.Z) - Tenths(a.Z)};
  const long long v[3] = {Tenths(c.X) - Tenths(a.X), Tenths(c.Y) - Tenths(a.Y), Tenths(c.Z) - Tenths(a.Z)};
  return u[1] * v[2] == u[2] * v[1] && u[2] * v[0] == u[0] * v[2] && u[0] * v[1] == u[1] * v[0];
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

TEST(TidyMesh, OnePointPerTextInFirstOccurrenceOrderEveryFaceWithAreaAndTheFileReadsBack) {
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

    // What must remain: in order, the faces naming three points that the
    // file prints off one line; and the first point each named text has.
    auto within = [&](int32_t c) { return c >= 0 && c < n; };
    std::set<int32_t> named;
    std::vector<std::array<std::string, 3>> kept;
    int64_t outside = 0, degenerate = 0;
    for (const Face3& f : faces) {
      if (!within(f.A) || !within(f.B) || !within(f.C)) {
        ++outside;
        continue;
      }
      named.insert({f.A, f.B, f.C});
      if (Collinear(points[f.A], points[f.B], points[f.C])) {
        ++degenerate;
        continue;
      }
      kept.push_back({Point_Text(points[f.A]), Point_Text(points[f.B]), Point_Text(points[f.C])});
    }
    std::map<std::string, int32_t> first;
    for (int32_t i : named) first.try_emplace(Point_Text(points[i]), i);  // ascending

    const Tidy_Result tidy = Tidy_Mesh(points, faces);
    ASSERT_EQ(tidy.faces.size(), kept.size());
    std::vector<bool> used(tidy.points.size(), false);
    for (size_t f = 0; f < kept.size(); ++f) {
      const Face3& face = tidy.faces[f];
      const int32_t corners[3] = {face.A, face.B, face.C};
      for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(corners[k] >= 0 && corners[k] < static_cast<int32_t>(tidy.points.size()));
        EXPECT_EQ(Point_Text(tidy.points[corners[k]]), kept[f][k]) << "face " << f;
        used[corners[k]] = true;
      }
    }
    int32_t previous = -1;
    std::set<std::string> texts;
    for (size_t k = 0; k < tidy.points.size(); ++k) {
      const std::string text = Point_Text(tidy.points[k]);
      EXPECT_TRUE(texts.insert(text).second) << "two points print " << text;
      EXPECT_TRUE(used[k]) << "point " << k << " is used by no face";
      ASSERT_TRUE(first.contains(text));
      EXPECT_GT(first[text], previous) << "point " << k << " out of first-occurrence order";
      previous = first[text];
    }
    EXPECT_EQ(tidy.faces_outside, outside);
    EXPECT_EQ(tidy.faces_degenerate, degenerate);
    EXPECT_EQ(tidy.points_collapsing, static_cast<int64_t>(named.size() - first.size()));
    EXPECT_EQ(tidy.points_collapsing + tidy.points_unused + static_cast<int64_t>(tidy.points.size()), n);
    const Tidy_Result counted = Count_Tidy_Losses(points, faces);
    EXPECT_EQ(counted.faces_degenerate, tidy.faces_degenerate);
    EXPECT_EQ(counted.points_collapsing, tidy.points_collapsing);
    EXPECT_EQ(counted.points_unused, tidy.points_unused);

    // A file written from the tidy mesh reads back to it, bit for bit.
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
    EXPECT_EQ(std::memcmp(opened.Pts_Optimized.data(), tidy.points.data(), tidy.points.size() * sizeof(Point3)), 0);
  }
}

}  // namespace

// Whole-tenth products of up to 126 bits, as the area test of big models
// needs them: a * b == c * d when the four are x*y, z*w, x*z, y*w, and not
// when a unit is added anywhere in the product, low half or high half.
TEST(ExactProduct, EqualProductsAreToldApartFromEveryNeighbour) {
  std::mt19937_64 random(9);
  auto factor = [&] { return static_cast<int64_t>(random() >> (33 + random() % 31)); };  // below 2^31
  for (int trial = 0; trial < 100000; ++trial) {
    const int64_t x = factor() + 1, y = factor() + 1, z = factor() + 1, w = factor() + 1;
    const int64_t sign = random() % 2 ? -1 : 1;
    const int64_t a = sign * x * y, b = z * w, c = sign * x * z, d = y * w;
    ASSERT_TRUE(Products_Equal(a, b, c, d)) << a << " " << b << " " << c << " " << d;
    ASSERT_TRUE(Products_Equal(b, a, d, c));
    ASSERT_FALSE(Products_Equal(a, b + 1, c, d));
    ASSERT_FALSE(Products_Equal(a, b, -c, d));
    // Products 2^64 apart: the same low half, high halves one apart.
    const int shift = 3 + static_cast<int>(random() % 60);
    const int64_t power = int64_t{1} << shift;
    ASSERT_FALSE(Products_Equal(power, b, power, b + (int64_t{1} << (64 - shift)))) << shift << " " << b;
    ASSERT_TRUE(Products_Equal(0, b, c, 0));
    ASSERT_FALSE(Products_Equal(0, b, c, d));
  }
  const int64_t most_negative = std::numeric_limits<int64_t>::min();
  EXPECT_TRUE(Products_Equal(most_negative, 2, most_negative / 2, 4));
  EXPECT_FALSE(Products_Equal(most_negative, 2, most_negative / 2, -4));
}
