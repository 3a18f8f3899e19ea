// Read_Ply on any bytes: the store's invariants after every successful read
// (every array sized to its counter, every face corner within the vertices,
// the optimized mesh exactly the merge of the normal mesh), Object_Loaded set
// exactly on success, a failure that says why, and a preview that reads
// nothing outside the arrays whatever the read left.
#include <cstdint>

#include "check_preview.h"
#include "check_store.h"
#include "fuzz_file.h"
#include "import/read_ply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MeshStore store;
  store.Object_Loaded = true;  // as an earlier load left it
  store.File_Input = Fuzz_Input_Path(data, size);
  const Outcome outcome = Read_Ply(store);
  Check_Outcome(store, outcome);
  if (outcome.ok) Check_Mesh_Read(store);
  Check_Preview(store);
  return 0;
}
