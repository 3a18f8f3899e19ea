// The platform file in standard C++ alone, for a system that has neither the
// POSIX nor the Windows calls (and, with KORVANE_PORTABLE_PLATFORM, on Linux,
// so that the tests run over it). It keeps what the standard library lets
// it keep: links are followed to the file they name, FIFOs and devices are
// written in place, a read-only file and the input itself are refused, and
// an interrupt removes a half-written file. What it cannot do is said where
// it happens: there is no sync to disk, no way to ask whether the user may
// write a file (its permission bits are read instead), and where the system's
// rename will not replace a file, the old one is removed first.
#include "core/platform.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <new>
#include <random>
#include <system_error>

#include "core/byte_source.h"

namespace fs = std::filesystem;

// ---- Memory ---------------------------------------------------------------

// calloc for every block: the standard library has no pages to ask for.
void* Acquire_Zeroed(size_t bytes, size_t& reserved) {
  void* block = std::calloc(bytes, 1);
  if (!block) throw std::bad_alloc();
  reserved = 0;
  return block;
}

void Release_Zeroed(void* block, size_t) { std::free(block); }

size_t Trim_Zeroed(void*, size_t&, size_t) { return 0; }

// ---- The program's start --------------------------------------------------

// The arguments come as the system gave them: bytes, UTF-8 where the
// system's names are.
std::vector<std::string> Program_Arguments(int argc, char** argv) { return {argv, argv + argc}; }

// ---- Standard streams -----------------------------------------------------

