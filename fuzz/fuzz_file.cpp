#include "fuzz_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "assimp_bridge/read_scene.h"
#include "import/read_off.h"
#include "core/byte_source.h"
#include "import/read_input.h"
#include "require.h"
#include "stream_source.h"

Outcome Read_Fuzz_Input(MeshStore& store, Input_Kind kind, const uint8_t* data, size_t size, bool as_stream) {
  store.File_Input = "fuzz-input";
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (as_stream) {
    Stream_Source stream(bytes);
    return Read_Input(store, kind, stream);
  }
  Memory_Source memory(bytes);
  return Read_Input(store, kind, memory);
}

Outcome Read_Fuzz_Scene(MeshStore& store, const std::string& format, Byte_Source& source, unsigned cpu_seconds) {
  store.File_Input = "fuzz-input." + format;
  // OFF is our own reader's; every other format the library's.
  const Mesh_Reader reader =
      format == "off" ? Mesh_Reader(Read_Off)
                      : [&](Byte_Source& bytes, const std::string& name, Mesh_Arrays& mesh, Progress* progress) {
                          return Read_Scene(bytes, name, mesh, progress, Scene_Input{format, "", 0, cpu_seconds});
                        };
  return Read_Input_With(store, reader, Read_Scope::Normal_And_Optimized, source);
}

namespace {
struct Output_Folder {
  std::string path;
  Output_Folder() {
    // In memory where the system has such a folder: every save syncs its
    // file to the disk, which on a disk costs the fuzzer nine runs in ten.
    std::error_code no_shm;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", no_shm)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "korvane-fuzz-XXXXXX").string();
    Require(mkdtemp(pattern.data()) != nullptr, "a temporary folder can be created");
    path = pattern;
  }
  ~Output_Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};
}  // namespace

const std::string& Fuzz_Output_Folder() {
  static const Output_Folder folder;
  return folder.path;
}

bool Read_Whole_File(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}
