#pragma once
// Finding equal entries in linear time: an open-addressing table (linear
// probing) of indices into an array the caller owns, not copies of its
// entries. Each slot holds an index plus one, 0 marking an empty slot, so a
// new table is fresh zero memory. Entries added get the indices the caller
// hands out (the next free one), so the distinct entries keep the order of
// their first occurrence. Point merging keys points by their coordinates,
// the tidy step by the text the file will hold.

#include <cstddef>
#include <cstdint>

#include "core/flat_array.h"
#include "core/platform.h"

// Mixes three 64-bit keys into one hash (odd multipliers, then xor-shifts
// that bring the high bits down to the slot bits).
inline uint64_t Hash_Three(uint64_t a, uint64_t b, uint64_t c) {
  uint64_t h = a * 0x9E3779B97F4A7C15ull;
  h ^= b * 0xC2B2AE3D27D4EB4Full;
  h ^= c * 0x165667B19E3779F9ull;
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  return h ^ (h >> 32);
}

class Index_Table {
 public:
  // Room for `capacity` slots, a power of two.
  explicit Index_Table(size_t capacity) { Size(capacity); }

  // Fetches the slot of `hash` into the cache ahead of its lookup: the table
  // is read at random, and a miss to memory costs more than the lookup.
  void Prefetch(uint64_t hash) const { ::Prefetch(&slots_[hash & mask_]); }

  // The index of the entry `same` finds equal among those of this hash's
  // probe run, or, when there is none, `next`, which the table then holds.
  template <typename Same>
  uint32_t Find_Or_Add(uint64_t hash, uint32_t next, Same same) {
    for (size_t slot = hash & mask_;; slot = (slot + 1) & mask_) {
      const uint32_t entry = slots_[slot];
      if (entry == 0) {
        slots_[slot] = next + 1;
        return next;
      }
      if (same(entry - 1)) return entry - 1;
    }
  }

  // Whether `count` entries fill the table past 70%, when lookups slow down.
  bool Too_Full(size_t count) const { return count > limit_; }

  // Doubles the table and enters indices 0..count-1 again, each under
  // hash_of(index).
  template <typename Hash_Of>
  void Grow(size_t count, Hash_Of hash_of) {
    Size(2 * (mask_ + 1));
    for (size_t i = 0; i < count; ++i) {
      size_t slot = hash_of(static_cast<uint32_t>(i)) & mask_;
      while (slots_[slot] != 0) slot = (slot + 1) & mask_;
      slots_[slot] = static_cast<uint32_t>(i) + 1;
    }
  }

 private:
  void Size(size_t capacity) {
    slots_.Size_Zeroed(capacity);
    mask_ = capacity - 1;
    limit_ = capacity / 10 * 7;
  }

  Flat_Array<uint32_t> slots_;
  size_t mask_ = 0;
  size_t limit_ = 0;
};
