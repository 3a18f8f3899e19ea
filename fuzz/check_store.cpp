#include "check_store.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>

#include "require.h"

namespace {

bool Sized_To(size_t size, int32_t last_index) { return last_index >= -1 && size == size_t(int64_t{last_index} + 1); }

bool Within(int32_t corner, int32_t last_index) { return corner >= 0 && corner <= last_index; }

bool Finite(const Point3& p) { return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z); }

uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

bool Same_Bits(const Point3& a, const Point3& b) {
  return Bits(a.X) == Bits(b.X) && Bits(a.Y) == Bits(b.Y) && Bits(a.Z) == Bits(b.Z);
}

// Equal points have equal keys: 0.0 and -0.0 are equal values.
std::array<uint32_t, 3> Key(const Point3& p) {
  auto canonical = [](float v) { return v == 0.0f ? 0u : Bits(v); };
  return {canonical(p.X), canonical(p.Y), canonical(p.Z)};
}

}  // namespace

void Check_Outcome(const MeshStore& store, const Outcome& outcome) {
  Require(store.Object_Loaded == outcome.ok, "Object_Loaded is set exactly when the read succeeds");
  Require(outcome.ok == outcome.message.empty(), "a failure has a message and a success none");
}

void Check_Mesh_Read(const MeshStore& s) {
  Require(Sized_To(s.Pts_Normal.size(), s.Nb_Pts_Normal), "Pts_Normal is sized to Nb_Pts_Normal");
  Require(Sized_To(s.Pts_Optimized.size(), s.Nb_Pts_Normal), "Pts_Optimized is sized to Nb_Pts_Normal");
  Require(Sized_To(s.Pts_Screen.size(), s.Nb_Pts_Normal), "Pts_Screen is sized to Nb_Pts_Normal");
  Require(Sized_To(s.Faces_Normal.size(), s.Nb_Faces), "Faces_Normal is sized to Nb_Faces");
  Require(Sized_To(s.Faces_Optimized.size(), s.Nb_Faces), "Faces_Optimized is sized to Nb_Faces");
  Require(Sized_To(s.Faces_Visible.size(), s.Nb_Faces), "Faces_Visible is sized to Nb_Faces");
  Require(s.Nb_Faces >= 1 && s.Nb_Pts_Normal >= 1, "a loaded mesh has at least two faces and two points");
  Require(s.Nb_Pts_Optimized >= 0 && s.Nb_Pts_Optimized <= s.Nb_Pts_Normal,
          "0 <= Nb_Pts_Optimized <= Nb_Pts_Normal");

  for (int32_t i = 0; i <= s.Nb_Pts_Normal; ++i) Require(Finite(s.Pts_Normal[i]), "every coordinate is finite");

  // The merge, done again the plain way.
  std::map<std::array<uint32_t, 3>, int32_t> merged;
  std::vector<int32_t> merged_index(s.Pts_Normal.size());
  int32_t last = -1;
  for (int32_t i = 0; i <= s.Nb_Pts_Normal; ++i) {
    auto [at, added] = merged.try_emplace(Key(s.Pts_Normal[i]), last + 1);
    if (added) {
      ++last;
      Require(last <= s.Nb_Pts_Optimized && Same_Bits(s.Pts_Optimized[last], s.Pts_Normal[i]),
              "each distinct point is merged once, in order of first occurrence, bit for bit");
    }
    merged_index[i] = at->second;
  }
  Require(last == s.Nb_Pts_Optimized, "Nb_Pts_Optimized counts the distinct points");
  for (size_t i = size_t(last + 1); i < s.Pts_Optimized.size(); ++i)
    Require(Same_Bits(s.Pts_Optimized[i], Point3{}), "entries past Nb_Pts_Optimized stay zero");

  for (int32_t f = 0; f <= s.Nb_Faces; ++f) {
    const Face3& normal = s.Faces_Normal[f];
    const Face3& optimized = s.Faces_Optimized[f];
    const int32_t normal_corners[3] = {normal.A, normal.B, normal.C};
    const int32_t optimized_corners[3] = {optimized.A, optimized.B, optimized.C};
    for (int k = 0; k < 3; ++k) {
      Require(Within(normal_corners[k], s.Nb_Pts_Normal), "every corner of Faces_Normal lies in Pts_Normal");
      Require(Within(optimized_corners[k], s.Nb_Pts_Optimized),
              "every corner of Faces_Optimized lies in Pts_Optimized");
      Require(optimized_corners[k] == merged_index[normal_corners[k]],
              "each optimized corner names the merged point of its normal corner");
    }
  }
}

