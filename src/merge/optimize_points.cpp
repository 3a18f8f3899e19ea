#include "merge/optimize_points.h"

#include <cstring>

#include "core/index_table.h"

namespace {

uint32_t Canonical_Bits(float value) {
  if (value == 0.0f) return 0;  // -0.0 hashes as 0.0, since they are equal
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

uint64_t Hash_Point(const Point3& p) { return Hash_Three(Canonical_Bits(p.X), Canonical_Bits(p.Y), Canonical_Bits(p.Z)); }

bool Same_Point(const Point3& a, const Point3& b) { return a.X == b.X && a.Y == b.Y && a.Z == b.Z; }

}  // namespace

bool Optimize_Points(Mesh_Arrays& mesh, Progress* progress) {
  const int32_t last_point = mesh.Nb_Pts_Normal;
  const size_t count = last_point < 0 ? 0 : static_cast<size_t>(last_point) + 1;

  // Room for a quarter of the points to be distinct before the first
  // growth: the table starts small and doubles as distinct points arrive, so
  // a mesh whose points are shared (an STL repeats each point about six
  // times) keeps a table that fits the caches.
  size_t capacity = 1024;
  while (capacity / 10 * 7 < count / 4) capacity <<= 1;
  Index_Table table(capacity);
  // remap[i]: the optimized index of normal point i.
  Flat_Array<int32_t> remap;
  remap.Size_Zeroed(count);

  // The slot of a point a few places ahead is fetched while this one is
  // looked up: the table is read at random, and a miss to memory costs
  // more than the whole lookup. Hashes wait in a ring until their turn.
  constexpr size_t kAhead = 8;  // a power of two
  const Point3* normal = mesh.Pts_Normal.data();
  Point3* optimized = mesh.Pts_Optimized.data();
  uint64_t hashes[kAhead];
  for (size_t i = 0; i < kAhead && i < count; ++i) hashes[i] = Hash_Point(normal[i]);
  int32_t last = -1;
  for (size_t i = 0; i < count; ++i) {
    if (progress && (i & 0xFFFFF) == 0xFFFFF &&
        !progress->Update("Merging points", 80 + static_cast<int>(i * 15 / count)))
      return false;
    const uint32_t hash = hashes[i & (kAhead - 1)];
    if (i + kAhead < count) {
      hashes[i & (kAhead - 1)] = Hash_Point(normal[i + kAhead]);
      table.Prefetch(hashes[i & (kAhead - 1)]);
    }
    const Point3& point = normal[i];
    const uint32_t index = table.Find_Or_Add(hash, static_cast<uint32_t>(last + 1),
                                             [&](uint32_t seen) { return Same_Point(optimized[seen], point); });
    if (static_cast<int32_t>(index) > last) {
      optimized[++last] = point;
      if (table.Too_Full(static_cast<size_t>(last) + 1))
        table.Grow(static_cast<size_t>(last) + 1, [&](uint32_t k) { return Hash_Point(optimized[k]); });
    }
    remap[i] = static_cast<int32_t>(index);
  }
  mesh.Nb_Pts_Optimized = last;

  auto reindex = [&](int32_t corner) {
    return corner >= 0 && static_cast<size_t>(corner) < count ? remap[corner] : corner;
  };
  for (int32_t f = 0; f <= mesh.Nb_Faces; ++f) {
    const Face3& face = mesh.Faces_Normal[f];
    mesh.Faces_Optimized[f] = {reindex(face.A), reindex(face.B), reindex(face.C)};
  }
  return true;
}
