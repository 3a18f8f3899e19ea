// The store's arrays: sized afresh as zeros, resized keeping their entries,
// and zero again wherever an entry was dropped and then brought back.
#include <cstdint>
#include <numeric>

#include <gtest/gtest.h>

#include "core/flat_array.h"

namespace {

// True when entries from..to-1 are all zero.
bool Zero_From(const Flat_Array<int32_t>& array, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (array[i] != 0) return false;
  return true;
}

TEST(FlatArray, ResizeKeepsEntriesAndBringsBackZeros) {
  // Small blocks come from the heap, large ones in whole huge pages: both
  // kinds, shrunk within the block, grown within it and grown beyond it.
  for (size_t count : {size_t{10}, size_t{3} << 20}) {
    SCOPED_TRACE(count);
    Flat_Array<int32_t> array;
    array.Size_Zeroed(count);
    ASSERT_EQ(array.size(), count);
    EXPECT_TRUE(Zero_From(array, 0, count));
    std::iota(array.begin(), array.end(), 1);

    const size_t kept = count / 5;
    array.Resize(kept);
    ASSERT_EQ(array.size(), kept);
    array.Resize(count / 2);  // within what the block held
    EXPECT_EQ(array[kept - 1], static_cast<int32_t>(kept));
    EXPECT_TRUE(Zero_From(array, kept, count / 2));

    array.Resize(2 * count);  // beyond the block: a new one
    ASSERT_EQ(array.size(), 2 * count);
    EXPECT_EQ(array[0], 1);
    EXPECT_EQ(array[kept - 1], static_cast<int32_t>(kept));
    EXPECT_TRUE(Zero_From(array, kept, 2 * count));

    array.Resize(0);
    EXPECT_TRUE(array.empty());
    array.Resize(3);
    EXPECT_TRUE(Zero_From(array, 0, 3));
  }
}

TEST(FlatArray, CopiesAreIndependentAndSizingAfreshClears) {
  Flat_Array<int32_t> original = {4, 5, 6};
  Flat_Array<int32_t> copy = original;
  copy[0] = 9;
  EXPECT_EQ(original[0], 4);
  Flat_Array<int32_t> moved = std::move(copy);
  EXPECT_EQ(moved.size(), 3u);
  EXPECT_EQ(moved[0], 9);
  moved.Size_Zeroed(5);
  EXPECT_TRUE(Zero_From(moved, 0, 5));
}

}  // namespace
