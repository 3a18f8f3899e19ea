#pragma once
// The fuzz input as the readers get it: from memory, as a file of known size
// or as a pipe, never through the disk. The round trip writes its files to a
// folder of this process's own.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/byte_source.h"
#include "core/mesh_store.h"
#include "core/outcome.h"
#include "import/input_kind.h"

// Reads the bytes as an input of `kind` into `store` (File_Input names it
// "fuzz-input"), from a block of known size, or as a pipe with `as_stream`.
Outcome Read_Fuzz_Input(MeshStore& store, Input_Kind kind, const uint8_t* data, size_t size,
                        bool as_stream = false);

// Reads the bytes as a file of the general mesh library's `format` ("obj"),
// named "fuzz-input.<format>" and without a folder, as stl2bas reads it:
// apart, within the limits its size earns (or `cpu_seconds`, when given).
Outcome Read_Fuzz_Scene(MeshStore& store, const std::string& format, Byte_Source& source, unsigned cpu_seconds = 0);

// A folder of this process's own for files that a target writes, in
// /dev/shm where there is one (removed when the process exits normally).
const std::string& Fuzz_Output_Folder();

// Every byte of a file, or false when it cannot be read.
bool Read_Whole_File(const std::string& path, std::string& bytes);
