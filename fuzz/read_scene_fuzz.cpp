// The road of the formats beyond the window's: OBJ through assimp (first
// byte even) and OFF through our own reader (odd), the rest of the input
// being the file. The read ends with an outcome, the same from a pipe as
// from the file, a loaded mesh keeps the store's invariants (every corner
// within its points, every coordinate finite, the optimized mesh exactly the
// merge), and memory stays bounded: the fuzzer's memory limit stops a run
// that a header's counts would blow up. The library runs in a child process,
// so its crashes are outcomes here too.
#include <cstdint>

#include "check_preview.h"
#include "check_store.h"
#include "core/byte_source.h"
#include "fuzz_file.h"
#include "import/read_input.h"
#include "assimp_bridge/read_scene.h"
#include "stream_source.h"

// assimp 5.2.5 leaks a few kilobytes inside its OBJ importer on some
// malformed files (found by this target). stl2bas reads one file per process,
// so that costs nothing; the leak checker passes over the library's own
// allocations and still reports ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libassimp.so\n"; }


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string format = data[0] % 2 == 0 ? "obj" : "off";
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  MeshStore store;
  store.Object_Loaded = true;  // as an earlier load left it
  MeshStore streamed = store;
  Memory_Source memory(bytes);
  Stream_Source stream(bytes);
  const Outcome outcome = Read_Fuzz_Scene(store, format, memory);
  Check_Outcome(store, outcome);
  if (outcome.ok) Check_Mesh_Read(store);
  Check_Same_Read(store, outcome, streamed, Read_Fuzz_Scene(streamed, format, stream), true);
  Check_Preview(store, true);
  return 0;
}
