// Replaces the global operator new of the test program with one that counts.
// Kept apart from the tests so that no test's own new and delete are seen
// beside these definitions.
#include "allocation_count.h"

#include <cstdlib>
#include <new>

namespace {
thread_local bool counting = false;
thread_local int allocations = 0;
}  // namespace

void Start_Counting_Allocations() {
  allocations = 0;
  counting = true;
}

int Stop_Counting_Allocations() {
  counting = false;
  return allocations;
}

void* operator new(std::size_t size) {
  if (counting) ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
