#pragma once
// What the library gets of an input, and what it may take to read it. The
// library reads a whole file at once, so the bytes are held in memory: they
// are checked as they arrive, and no more of them is kept than the reading
// could ever be given the memory for. Its loaders size arrays from counts
// they do not check and some loop for minutes on a few hundred bytes (found
// by fuzzing), so the reading runs apart (core/platform.h, Run_Isolated)
// within limits that follow what a mesh of the input could need.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/byte_source.h"
#include "core/outcome.h"
#include "core/platform.h"

// The memory the reading may take at most when no --memory is given.
constexpr uint64_t kScene_Memory_Ceiling = uint64_t{4} << 30;
// What each byte of the input, and of each file it names, earns the
// reading: memory, and processor time by the mebibyte.
constexpr uint64_t kScene_Memory_Per_Byte = 64;
constexpr uint64_t kScene_Bytes_Per_Second = uint64_t{1} << 20;

// Reads every byte of `source` into `bytes`. Refused as soon as the bytes
// show it: an OBJ file holding a NUL byte (assimp's OBJ parser mishandles
// them), and an input of more than half the memory the reading may take at
// most (`memory_limit`, or kScene_Memory_Ceiling when 0), which is then
// all that was read of a stream. `format` is the library's ("obj").
Outcome Read_Scene_Bytes(Byte_Source& source, const std::string& format, uint64_t memory_limit,
                         std::string& bytes);

// The limits of reading `bytes` apart. Memory: exactly `memory_limit` when
// one is given; otherwise 512 MiB and 64 bytes for each byte that is not a
// blank (space, tab, CR, LF: padding adds nothing to a mesh), up to
// kScene_Memory_Ceiling, which the files the input names may widen it to.
// Processor time: 3 seconds and one for each mebibyte (and each mebibyte of
// the files it names).
Isolation_Limits Scene_Limits(std::string_view bytes, uint64_t memory_limit);
