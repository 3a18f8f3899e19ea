// Read_Ply on any bytes: the store's invariants after every successful read
// (every array sized to its counter, every face corner within the vertices,
// the optimized mesh exactly the merge of the normal mesh), Object_Loaded set
// exactly on success, a failure that says why, the same read from a pipe,
// and a preview that reads nothing outside the arrays.
#include <cstdint>

#include "check_preview.h"
#include "check_store.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MeshStore store;
  store.Object_Loaded = true;  // as an earlier load left it
  MeshStore streamed = store;
  const Outcome outcome = Read_Fuzz_Input(store, Input_Kind::Ply, data, size);
  Check_Outcome(store, outcome);
  if (outcome.ok) Check_Mesh_Read(store);
  Check_Same_Read(store, outcome, streamed, Read_Fuzz_Input(streamed, Input_Kind::Ply, data, size, true), true);
  Check_Preview(store, true);
  return 0;
}
