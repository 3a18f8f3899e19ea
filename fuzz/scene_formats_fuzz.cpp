// Every format of the general mesh library, read as stl2bas reads it: in a
// child process, within the limits the input's size earns. The input's first
// line names the format by its extension ("gltf", "smd", ...); the rest is
// the file. KORVANE_FUZZ_FORMATS (a comma-separated list of extensions)
// keeps a run to one family of formats, passing over inputs of any other.
//
// Whatever the file, this process gets no signal (a crash of the library is
// the child's), no read runs past its limits (the fuzzer's -timeout, set
// above them, stops one that does), the outcome is the same from a pipe as
// from the file (checked on one input in eight), and a loaded mesh keeps the store's invariants. An input on
// which the library runs out of time is copied into KORVANE_FUZZ_SLOW, when
// that names a folder, to keep as a hang file.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "assimp_bridge/read_scene.h"
#include "check_preview.h"
#include "check_store.h"
#include "core/byte_source.h"
#include "import/read_input.h"
#include "stream_source.h"

// assimp 5.2.5 leaks inside some of its importers on malformed files; the
// child that reads them ends at once, and the leak checker passes over the
// library's own allocations and still reports ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libassimp.so\n"; }

namespace {

const std::set<std::string>& Formats_Fuzzed() {
  static const std::set<std::string> formats = [] {
    std::set<std::string> chosen;
    const char* list = std::getenv("KORVANE_FUZZ_FORMATS");
    std::string_view rest = list ? list : "";
    while (!rest.empty()) {
      const size_t comma = rest.find(',');
      chosen.emplace(rest.substr(0, comma));
      rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
    }
    return chosen;
  }();
  return formats;
}

Outcome Read(MeshStore& store, const std::string& format, Byte_Source& source) {
  store.File_Input = "fuzz-input." + format;
  const Mesh_Reader reader = [&format](Byte_Source& bytes, const std::string& name, Mesh_Arrays& mesh,
                                       Progress* progress) {
    // A second of processor time, not the three a small file gets: mutated
    // files on which the library loops are common, and each costs its limit.
    return Read_Scene(bytes, name, mesh, progress, Scene_Input{format, "", 0, 1});
  };
  return Read_Input_With(store, reader, Read_Scope::Normal_And_Optimized, source);
}

bool Ran_Out_Of_Time(const Outcome& outcome) { return outcome.message.find("ran for longer") != std::string::npos; }

void Keep_Slow_Input(const uint8_t* data, size_t size) {
  const char* folder = std::getenv("KORVANE_FUZZ_SLOW");
  if (!folder) return;
  const std::string path = std::string(folder) + "/slow-" + std::to_string(std::hash<std::string_view>{}(
                               std::string_view(reinterpret_cast<const char*>(data), size)));
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t line_end = input.find('\n');
  if (line_end == std::string_view::npos || line_end == 0 || line_end > 16) return 0;
  const std::string format(input.substr(0, line_end));
  if (!Reads_Scene_Format(format) || format == "off") return 0;  // OFF is ours: see read_scene_fuzz
  if (!Formats_Fuzzed().empty() && !Formats_Fuzzed().count(format)) return 0;
  const std::string_view bytes = input.substr(line_end + 1);

  MeshStore store;
  store.Object_Loaded = true;  // as an earlier load left it
  MeshStore streamed = store;
  Memory_Source memory(bytes);
  const Outcome outcome = Read(store, format, memory);
  Check_Outcome(store, outcome);
  if (outcome.ok) Check_Mesh_Read(store);
  Check_Preview(store, true);
  if (Ran_Out_Of_Time(outcome)) {
    Keep_Slow_Input(data, size);
    return 0;  // a second read would only wait as long again
  }
  // Each read forks a child, which costs this sanitized process more than
  // most reads: one input in eight is read as a pipe too (the road from a
  // pipe is the same for every format, and read_scene_fuzz takes it always).
  if (std::hash<std::string_view>{}(input) % 8 != 0) return 0;
  Stream_Source stream(bytes);
  const Outcome piped = Read(streamed, format, stream);
  // Processor time is measured, not counted: a read near its limit may end
  // either way.
  if (!Ran_Out_Of_Time(piped)) Check_Same_Read(store, outcome, streamed, piped, true);
  return 0;
}
