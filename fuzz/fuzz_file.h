#pragma once
// The fuzz input as the readers get it: from memory, as a file of known size
// or as a pipe, never through the disk. The round trip writes its files to a
// folder of this process's own.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/mesh_store.h"
#include "core/outcome.h"
#include "import/input_kind.h"

// Reads the bytes as an input of `kind` into `store` (File_Input names it
// "fuzz-input"), from a block of known size, or as a pipe with `as_stream`.
Outcome Read_Fuzz_Input(MeshStore& store, Input_Kind kind, const uint8_t* data, size_t size,
                        bool as_stream = false);

// A folder of this process's own for files that a target writes, in
// /dev/shm where there is one (removed when the process exits normally).
const std::string& Fuzz_Output_Folder();

// Every byte of a file, or false when it cannot be read.
bool Read_Whole_File(const std::string& path, std::string& bytes);
