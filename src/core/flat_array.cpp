#include "core/flat_array.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace {
constexpr size_t kHuge_Page = size_t{2} << 20;
// From an eighth of a huge page up, one huge page costs less than the small
// pages it replaces: each page fault costs far more than clearing memory.
constexpr size_t kLarge_Block = kHuge_Page / 8;
}  // namespace

void* Acquire_Zeroed(size_t bytes, size_t& reserved) {
  if (bytes < kLarge_Block) {
    void* block = std::calloc(bytes, 1);
    if (!block) throw std::bad_alloc();
    reserved = 0;
    return block;
  }
  // Whole huge pages, starting on a huge-page boundary: map one page more
  // than needed and hand back the unaligned ends.
  if (bytes > SIZE_MAX - 2 * kHuge_Page) throw std::bad_alloc();
  const size_t length = (bytes + kHuge_Page - 1) & ~(kHuge_Page - 1);
  // Not counted against the system's commit limit: a reader may reserve far
  // more than it will write (see Flat_Array::Resize).
  void* mapped = ::mmap(nullptr, length + kHuge_Page, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t start = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = (start + kHuge_Page - 1) & ~(kHuge_Page - 1);
  if (aligned > start) ::munmap(mapped, aligned - start);
  const size_t tail = kHuge_Page - (aligned - start);
  if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + length), tail);
  ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);  // a hint; fine if refused
  reserved = length;
  return reinterpret_cast<void*>(aligned);
}

void Release_Zeroed(void* block, size_t reserved) {
  if (!block) return;
  if (reserved == 0)
    std::free(block);
  else
    ::munmap(block, reserved);
}

size_t Trim_Zeroed(void* block, size_t& reserved, size_t keep) {
  if (!block || reserved == 0) return 0;
  const size_t length = std::max((keep + kHuge_Page - 1) & ~(kHuge_Page - 1), kHuge_Page);
  if (length >= reserved) return reserved;
  ::munmap(static_cast<char*>(block) + length, reserved - length);
  reserved = length;
  return length;
}
