#include "assimp_bridge/companion_files.h"

#include <cstring>
#include <unordered_set>

#include <assimp/MemoryIOWrapper.h>

#include "assimp_bridge/scene_bytes.h"
#include "core/byte_source.h"
#include "core/companion_path.h"
#include "core/platform.h"

namespace {

// How long a run of a file's bytes must be, quoted in a message, to count
// as passing its contents on.
constexpr size_t kQuote_Length = 12;

bool Read_Whole(Byte_Source& source, std::string& bytes) {
  const int64_t size = source.Size();
  if (size < 0) return false;
  bytes.assign(static_cast<size_t>(size), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    const int64_t got = source.Read(bytes.data() + done, bytes.size() - done);
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  return true;
}

}  // namespace

std::string Companion_Files::Resolve(const char* name) const {
  Companion_Path resolved = Resolve_Companion(folder_, name ? std::string_view(name) : std::string_view());
  if (resolved.path.empty() && first_refusal_.empty()) first_refusal_ = resolved.refusal;
  return resolved.path;
}

bool Companion_Files::Exists(const char* name) const {
  const std::string path = Resolve(name);
  bool refused = false;
  return !path.empty() && Open_Input_File(path, Input_Streams::Refuse, refused) != nullptr;
}

Assimp::IOStream* Companion_Files::Open(const char* name, const char* mode) {
  if (!mode || std::strchr(mode, 'w') || std::strchr(mode, 'a') || std::strchr(mode, '+')) return nullptr;
  const std::string path = Resolve(name);
  if (path.empty()) return nullptr;
  bool refused = false;
  std::unique_ptr<Byte_Source> file = Open_Input_File(path, Input_Streams::Refuse, refused);
  if (!file || file->Size() < 0) return nullptr;
  const uint64_t size = static_cast<uint64_t>(file->Size());
  // It earns the reading memory and time as the input's own bytes do.
  Widen_Isolation_Limits(kScene_Memory_Per_Byte * size, static_cast<unsigned>(size / kScene_Bytes_Per_Second + 1));
  auto held = std::make_unique<Held_File>();
  held->name = name;
  if (!Read_Whole(*file, held->bytes)) return nullptr;
  held_.push_back(std::move(held));
  const std::string& bytes = held_.back()->bytes;
  return new Assimp::MemoryIOStream(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void Companion_Files::Close(Assimp::IOStream* stream) { delete stream; }

std::string Companion_Files::Quoted_File(std::string_view message) const {
  if (message.size() < kQuote_Length) return {};
  std::unordered_set<std::string_view> runs;
  for (size_t i = 0; i + kQuote_Length <= message.size(); ++i) runs.insert(message.substr(i, kQuote_Length));
  for (const auto& held : held_) {
    const std::string_view bytes = held->bytes;
    for (size_t i = 0; i + kQuote_Length <= bytes.size(); ++i)
      if (runs.count(bytes.substr(i, kQuote_Length))) return held->name;
  }
  return {};
}
