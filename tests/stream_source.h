#pragma once
// A byte source for tests and fuzz targets that behaves as a pipe does.

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "core/byte_source.h"

// A block of memory read as a pipe is: its size unknown in advance, and its
// bytes arriving a few at a time (1 to 4096, varying), so that reads end
// anywhere within a line.
class Stream_Source final : public Byte_Source {
 public:
  explicit Stream_Source(std::string_view bytes) : bytes_(bytes) {}
  int64_t Read(char* out, size_t size) override {
    piece_ = piece_ * 1103515245u + 12345u;
    const size_t count = std::min({size, bytes_.size() - at_, size_t{1} + (piece_ >> 8) % 4096});
    std::copy_n(bytes_.data() + at_, count, out);
    at_ += count;
    return static_cast<int64_t>(count);
  }
  int64_t Size() const override { return -1; }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
  uint32_t piece_ = 1;
};
