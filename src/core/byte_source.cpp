#include "core/byte_source.h"

#include <algorithm>
#include <cstring>

int64_t Memory_Source::Read(char* out, size_t size) {
  const size_t count = std::min(size, bytes_.size() - at_);
  if (count > 0) std::memcpy(out, bytes_.data() + at_, count);
  at_ += count;
  return static_cast<int64_t>(count);
}
