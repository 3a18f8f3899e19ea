#pragma once
// Which reader an input gets. By default its name decides: the last three
// letters "STL", "PLY" or "BAS" (any case) choose our own readers, as the
// window's open buttons do; any other extension that the general mesh
// library reads ("obj", "off", "3mf", "gltf", "glb", "dae", "3ds", "fbx",
// ...) chooses that library. --from names the kind instead, and is required
// for "-" (standard input), which has no name to go by.

#include <cstdint>
#include <string>

#include <CLI/CLI.hpp>

#include "core/mesh_store.h"
#include "core/outcome.h"
#include "import/input_kind.h"

struct Input_Choice {
  Input_Kind kind = Input_Kind::Unsupported;
  // A format of the general mesh library ("obj"); empty for our own kinds.
  std::string scene_format;
  // The memory the library may take for the input (--memory); 0: as its size allows.
  uint64_t memory_limit = 0;

  bool Chosen() const { return kind != Input_Kind::Unsupported || !scene_format.empty(); }
  // "stl", "ply", "bas", or the library's format.
  std::string Name() const;
};

// Registers --from on the command.
void Add_From_Option(CLI::App& command, std::string& from);

// The kind of `input`; not Chosen after printing why on standard error (a
// usage error).
Input_Choice Choose_Input(const std::string& input, const std::string& from);

// Reads File_Input as the choice says (our reader, or the library's, which
// finds the files an input names beside it).
Outcome Read_Chosen_Input(MeshStore& store, const Input_Choice& choice);