void Check_Bas_Read(const MeshStore& s) {
  Require(s.Nb_Faces >= -1 && s.Nb_Pts_Optimized >= -1, "the counters are at least -1");
  Require(s.Nb_Faces >= 1 || s.Nb_Pts_Optimized >= 1, "a loaded file has more than one face or point");
  Require(Sized_To(s.Pts_Optimized.size(), s.Nb_Pts_Optimized), "Pts_Optimized is sized to Nb_Pts_Optimized");
  Require(Sized_To(s.Pts_Screen.size(), s.Nb_Pts_Optimized), "Pts_Screen is sized to Nb_Pts_Optimized");
  Require(Sized_To(s.Faces_Optimized.size(), s.Nb_Faces), "Faces_Optimized is sized to Nb_Faces");
  Require(Sized_To(s.Faces_Visible.size(), s.Nb_Faces), "Faces_Visible is sized to Nb_Faces");
  for (int32_t i = 0; i <= s.Nb_Pts_Optimized; ++i)
    Require(Finite(s.Pts_Optimized[i]), "every coordinate is finite");
}

bool Refused_For_Its_Size(const Outcome& outcome) {
  return !outcome.ok && outcome.message.find(", but the file has only ") != std::string::npos;
}

namespace {
template <typename T>
bool Same_Prefix(const Flat_Array<T>& a, const Flat_Array<T>& b, int32_t last) {
  if (last < 0) return true;
  const size_t count = static_cast<size_t>(last) + 1;
  return a.size() >= count && b.size() >= count && std::memcmp(a.data(), b.data(), count * sizeof(T)) == 0;
}
}  // namespace

void Check_Same_Read(const MeshStore& file, const Outcome& from_file, const MeshStore& stream,
                     const Outcome& from_stream, bool normal) {
  if (Refused_For_Its_Size(from_file)) {
    Require(!from_stream.ok && !stream.Object_Loaded, "a pipe holding less than it declares is refused");
    return;
  }
  if (from_file.ok != from_stream.ok || from_file.message != from_stream.message)
    std::fprintf(stderr, "file: %s\npipe: %s\n", from_file.ok ? "read" : from_file.message.c_str(),
                 from_stream.ok ? "read" : from_stream.message.c_str());
  Require(from_file.ok == from_stream.ok && from_file.message == from_stream.message &&
              from_file.shown == from_stream.shown,
          "a pipe reads with the outcome of its file");
  Require(file.Object_Loaded == stream.Object_Loaded && file.Nb_Faces == stream.Nb_Faces &&
              file.Nb_Pts_Optimized == stream.Nb_Pts_Optimized && file.Nb_Pts_Normal == stream.Nb_Pts_Normal,
          "a pipe leaves the counters of its file");
  if (!file.Object_Loaded) return;
  Require(Same_Prefix(file.Pts_Optimized, stream.Pts_Optimized, file.Nb_Pts_Optimized) &&
              Same_Prefix(file.Faces_Optimized, stream.Faces_Optimized, file.Nb_Faces),
          "a pipe gives the optimized mesh of its file");
  Require(!normal || (Same_Prefix(file.Pts_Normal, stream.Pts_Normal, file.Nb_Pts_Normal) &&
                      Same_Prefix(file.Faces_Normal, stream.Faces_Normal, file.Nb_Faces)),
          "a pipe gives the normal mesh of its file");
}
