#pragma once
// A property a fuzz target checks: when it does not hold, the target names
// it on standard error and aborts, which the fuzzer reports as a crash and
// keeps the input that caused it.

#include <cstdio>
#include <cstdlib>

inline void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property failed: %s\n", property);
  std::abort();
}
