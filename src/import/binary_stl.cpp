#include "import/binary_stl.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "core/byte_order.h"

namespace {

bool Finite_Bits(uint32_t bits) { return (bits & 0x7f800000u) != 0x7f800000u; }

constexpr size_t kFirst_Room = 1024;

}  // namespace

uint32_t Binary_Stl_Count(std::string_view head) {
  return Load_Stored<uint32_t>(head.data() + 80, std::endian::little);
}

bool Looks_Binary(std::string_view head) {
  for (char c : head) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u < 0x20 && (u < '\t' || u > '\r')) || u == 0x7f) return true;
  }
  return false;
}

bool Binary_Stl_Decoder::Reserve(uint32_t facets) {
  try {
    Size_Fresh(mesh_.Faces_Normal, facets);
    Size_Fresh(mesh_.Pts_Normal, size_t{3} * facets);
    return true;
  } catch (const std::bad_alloc&) {
    Size_Fresh(mesh_.Faces_Normal, 0);
    Size_Fresh(mesh_.Pts_Normal, 0);
    out_of_memory_ = true;
    return false;
  }
}

bool Binary_Stl_Decoder::Still_Possible() const {
  if (!Has_Header()) return true;
  return storing_ && bytes_ <= Binary_Stl_Size(declared_);
}

bool Binary_Stl_Decoder::Room_For(int64_t facet) {
  if (static_cast<size_t>(facet) < mesh_.Faces_Normal.size()) return true;
  // A stream's records grow the arrays as they arrive, never beyond the
  // header's count.
  const size_t room = static_cast<size_t>(std::min<int64_t>(
      std::max<size_t>(kFirst_Room, 2 * mesh_.Faces_Normal.size()), std::min<int64_t>(declared_, kMax_Stl_Facets)));
  try {
    mesh_.Faces_Normal.Resize(room);
    mesh_.Pts_Normal.Resize(3 * room);
    return true;
  } catch (const std::bad_alloc&) {
    out_of_memory_ = true;
    return false;
  }
}

bool Binary_Stl_Decoder::Store(const char* record) {
  const int64_t f = facets_;
  if (f >= declared_ || f >= kMax_Stl_Facets) return false;
  if (!Room_For(f)) return false;
  uint32_t bits[9];
  for (int k = 0; k < 9; ++k) bits[k] = Load_Stored<uint32_t>(record + 12 + 4 * k, std::endian::little);
  if (bad_facet_ < 0)
    for (uint32_t b : bits)
      if (!Finite_Bits(b)) {
        bad_facet_ = f;
        break;
      }
  static_assert(sizeof(Point3) == 12, "a point is three packed floats, as a record holds them");
  std::memcpy(&mesh_.Pts_Normal[static_cast<size_t>(3 * f)], bits, sizeof bits);
  const int32_t first = static_cast<int32_t>(3 * f);
  mesh_.Faces_Normal[static_cast<size_t>(f)] = {first, first + 1, first + 2};
  ++facets_;
  return true;
}

bool Binary_Stl_Decoder::Feed(const char* bytes, size_t size) {
  const char* end = bytes + size;
  while (bytes_ < kBinary_Stl_Header && bytes != end) {
    header_[bytes_++] = *bytes++;
    if (bytes_ == kBinary_Stl_Header) {
      declared_ = Binary_Stl_Count(std::string_view(header_, kBinary_Stl_Header));
      looks_binary_ = Looks_Binary(std::string_view(header_, kBinary_Stl_Header));
      storing_ = any_head_ || looks_binary_;
    }
  }
  if (bytes == end) return !out_of_memory_;
  const uint64_t before = bytes_;
  bytes_ += static_cast<uint64_t>(end - bytes);
  if (!storing_ || out_of_memory_) return !out_of_memory_;
  // Records past the declared count are no part of a binary STL.
  if (before > Binary_Stl_Size(declared_)) {
    storing_ = false;
    return true;
  }
  if (partial_size_ > 0) {
    const size_t take = std::min(kBinary_Stl_Record - partial_size_, static_cast<size_t>(end - bytes));
    std::memcpy(partial_ + partial_size_, bytes, take);
    partial_size_ += take;
    bytes += take;
    if (partial_size_ < kBinary_Stl_Record) return true;
    partial_size_ = 0;
    if (!Store(partial_)) return !out_of_memory_;
  }
  while (end - bytes >= static_cast<ptrdiff_t>(kBinary_Stl_Record)) {
    if (!Store(bytes)) return !out_of_memory_;
    bytes += kBinary_Stl_Record;
  }
  partial_size_ = static_cast<size_t>(end - bytes);
  std::memcpy(partial_, bytes, partial_size_);
  return true;
}

bool Size_Stl_Facets(Mesh_Arrays& mesh, int64_t facets) {
  mesh.Nb_Faces = static_cast<int32_t>(facets - 1);
  mesh.Nb_Pts_Normal = static_cast<int32_t>(3 * facets - 1);
  try {
    mesh.Faces_Normal.Resize(static_cast<size_t>(facets));
    mesh.Pts_Normal.Resize(static_cast<size_t>(3 * facets));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

Outcome Binary_Stl_Decoder::Finish() {
  const int64_t facets = declared_;
  if (facets > kMax_Stl_Facets)
    return Outcome::Failure("Too many facets for one mesh: more than " + std::to_string(kMax_Stl_Facets));
  auto no_memory = [&] { return Outcome::Failure("Not enough memory for " + std::to_string(facets) + " facets"); };
  if (out_of_memory_) return no_memory();
  if (!Size_Stl_Facets(mesh_, facets)) return no_memory();
  if (bad_facet_ >= 0)
    return Outcome::Failure("Facet " + std::to_string(bad_facet_) +
                            " of the binary STL has a coordinate that is not a finite number");
  if (facets >= 2) return Outcome::Success();
  if (facets == 0) return Outcome::Silent("The binary STL holds no facet: a mesh needs at least two");
  return Outcome::Silent("Only one facet read: a mesh needs at least two");
}

int64_t Binary_Stl_Tee::Read(char* out, size_t size) {
  const int64_t got = source_.Read(out, size);
  if (got > 0)
    decoder_.Feed(out, static_cast<size_t>(got));
  else if (got < 0)
    failed_ = true;
  return got;
}
