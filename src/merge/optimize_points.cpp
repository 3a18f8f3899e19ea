#include "merge/optimize_points.h"

#include <cstring>

namespace {

uint32_t Canonical_Bits(float value) {
  if (value == 0.0f) return 0;  // -0.0 hashes as 0.0, since they are equal
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

uint32_t Hash_Point(const Point3& p) {
  uint64_t h = Canonical_Bits(p.X) * 0x9E3779B97F4A7C15ull;
  h ^= Canonical_Bits(p.Y) * 0xC2B2AE3D27D4EB4Full;
  h ^= Canonical_Bits(p.Z) * 0x165667B19E3779F9ull;
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 32;
  return static_cast<uint32_t>(h);
}

bool Same_Point(const Point3& a, const Point3& b) { return a.X == b.X && a.Y == b.Y && a.Z == b.Z; }

}  // namespace

bool Optimize_Points(MeshStore& store, Progress* progress) {
  const int32_t last_point = store.Nb_Pts_Normal;
  const size_t count = last_point < 0 ? 0 : static_cast<size_t>(last_point) + 1;

  // Table of optimized indices plus one (0: an empty slot, so the table
  // starts as fresh zero memory); capacity a power of two at or above 1.25 n.
  size_t capacity = 1;
  while (capacity < count + count / 4) capacity <<= 1;
  Flat_Array<uint32_t> table;
  table.Size_Zeroed(capacity);
  const size_t mask = capacity - 1;
  // remap[i]: the optimized index of normal point i.
  Flat_Array<int32_t> remap;
  remap.Size_Zeroed(count);

  const Point3* normal = store.Pts_Normal.data();
  Point3* optimized = store.Pts_Optimized.data();
  int32_t last = -1;
  for (size_t i = 0; i < count; ++i) {
    if (progress && (i & 0xFFFFF) == 0xFFFFF &&
        !progress->Update("Merging points", 80 + static_cast<int>(i * 15 / count)))
      return false;
    const Point3& point = normal[i];
    size_t slot = Hash_Point(point) & mask;
    for (;;) {
      const uint32_t entry = table[slot];
      if (entry == 0) {
        optimized[++last] = point;
        table[slot] = static_cast<uint32_t>(last) + 1;
        remap[i] = last;
        break;
      }
      const uint32_t held = entry - 1;
      if (Same_Point(optimized[held], point)) {
        remap[i] = static_cast<int32_t>(held);
        break;
      }
      slot = (slot + 1) & mask;
    }
  }
  store.Nb_Pts_Optimized = last;

  auto reindex = [&](int32_t corner) {
    return corner >= 0 && static_cast<size_t>(corner) < count ? remap[corner] : corner;
  };
  for (int32_t f = 0; f <= store.Nb_Faces; ++f) {
    const Face3& face = store.Faces_Normal[f];
    store.Faces_Optimized[f] = {reindex(face.A), reindex(face.B), reindex(face.C)};
  }
  return true;
}
