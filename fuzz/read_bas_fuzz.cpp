// Read_Bas on any bytes, over a store that an earlier STL load left holding
// a normal mesh: the normal mesh stays as it was whatever the file holds,
// Object_Loaded is set exactly on success, a successful read leaves the
// optimized arrays sized to the counters of the file's count line, a pipe
// reads the same, and the preview reads nothing outside the arrays, even
// with the file's face corners as written.
#include <cstdint>
#include <cstring>

#include "check_preview.h"
#include "check_store.h"
#include "fuzz_file.h"
#include "require.h"

namespace {

MeshStore Earlier_Load() {
  MeshStore store;
  store.Pts_Normal = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {1, 2, 3}, {7, 8, 9}, {0, 0, 1}};
  store.Faces_Normal = {{0, 1, 2}, {3, 4, 5}};
  store.Nb_Pts_Normal = 5;
  store.Nb_Faces = 1;
  store.Pts_Optimized = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {0, 0, 1}, {}, {}};
  store.Nb_Pts_Optimized = 3;
  store.Faces_Optimized = {{0, 1, 2}, {0, 2, 3}};
  Size_Fresh(store.Faces_Visible, 2);
  Size_Fresh(store.Pts_Screen, 6);
  store.Object_Loaded = true;
  return store;
}

template <typename T>
bool Same_Entries(const Flat_Array<T>& a, const Flat_Array<T>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const MeshStore before = Earlier_Load();
  MeshStore store = before;
  const Outcome outcome = Read_Fuzz_Input(store, Input_Kind::Bas, data, size);
  Check_Outcome(store, outcome);
  MeshStore streamed = before;
  Check_Same_Read(store, outcome, streamed, Read_Fuzz_Input(streamed, Input_Kind::Bas, data, size, true), false);
  Require(Same_Entries(store.Pts_Normal, before.Pts_Normal) && Same_Entries(store.Faces_Normal, before.Faces_Normal) &&
              store.Nb_Pts_Normal == before.Nb_Pts_Normal,
          "a BASIC data read leaves the normal mesh alone");
  if (outcome.ok) Check_Bas_Read(store);
  Check_Preview(store, false);
  return 0;
}
