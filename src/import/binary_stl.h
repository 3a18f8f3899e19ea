#pragma once
// Binary STL: an 80-byte header, the facet count N as a little-endian 32-bit
// integer at bytes 80..83, then N records of 50 bytes: the normal, the three
// corners (each three little-endian 32-bit floats) and two attribute bytes.
// The normal and the attribute bytes are not read. An input is a binary STL
// when its size is exactly 84 + 50 N bytes, whatever its first bytes say
// (several CAD tools write "solid" into binary headers): four text bytes at
// 80..83 make N above 150 million, so no text file of a sane size meets the
// rule.

#include <cstdint>
#include <string_view>

#include "core/byte_source.h"
#include "core/mesh_store.h"
#include "core/outcome.h"

constexpr size_t kBinary_Stl_Header = 84;
constexpr size_t kBinary_Stl_Record = 50;

// The facet count of a binary STL header (`head` holds at least 84 bytes).
uint32_t Binary_Stl_Count(std::string_view head);
// The size of a binary STL of `facets` facets: 84 + 50 x facets.
inline uint64_t Binary_Stl_Size(uint32_t facets) { return kBinary_Stl_Header + kBinary_Stl_Record * uint64_t{facets}; }

// Whether `head` holds a byte that text does not: a control character other
// than tab, line feed, vertical tab, form feed and carriage return. A binary
// STL's count has one unless N is above 150 million.
bool Looks_Binary(std::string_view head);

// The most facets one mesh holds: 3 x facets points must fit the counters.
constexpr int64_t kMax_Stl_Facets = (int64_t{INT32_MAX} + 1) / 3;

// Sets the counters of a mesh of `facets` STL facets (ASCII or binary: three
// points each) and sizes the normal mesh's arrays for them, keeping what they
// already hold; the rest is zero. False when memory runs out.
bool Size_Stl_Facets(Mesh_Arrays& mesh, int64_t facets);

// Decodes a binary STL from its first byte on, as its bytes arrive in
// pieces of any size: facet f gives points 3f, 3f+1, 3f+2 of Pts_Normal and
// the face (3f, 3f+1, 3f+2), exactly as an ASCII facet does. Records past the
// header's count are not stored (they make the input no binary STL), and
// neither is anything when the header does not look binary and `any_head` is
// false: a stream then costs nothing. The arrays grow as records arrive, or
// are sized once by Reserve.
class Binary_Stl_Decoder {
 public:
  Binary_Stl_Decoder(Mesh_Arrays& mesh, bool any_head) : mesh_(mesh), any_head_(any_head) {}

  // Sizes the arrays for `facets` facets at once (a file's count, which its
  // size has confirmed). False when memory runs out.
  bool Reserve(uint32_t facets);
  // Takes the next bytes of the input. False when memory ran out (the
  // decoder then stores nothing more).
  bool Feed(const char* bytes, size_t size);

  uint64_t Bytes() const { return bytes_; }
  bool Has_Header() const { return bytes_ >= kBinary_Stl_Header; }
  uint32_t Declared() const { return declared_; }
  bool Head_Looks_Binary() const { return Has_Header() && looks_binary_; }
  // The bytes so far can still become a binary STL that this decoder
  // holds (or would hold, had memory not run out).
  bool Still_Possible() const;
  // The input, `size` bytes in all, is a binary STL.
  bool Is_Binary(uint64_t size) const { return Has_Header() && size == Binary_Stl_Size(declared_); }

  // Ends the read of an input that Is_Binary: the counters and every array
  // of the mesh for the declared facets, and the outcome (two facets or
  // more load; a coordinate that is not finite refuses the file, naming the
  // facet).
  Outcome Finish();

 private:
  bool Store(const char* record);
  bool Room_For(int64_t facet);

  Mesh_Arrays& mesh_;
  bool any_head_;
  char header_[kBinary_Stl_Header] = {};
  char partial_[kBinary_Stl_Record] = {};
  size_t partial_size_ = 0;
  uint64_t bytes_ = 0;
  uint32_t declared_ = 0;
  bool looks_binary_ = false;
  bool storing_ = false;
  bool out_of_memory_ = false;
  int64_t facets_ = 0;      // records stored
  int64_t bad_facet_ = -1;  // the first facet with a coordinate that is not finite
};

// A byte source that hands every byte it reads to a decoder as well: a
// stream read as ASCII lines is decoded as a binary STL in the same pass.
class Binary_Stl_Tee final : public Byte_Source {
 public:
  Binary_Stl_Tee(Byte_Source& source, Binary_Stl_Decoder& decoder) : source_(source), decoder_(decoder) {}
  int64_t Read(char* out, size_t size) override;
  int64_t Size() const override { return source_.Size(); }
  bool Failed() const { return failed_; }

 private:
  Byte_Source& source_;
  Binary_Stl_Decoder& decoder_;
  bool failed_ = false;
};
