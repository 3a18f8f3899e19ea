// Every format of the general mesh library, read as stl2bas reads it: apart,
// within limits (one second of processor time). The first line names the
// format; KORVANE_FUZZ_FORMATS="gltf,glb" keeps a run to some. No signal
// reaches this process, a pipe reads as the file (one input in eight: each
// read forks), a loaded mesh keeps the store's rules; inputs the library
// loops on are copied into KORVANE_FUZZ_SLOW, to keep as hang files.
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>

#include "assimp_bridge/read_scene.h"
#include "check_preview.h"
#include "check_store.h"
#include "fuzz_file.h"
#include "import/read_input.h"
#include "stream_source.h"

// assimp 5.2.5 leaks inside some importers on malformed files.
extern "C" const char* __lsan_default_suppressions() { return "leak:libassimp.so\n"; }

namespace {

bool Ran_Out_Of_Time(const Outcome& outcome) { return outcome.message.find("ran for longer") != std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t line_end = input.find('\n');
  if (line_end == std::string_view::npos || line_end == 0 || line_end > 16) return 0;
  const std::string format(input.substr(0, line_end));
  const char* chosen = std::getenv("KORVANE_FUZZ_FORMATS");
  if (chosen && ("," + std::string(chosen) + ",").find("," + format + ",") == std::string::npos) return 0;
  if (!Reads_Scene_Format(format) || format == "off") return 0;  // OFF is ours: see read_scene_fuzz
  const std::string_view bytes = input.substr(line_end + 1);

  MeshStore store, streamed;
  store.Object_Loaded = streamed.Object_Loaded = true;  // as an earlier load left it
  Memory_Source memory(bytes);
  const Outcome outcome = Read_Fuzz_Scene(store, format, memory, 1);
  Check_Outcome(store, outcome);
  if (outcome.ok) Check_Mesh_Read(store);
  Check_Preview(store, true);
  if (const char* slow = std::getenv("KORVANE_FUZZ_SLOW"); slow && Ran_Out_Of_Time(outcome))
    std::ofstream(std::string(slow) + "/slow-" + std::to_string(std::hash<std::string_view>{}(input)), std::ios::binary)
        << input;
  if (Ran_Out_Of_Time(outcome) || std::hash<std::string_view>{}(input) % 8 != 0) return 0;
  Stream_Source stream(bytes);
  const Outcome piped = Read_Fuzz_Scene(streamed, format, stream, 1);
  if (!Ran_Out_Of_Time(piped)) Check_Same_Read(store, outcome, streamed, piped, true);
  return 0;
}
