#pragma once
// The store's arrays: a fixed number of plain entries in one block, sized
// afresh (never grown or shrunk in place) and zero when sized.
//
// A million-facet mesh needs a hundred megabytes of arrays, and most of the
// cost of such memory is the system supplying its pages, not using them.
// Large blocks therefore come straight from the system, aligned so that
// whole huge pages back them (a few dozen page faults instead of tens of
// thousands), and already zero: nothing is written until an entry is used,
// so an array the current command never touches costs no time and no
// resident memory. Small blocks come from calloc. The blocks are the
// platform file's (Acquire_Zeroed).

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <new>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/platform.h"

template <typename T>
class Flat_Array {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                "entries are plain values whose zero bytes are a valid zero entry");

 public:
  Flat_Array() = default;
  Flat_Array(std::initializer_list<T> entries) : Flat_Array(std::span<const T>(entries.begin(), entries.size())) {}
  explicit Flat_Array(std::span<const T> entries) {
    Size_Zeroed(entries.size());
    if (!entries.empty()) std::memcpy(data_, entries.data(), entries.size() * sizeof(T));
  }
  Flat_Array(const std::vector<T>& entries) : Flat_Array(std::span<const T>(entries)) {}
  Flat_Array(const Flat_Array& other) : Flat_Array(std::span<const T>(other.data_, other.size_)) {}
  Flat_Array(Flat_Array&& other) noexcept { Swap(other); }
  Flat_Array& operator=(Flat_Array other) noexcept {
    Swap(other);
    return *this;
  }
  ~Flat_Array() { Release_Zeroed(data_, reserved_); }

  // Discards every entry and holds `count` zero entries in a new block.
  // Throws std::bad_alloc when memory runs out (the array is then empty).
  void Size_Zeroed(size_t count) {
    Flat_Array().Swap(*this);
    if (count == 0) return;
    if (count > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    data_ = static_cast<T*>(Acquire_Zeroed(count * sizeof(T), reserved_));
    size_ = capacity_ = count;
  }

  // Keeps the first `count` entries; entries beyond the old size are zero.
  // Within the block this costs nothing: dropped entries are cleared (and
  // whole pages beyond the kept ones handed back), so the block beyond
  // size() is always zero. Growing beyond the block moves the entries to a
  // new one. Throws std::bad_alloc when memory runs out (nothing changes).
  void Resize(size_t count) {
    if (count > capacity_) {
      Flat_Array larger;
      larger.Size_Zeroed(count);
      if (size_ > 0) std::memcpy(larger.data_, data_, size_ * sizeof(T));
      Swap(larger);
      return;
    }
    if (count < size_) {
      size_t held = Trim_Zeroed(data_, reserved_, count * sizeof(T));
      if (held > 0) capacity_ = held / sizeof(T);
      const size_t clear_to = std::min(size_, capacity_);
      if (clear_to > count) std::memset(static_cast<void*>(data_ + count), 0, (clear_to - count) * sizeof(T));
    }
    size_ = count;
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T& operator[](size_t index) { return data_[index]; }
  const T& operator[](size_t index) const { return data_[index]; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }
  operator std::span<const T>() const { return {data_, size_}; }

 private:
  void Swap(Flat_Array& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(reserved_, other.reserved_);
    std::swap(capacity_, other.capacity_);
  }

  T* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;  // entries the block holds
  size_t reserved_ = 0;
};