// Standard C++ cannot change the mode of an open stream; where text and
// binary differ, the system has its own platform file. A write to a pipe
// whose reader has gone fails instead of ending the program, where the
// system has such a signal (standard C++ names none).
void Use_Binary_Standard_Streams() {
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

bool Write_Standard_Output(const char* data, size_t size) {
  if (size > 0 && std::fwrite(data, 1, size, stdout) != size) return false;
  return std::fflush(stdout) == 0;
}

// ---- Files read -------------------------------------------------------------

namespace {

std::FILE* File_Of(intptr_t handle) { return reinterpret_cast<std::FILE*>(handle); }

class File_Source final : public Byte_Source {
 public:
  File_Source(std::FILE* file, int64_t size, bool owned) : file_(file), size_(size), owned_(owned) {}
  ~File_Source() override {
    if (owned_) std::fclose(file_);
  }
  File_Source(const File_Source&) = delete;
  File_Source& operator=(const File_Source&) = delete;

  int64_t Read(char* out, size_t size) override {
    const size_t got = std::fread(out, 1, size, file_);
    if (got == 0 && std::ferror(file_)) return -1;
    return static_cast<int64_t>(got);
  }
  int64_t Size() const override { return size_; }

 private:
  std::FILE* file_;
  int64_t size_;
  bool owned_;
};

}  // namespace

std::unique_ptr<Byte_Source> Open_Input_File(const std::string& path, Input_Streams streams,
                                             bool& refused_stream) {
  refused_stream = false;
  // Standard input's kind cannot be asked: it is read as a stream.
  if (path == "-") return std::make_unique<File_Source>(stdin, -1, false);
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || fs::is_directory(status) || !fs::exists(status)) return nullptr;
  const bool regular = fs::is_regular_file(status);
  // Checked before opening: opening a FIFO that has no writer would wait.
  if (!regular && streams == Input_Streams::Refuse) {
    refused_stream = true;
    return nullptr;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return nullptr;
  int64_t size = -1;
  if (regular) {
    const std::uintmax_t bytes = fs::file_size(path, error);
    if (!error) size = static_cast<int64_t>(bytes);
  }
  return std::make_unique<File_Source>(file, size, true);
}

// ---- Files written ----------------------------------------------------------

namespace {

constexpr const char* kTempPrefix = ".korvane-";
constexpr int kMaxLinks = 40;

// The paths of the temporary files being written, for the interrupt
// handler, which may touch only such fixed memory.
struct Temp_Slot {
  std::atomic<bool> used{false};
  char path[4096];
};
Temp_Slot temp_slots[4];
std::atomic<int> slots_used{0};

extern "C" void Remove_Temp_Files(int signal) {
  for (Temp_Slot& slot : temp_slots)
    if (slot.used.load()) std::remove(slot.path);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

int Hold_Temp_Path(const std::string& path) {
  if (path.size() >= sizeof(Temp_Slot::path)) return -1;
  for (Temp_Slot& slot : temp_slots) {
    if (slot.used.load()) continue;
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    slot.used.store(true);
    if (slots_used++ == 0)
      for (int signal : {SIGINT, SIGTERM}) std::signal(signal, Remove_Temp_Files);
    return static_cast<int>(&slot - temp_slots);
  }
  return -1;
}

void Release_Temp_Path(int index) {
  if (index < 0) return;
  temp_slots[index].used.store(false);
  if (--slots_used == 0)
    for (int signal : {SIGINT, SIGTERM}) std::signal(signal, SIG_DFL);
}

// Follows the links at `path` to the path they finally name (which need not
// exist). False on a loop or a link that cannot be read.
bool Follow_Links(fs::path& path) {
  for (int hops = 0;; ++hops) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (error) return error == std::errc::no_such_file_or_directory;
    if (!fs::is_symlink(status)) return true;
    if (hops == kMaxLinks) return false;
    const fs::path to = fs::read_symlink(path, error);
    if (error) return false;
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
}

// Whether the user may write the file, as far as its permission bits tell:
// a file no one may write is refused, as the shell's `>` refuses it.
bool May_Write(const fs::file_status& status) {
  using fs::perms;
  return (status.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) != perms::none;
}

std::string Random_Name() {
  static std::mt19937 random(static_cast<unsigned>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^ reinterpret_cast<uintptr_t>(&random)));
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string name = kTempPrefix;
  for (int i = 0; i < 6; ++i) name += letters[random() % (sizeof letters - 1)];
  return name;
}

}  // namespace

Save_Target Examine_Save_Target(const std::string& target, const std::string& keep) {
  Save_Target refused;
  if (target.empty()) return refused;
  std::error_code error;
  const fs::file_status reached = fs::status(target, error);
  const bool exists = !error && fs::exists(reached);
  if (error && error != std::errc::no_such_file_or_directory) return refused;
  // Standard input ("-") has no name here to compare: standard C++ cannot
  // tell which file it is.
  if (exists && !keep.empty() && keep != "-" && fs::equivalent(keep, target, error) && !error) return refused;
  if (exists && (fs::is_fifo(reached) || fs::is_character_file(reached))) return {Save_Target::Kind::Stream, target};
  if (exists && !fs::is_regular_file(reached)) return refused;

  fs::path final_path = target;
  if (!Follow_Links(final_path)) return refused;
  if (fs::exists(final_path, error) != exists) return refused;
  if (final_path.filename().empty()) return refused;
  if (exists && !May_Write(reached)) return refused;
  return {Save_Target::Kind::Replace, final_path.string()};
}

bool Open_Replacement(const Save_Target& target, Output_File& file) {
  if (target.kind != Save_Target::Kind::Replace) return false;
  const fs::path final_path = target.final_path;
  std::error_code error;
  const fs::file_status replaced = fs::status(final_path, error);
  const bool exists = !error && fs::exists(replaced);
  for (int attempt = 0; attempt < 16; ++attempt) {
    const fs::path temp = final_path.parent_path() / Random_Name();
    const std::string temp_text = temp.string();
    const int slot = Hold_Temp_Path(temp_text);
    if (slot < 0) return false;
    // "x": created only where no file of that name is, so no file of
    // anyone's is ever opened or replaced.
    std::FILE* created = std::fopen(temp_text.c_str(), "wbx");
    if (!created) {
      Release_Temp_Path(slot);
      if (fs::exists(temp, error)) continue;  // the name was taken: another
      return false;
    }
    if (exists) fs::permissions(temp, replaced.permissions(), error);  // best effort
    file.handle = reinterpret_cast<intptr_t>(created);
    file.temp_path = temp_text;
    file.final_path = target.final_path;
    file.cleanup_slot = slot;
    return true;
  }
  return false;
}

bool Open_In_Place(const std::string& path, Output_File& file) {
  std::FILE* opened = std::fopen(path.c_str(), "wb");
  if (!opened) return false;
  file.handle = reinterpret_cast<intptr_t>(opened);
  file.temp_path.clear();
  file.final_path = path;
  return true;
}

bool Write_Output(Output_File& file, const char* data, size_t size) {
  if (file.handle == -1) return false;
  return size == 0 || std::fwrite(data, 1, size, File_Of(file.handle)) == size;
}

bool Close_Output(Output_File& file) {
  if (file.handle == -1) return false;
  std::FILE* open = File_Of(file.handle);
  file.handle = -1;
  // fflush and fclose hand the text to the system; standard C++ has no way
  // to wait until it is on the disk.
  bool ok = std::fflush(open) == 0;
  ok = (std::fclose(open) == 0) && ok;
  if (file.temp_path.empty()) return ok;
  if (ok && std::rename(file.temp_path.c_str(), file.final_path.c_str()) != 0) {
    // A system whose rename will not replace a file: the old one goes first.
    // Not in one step, so a crash between the two leaves only the new file
    // under its temporary name.
    std::remove(file.final_path.c_str());
    ok = std::rename(file.temp_path.c_str(), file.final_path.c_str()) == 0;
  }
  if (!ok) std::remove(file.temp_path.c_str());
  Release_Temp_Path(file.cleanup_slot);
  file.cleanup_slot = -1;
  file.temp_path.clear();
  return ok;
}

void Discard_Output(Output_File& file) {
  if (file.handle != -1) std::fclose(File_Of(file.handle));
  file.handle = -1;
  if (!file.temp_path.empty()) {
    std::remove(file.temp_path.c_str());
    file.temp_path.clear();
  }
  Release_Temp_Path(file.cleanup_slot);
  file.cleanup_slot = -1;
}

// ---- Work run apart ---------------------------------------------------------

// No child processes here: the work runs in this process, and only running
// out of memory is caught.
Isolated_End Run_Isolated(const std::function<std::string()>& work, std::string& result, const Isolation_Limits&) {
  try {
    result = work();
    return Isolated_End::Done;
  } catch (const std::bad_alloc&) {
    result.clear();
    return Isolated_End::Out_Of_Memory;
  }
}

// Nothing runs apart here, so there are no limits to widen.
void Widen_Isolation_Limits(uint64_t, unsigned) {}
