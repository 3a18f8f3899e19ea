#include "assimp_bridge/scene_bytes.h"

#include <algorithm>
#include <cstring>

#include "core/text_chars.h"

namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kBase_Memory = 512 * kMiB;
constexpr unsigned kBase_Seconds = 3;
constexpr size_t kPiece = size_t{1} << 16;

}  // namespace

Outcome Read_Scene_Bytes(Byte_Source& source, const std::string& format, uint64_t memory_limit,
                         std::string& bytes) {
  const uint64_t most = (memory_limit > 0 ? memory_limit : kScene_Memory_Ceiling) / 2;
  const auto too_large = [&] {
    return Outcome::Failure("The file is larger than the " + std::to_string(most / kMiB) + " MiB that the " + format +
                            " reader may be given (--memory allows more)");
  };
  const int64_t size = source.Size();
  if (size > 0 && static_cast<uint64_t>(size) > most) return too_large();
  // A file in one block of its size; a stream in pieces, as they arrive.
  bytes.clear();
  if (size > 0) bytes.reserve(static_cast<size_t>(size));
  const bool text_only = format == "obj";
  std::string piece(kPiece, '\0');
  for (;;) {
    const int64_t got = source.Read(piece.data(), piece.size());
    if (got < 0) return Outcome::Failure("Cannot read the file");
    if (got == 0) break;
    const std::string_view arrived(piece.data(), static_cast<size_t>(got));
    // An OBJ file is text. assimp's OBJ parser (5.2.5) takes a NUL byte for
    // the end of its buffer in some places and not in others, and a file of
    // text and NUL bytes made it write outside its memory (found by fuzzing).
    if (const size_t nul = arrived.find('\0'); text_only && nul != std::string_view::npos)
      return Outcome::Failure("Not an OBJ file: byte " + std::to_string(bytes.size() + nul) +
                              " is a NUL, and an OBJ file is text");
    if (bytes.size() + arrived.size() > most) return too_large();
    bytes.append(arrived);
  }
  return Outcome::Success();
}

Isolation_Limits Scene_Limits(std::string_view bytes, uint64_t memory_limit) {
  Isolation_Limits limits;
  if (memory_limit > 0) {
    limits.memory_bytes = limits.memory_ceiling = memory_limit;
  } else {
    const uint64_t marks = static_cast<uint64_t>(std::count_if(bytes.begin(), bytes.end(), [](char c) { return !Is_Blank_Or_Line_End(c); }));
    limits.memory_ceiling = kScene_Memory_Ceiling;
    limits.memory_bytes = std::min(kBase_Memory + kScene_Memory_Per_Byte * marks, limits.memory_ceiling);
  }
  limits.cpu_seconds = kBase_Seconds + static_cast<unsigned>(bytes.size() / kScene_Bytes_Per_Second);
  limits.cpu_ceiling = limits.cpu_seconds + static_cast<unsigned>(limits.memory_ceiling / kMiB);
  return limits;
}
