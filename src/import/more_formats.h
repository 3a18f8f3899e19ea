#pragma once
// Formats a program reads beyond our own readers' (stl2bas adds those of the
// general mesh library, src/assimp_bridge). A program without any leaves
// both functions empty.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "import/read_input.h"

struct More_Formats {
  // Whether a format, named by its usual extension in lower case, is read.
  std::function<bool(std::string_view format)> reads;
  // The reader of a format; the files an input names (an OBJ's materials, a
  // glTF's buffers) are looked for in `folder` ("" for none), and reading
  // may take `memory_limit` bytes (0: as the input's size allows).
  std::function<Mesh_Reader(const std::string& format, const std::string& folder, uint64_t memory_limit)> reader;
};
