// Point merging: the hash table gives exactly the result of the plain
// linear scan (same points, same order, same bits).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "merge/optimize_points.h"

namespace {

// A store holding the given normal mesh, sized as the readers size it.
MeshStore Normal_Mesh(const std::vector<Point3>& points, const std::vector<Face3>& faces) {
  MeshStore store;
  store.Nb_Pts_Normal = static_cast<int32_t>(points.size()) - 1;
  store.Nb_Faces = static_cast<int32_t>(faces.size()) - 1;
  store.Pts_Normal = points;
  store.Faces_Normal = faces;
  Size_Array(store.Pts_Optimized, store.Nb_Pts_Normal);
  Size_Array(store.Faces_Optimized, store.Nb_Faces);
  return store;
}

// The merge written as the two literal linear scans.
void Linear_Scan_Merge(MeshStore& store) {
  auto equal = [](const Point3& a, const Point3& b) { return a.X == b.X && a.Y == b.Y && a.Z == b.Z; };
  store.Nb_Pts_Optimized = -1;
  for (int32_t i = 0; i <= store.Nb_Pts_Normal; ++i) {
    bool found = false;
    for (int32_t k = 0; k <= store.Nb_Pts_Optimized && !found; ++k)
      found = equal(store.Pts_Optimized[k], store.Pts_Normal[i]);
    if (!found) store.Pts_Optimized[++store.Nb_Pts_Optimized] = store.Pts_Normal[i];
  }
  for (int32_t f = 0; f <= store.Nb_Faces; ++f) {
    int32_t* out[3] = {&store.Faces_Optimized[f].A, &store.Faces_Optimized[f].B, &store.Faces_Optimized[f].C};
    const int32_t in[3] = {store.Faces_Normal[f].A, store.Faces_Normal[f].B, store.Faces_Normal[f].C};
    for (int c = 0; c < 3; ++c)
      for (int32_t k = 0; k <= store.Nb_Pts_Optimized; ++k)
        if (equal(store.Pts_Optimized[k], store.Pts_Normal[in[c]])) *out[c] = k;
  }
}

bool Same_Bits(const Point3& a, const Point3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(OptimizePoints, TwoFacetsSharingAnEdge) {
  const Point3 p0{0, 0, 0}, p1{1, 0, 0}, p2{1, 1, 0}, p3{0, 1, 0};
  MeshStore store = Normal_Mesh({p0, p1, p2, p0, p2, p3}, {{0, 1, 2}, {3, 4, 5}});
  Optimize_Points(store);
  ASSERT_EQ(store.Nb_Pts_Optimized, 3);
  EXPECT_TRUE(Same_Bits(store.Pts_Optimized[3], p3));
  EXPECT_EQ(store.Faces_Optimized[1].A, 0);
  EXPECT_EQ(store.Faces_Optimized[1].B, 2);
  EXPECT_EQ(store.Faces_Optimized[1].C, 3);
  // entries above the merged list stay zero
  EXPECT_TRUE(Same_Bits(store.Pts_Optimized[4], Point3{}));
}

TEST(OptimizePoints, SmallMeshes) {
  MeshStore empty = Normal_Mesh({}, {});
  Optimize_Points(empty);
  EXPECT_EQ(empty.Nb_Pts_Optimized, -1);

  MeshStore distinct = Normal_Mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
  Optimize_Points(distinct);
  EXPECT_EQ(distinct.Nb_Pts_Optimized, 2);
  EXPECT_EQ(distinct.Faces_Optimized[0].C, 2);

  MeshStore collapsed = Normal_Mesh({{4, 4, 4}, {4, 4, 4}, {4, 4, 4}}, {{0, 1, 2}});
  Optimize_Points(collapsed);
  EXPECT_EQ(collapsed.Nb_Pts_Optimized, 0);
  EXPECT_EQ(collapsed.Faces_Optimized[0].C, 0);

  // a point seen only last becomes the last merged point
  MeshStore last = Normal_Mesh({{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {9, 9, 9}}, {{0, 1, 2}, {3, 4, 5}});
  Optimize_Points(last);
  EXPECT_EQ(last.Nb_Pts_Optimized, 1);
  EXPECT_EQ(last.Pts_Optimized[1].X, 9.0f);
  EXPECT_EQ(last.Faces_Optimized[1].C, 1);
}

TEST(OptimizePoints, EqualityIsByValue) {
  const float step_up = std::nextafter(1.0f, 2.0f);
  MeshStore store = Normal_Mesh({{0.0f, 1, -0.0f}, {-0.0f, 1, 0.0f}, {0, step_up, 0}, {0, 1, 0}},
                                {{0, 1, 2}, {3, 2, 1}});
  Optimize_Points(store);
  // signed zeros merge into the first occurrence, keeping its bits
  ASSERT_EQ(store.Nb_Pts_Optimized, 1);
  EXPECT_FALSE(std::signbit(store.Pts_Optimized[0].X));
  EXPECT_TRUE(std::signbit(store.Pts_Optimized[0].Z));
  // one float step apart stays apart
  EXPECT_EQ(store.Pts_Optimized[1].Y, step_up);
  EXPECT_EQ(store.Faces_Optimized[1].A, 0);
  EXPECT_EQ(store.Faces_Optimized[1].B, 1);
}

TEST(OptimizePoints, IndexedMeshWithoutDuplicatesIsCopied) {
  MeshStore store = Normal_Mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {7, 7, 7}}, {{2, 1, 0}, {0, 2, 1}});
  Optimize_Points(store);
  EXPECT_EQ(store.Nb_Pts_Optimized, 3);  // the unused point stays
  EXPECT_EQ(store.Faces_Optimized[0].A, 2);
  EXPECT_EQ(store.Faces_Optimized[1].C, 1);
}

// Merges the mesh both ways and expects the same points, order, bits and faces.
void Expect_Same_As_Linear_Scan(const std::vector<Point3>& normal, const std::vector<Face3>& faces,
                                const std::string& label) {
  MeshStore fast = Normal_Mesh(normal, faces);
  MeshStore slow = Normal_Mesh(normal, faces);
  Optimize_Points(fast);
  Linear_Scan_Merge(slow);
  ASSERT_EQ(fast.Nb_Pts_Optimized, slow.Nb_Pts_Optimized) << label;
  for (size_t i = 0; i < fast.Pts_Optimized.size(); ++i)
    ASSERT_TRUE(Same_Bits(fast.Pts_Optimized[i], slow.Pts_Optimized[i])) << label << " point " << i;
  for (size_t f = 0; f < faces.size(); ++f) {
    ASSERT_EQ(fast.Faces_Optimized[f].A, slow.Faces_Optimized[f].A) << label << " face " << f;
    ASSERT_EQ(fast.Faces_Optimized[f].B, slow.Faces_Optimized[f].B) << label << " face " << f;
    ASSERT_EQ(fast.Faces_Optimized[f].C, slow.Faces_Optimized[f].C) << label << " face " << f;
  }
}

TEST(OptimizePoints, MatchesTheLinearScanOnRandomMeshes) {
  std::mt19937 random(20261207);
  std::vector<Point3> normal;
  std::vector<Face3> faces;
  for (int round = 0; round < 30; ++round) {
    // A small pool of values with signed zeros and one-step neighbours, so
    // that duplicates and near-duplicates are frequent.
    const std::vector<float> pool = {0.0f, -0.0f, 1.0f, std::nextafter(1.0f, 2.0f), std::nextafter(1.0f, 0.0f),
                                     -1.0f, 0.1f, 1e30f, -1e-30f, 3.5f};
    std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
    const int points = 3 * (1 + static_cast<int>(random() % 400));
    normal.resize(points);
    for (Point3& p : normal) p = {pool[pick(random)], pool[pick(random)], pool[pick(random)]};
    faces.resize(points / 3);
    std::uniform_int_distribution<int32_t> corner(0, points - 1);
    for (Face3& f : faces) f = {corner(random), corner(random), corner(random)};
    Expect_Same_As_Linear_Scan(normal, faces, "round " + std::to_string(round));
  }
  // Thousands of distinct points, then each of them again (as -0.0 where it
  // held 0.0) in shuffled order: the table grows while the first ones arrive
  // and must still find every one of them, including those that made it grow.
  normal.clear();
  for (int i = 0; i < 4000; ++i) normal.push_back({i * 0.5f, static_cast<float>(i % 7), 0.0f});
  std::vector<Point3> again(normal);
  for (Point3& p : again) p.Z = -0.0f;
  std::shuffle(again.begin(), again.end(), random);
  normal.insert(normal.end(), again.begin(), again.end());
  faces.resize(normal.size() / 3);
  for (size_t f = 0; f < faces.size(); ++f) {
    const int32_t first = static_cast<int32_t>(3 * f);
    faces[f] = {first, first + 1, first + 2};
  }
  Expect_Same_As_Linear_Scan(normal, faces, "growing table");
}

}  // namespace
