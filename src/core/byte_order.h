#pragma once
// Numbers stored as bytes in a file's order, read on a machine of either
// order, in standard C++ alone: one load, and a byte swap where the file's
// order is not the machine's.

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

// The bytes of an unsigned integer in the other order, written with shifts
// that GCC, clang and MSVC recognise as their byte swap instruction.
constexpr uint16_t Reverse_Bytes(uint16_t v) { return static_cast<uint16_t>((v >> 8) | (v << 8)); }
constexpr uint32_t Reverse_Bytes(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0x0000FF00u) | ((v << 8) & 0x00FF0000u) | (v << 24);
}
constexpr uint64_t Reverse_Bytes(uint64_t v) {
  return (uint64_t{Reverse_Bytes(static_cast<uint32_t>(v))} << 32) | Reverse_Bytes(static_cast<uint32_t>(v >> 32));
}

// An unsigned integer of 2, 4 or 8 bytes stored at `bytes` (which need not
// be aligned) in the order `stored`: std::endian::little when the least
// significant byte comes first, std::endian::big when the most significant does.
template <typename Unsigned>
Unsigned Load_Stored(const char* bytes, std::endian stored) {
  static_assert(std::is_unsigned_v<Unsigned>);
  Unsigned value;
  std::memcpy(&value, bytes, sizeof value);
  if (stored != std::endian::native) value = Reverse_Bytes(value);
  return value;
}

// The value of type To whose bytes are those of `from` (a float from its
// bits and back), as std::bit_cast gives it where the library has it.
template <typename To, typename From>
To Bit_Copy(const From& from) {
  static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
                std::is_trivially_copyable_v<From>);
  To to;
  std::memcpy(&to, &from, sizeof to);
  return to;
}
