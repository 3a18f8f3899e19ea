#include "merge/optimize_points.h"

#include <cstring>

#include "core/platform.h"

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

// Open addressing with linear probing over the optimized points: each slot
// holds an optimized index plus one, 0 marking an empty slot, so a new table
// is fresh zero memory. It starts small and doubles as distinct points
// arrive, so a mesh whose points are shared (an STL repeats each point about
// six times) keeps a table that fits the caches.
class Point_Table {
 public:
  explicit Point_Table(size_t capacity) { Size(capacity); }

  void Prefetch(uint32_t hash) const { ::Prefetch(&slots_[hash & mask_]); }

  // The optimized index of `point`, adding it as optimized point last + 1
  // when it is new.
  int32_t Find_Or_Add(const Point3& point, uint32_t hash, Point3* optimized, int32_t& last) {
    for (size_t slot = hash & mask_;; slot = (slot + 1) & mask_) {
      const uint32_t entry = slots_[slot];
      if (entry == 0) {
        optimized[++last] = point;
        slots_[slot] = static_cast<uint32_t>(last) + 1;
        if (static_cast<size_t>(last) + 1 > limit_) Grow(optimized, last);
        return last;
      }
      if (Same_Point(optimized[entry - 1], point)) return static_cast<int32_t>(entry - 1);
    }
  }

 private:
  void Size(size_t capacity) {
    slots_.Size_Zeroed(capacity);
    mask_ = capacity - 1;
    limit_ = capacity / 10 * 7;  // at most 70% full
  }

  void Grow(const Point3* optimized, int32_t last) {
    Size(2 * (mask_ + 1));
    for (int32_t i = 0; i <= last; ++i) {
      size_t slot = Hash_Point(optimized[i]) & mask_;
      while (slots_[slot] != 0) slot = (slot + 1) & mask_;
      slots_[slot] = static_cast<uint32_t>(i) + 1;
    }
  }

  Flat_Array<uint32_t> slots_;
  size_t mask_ = 0;
  size_t limit_ = 0;
};

}  // namespace

bool Optimize_Points(Mesh_Arrays& mesh, Progress* progress) {
  const int32_t last_point = mesh.Nb_Pts_Normal;
  const size_t count = last_point < 0 ? 0 : static_cast<size_t>(last_point) + 1;

  // Room for a quarter of the points to be distinct before the first growth.
  size_t capacity = 1024;
  while (capacity / 10 * 7 < count / 4) capacity <<= 1;
  Point_Table table(capacity);
  // remap[i]: the optimized index of normal point i.
  Flat_Array<int32_t> remap;
  remap.Size_Zeroed(count);

  // The slot of a point a few places ahead is fetched while this one is
  // looked up: the table is read at random, and a miss to memory costs
  // more than the whole lookup. Hashes wait in a ring until their turn.
  constexpr size_t kAhead = 8;  // a power of two
  const Point3* normal = mesh.Pts_Normal.data();
  Point3* optimized = mesh.Pts_Optimized.data();
  uint32_t hashes[kAhead];
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
    remap[i] = table.Find_Or_Add(normal[i], hash, optimized, last);
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
