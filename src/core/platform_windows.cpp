// The platform file on Windows: every call to the system is made here.
// Paths are UTF-8 inside the converter and wide (UTF-16) at the system.
#include "core/platform.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <shellapi.h>
#include <string>
#include <vector>

#include "core/byte_source.h"

// ---- Memory ---------------------------------------------------------------

namespace {
// From a quarter of a megabyte up, a block comes straight from the system:
// its pages are zero and cost nothing until they are written.
constexpr size_t kLarge_Block = size_t{1} << 18;
constexpr size_t kPage = size_t{64} << 10;  // the granularity of a reservation
}  // namespace

void* Acquire_Zeroed(size_t bytes, size_t& reserved) {
  if (bytes < kLarge_Block) {
    void* block = std::calloc(bytes, 1);
    if (!block) throw std::bad_alloc();
    reserved = 0;
    return block;
  }
  if (bytes > SIZE_MAX - kPage) throw std::bad_alloc();
  const size_t length = (bytes + kPage - 1) & ~(kPage - 1);
  // VirtualAlloc: committed pages, zero until written.
  void* block = ::VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (!block) throw std::bad_alloc();
  reserved = length;
  return block;
}

void Release_Zeroed(void* block, size_t reserved) {
  if (!block) return;
  if (reserved == 0)
    std::free(block);
  else
    ::VirtualFree(block, 0, MEM_RELEASE);
}

size_t Trim_Zeroed(void* block, size_t& reserved, size_t keep) {
  if (!block || reserved == 0) return 0;
  const size_t length = std::max((keep + kPage - 1) & ~(kPage - 1), kPage);
  if (length >= reserved) return reserved;
  // Decommitted pages go back to the system; the reservation stays whole,
  // so the block is released as one.
  ::VirtualFree(static_cast<char*>(block) + length, reserved - length, MEM_DECOMMIT);
  reserved = length;
  return length;
}

// ---- Standard streams -----------------------------------------------------

void Use_Binary_Standard_Streams() {
  // _setmode: in text mode the C library would write every LF as CR LF (the
  // BASIC data file already ends its lines with CR LF) and stop reading at
  // a ^Z. Messages end in LF alone, as everywhere; consoles show them alike.
  for (std::FILE* stream : {stdin, stdout, stderr}) ::_setmode(::_fileno(stream), _O_BINARY);
}

bool Write_Standard_Output(const char* data, size_t size) {
  if (size > 0 && std::fwrite(data, 1, size, stdout) != size) return false;
  return std::fflush(stdout) == 0;
}

// ---- Paths ------------------------------------------------------------------

namespace {

// A UTF-8 path as the system takes it. A name that is not UTF-8 (a name
// from the command line in the system's code page) is read in that code
// page instead.
std::wstring Wide(const std::string& text) {
  for (UINT page : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
    const DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int length = ::MultiByteToWideChar(page, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0 && !text.empty()) continue;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(page, flags, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
  }
  return {};
}

std::string Narrow(const std::wstring& wide) {
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(std::max(length, 0)), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                        nullptr);
  return text;
}

HANDLE Handle_Of(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

// ---- Files read -------------------------------------------------------------

namespace {

class File_Source final : public Byte_Source {
 public:
  File_Source(HANDLE file, int64_t size, bool owned) : file_(file), size_(size), owned_(owned) {}
  ~File_Source() override {
    if (owned_) ::CloseHandle(file_);
  }
  File_Source(const File_Source&) = delete;
  File_Source& operator=(const File_Source&) = delete;

  int64_t Read(char* out, size_t size) override {
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    if (::ReadFile(file_, out, wanted, &got, nullptr)) return got;
    // A pipe whose writer has closed it has ended.
    return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
  }
  int64_t Size() const override { return size_; }

 private:
  HANDLE file_;
  int64_t size_;
  bool owned_;
};

}  // namespace

std::unique_ptr<Byte_Source> Open_Input_File(const std::string& path, Input_Streams streams,
                                             bool& refused_stream) {
  refused_stream = false;
  const bool standard_input = path == "-";
  HANDLE file = ::GetStdHandle(STD_INPUT_HANDLE);
  if (!standard_input) {
    // CreateFileW without FILE_FLAG_BACKUP_SEMANTICS opens no folder, and
    // opening a pipe never waits for a writer.
    file = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE || file == nullptr) return nullptr;
  auto fail = [&] {
    if (!standard_input) ::CloseHandle(file);
    return nullptr;
  };
  // GetFileType: a disk file has a size; a pipe or a console is a stream.
  const bool regular = ::GetFileType(file) == FILE_TYPE_DISK;
  if (!regular && streams == Input_Streams::Refuse) {
    refused_stream = true;
    return fail();
  }
  int64_t size = -1;
  LARGE_INTEGER total{}, at{};
  if (regular && ::GetFileSizeEx(file, &total)) {
    // Standard input may be a file read from part-way.
    LARGE_INTEGER zero{};
    if (!standard_input || ::SetFilePointerEx(file, zero, &at, FILE_CURRENT))
      size = total.QuadPart - (standard_input ? at.QuadPart : 0);
  }
  return std::make_unique<File_Source>(file, size, !standard_input);
}

// ---- Files written ----------------------------------------------------------

namespace {

constexpr const wchar_t* kTempPrefix = L".korvane-";

// The paths of the temporary files being written, for the Ctrl+C handler,
// which runs on a thread of its own while the save goes on.
struct Temp_Slot {
  std::atomic<bool> used{false};
  wchar_t path[32768];
};
Temp_Slot temp_slots[2];
std::atomic<int> slots_used{0};

BOOL WINAPI Remove_Temp_Files(DWORD) {
  for (Temp_Slot& slot : temp_slots)
    if (slot.used.load()) ::DeleteFileW(slot.path);
  return FALSE;  // the program then ends as it would have
}

int Hold_Temp_Path(const std::wstring& path) {
  if (path.size() >= std::size(Temp_Slot{}.path)) return -1;
  for (Temp_Slot& slot : temp_slots) {
    if (slot.used.load()) continue;
    std::wmemcpy(slot.path, path.c_str(), path.size() + 1);
    slot.used.store(true);
    if (slots_used++ == 0) ::SetConsoleCtrlHandler(Remove_Temp_Files, TRUE);
    return static_cast<int>(&slot - temp_slots);
  }
  return -1;
}

void Release_Temp_Path(int index) {
  if (index < 0) return;
  temp_slots[index].used.store(false);
  if (--slots_used == 0) ::SetConsoleCtrlHandler(Remove_Temp_Files, FALSE);
}

struct File_Identity {
  DWORD volume = 0;
  DWORD high = 0, low = 0;
  bool operator==(const File_Identity& other) const {
    return volume == other.volume && high == other.high && low == other.low;
  }
};

// Opens what `path` names, links followed, only to look at it.
HANDLE Open_To_Look(const std::wstring& path) {
  return ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool Identity_Of(const std::wstring& path, File_Identity& identity) {
  HANDLE file = Open_To_Look(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(file, &info);
  ::CloseHandle(file);
  identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return known;
}

bool Identity_Of_Standard_Input(File_Identity& identity) {
  HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  if (input == INVALID_HANDLE_VALUE || input == nullptr || ::GetFileType(input) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(input, &info)) return false;
  identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

std::wstring Folder_Of(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

Save_Target Examine_Save_Target(const std::string& target, const std::string& keep) {
  Save_Target refused;
  if (target.empty()) return refused;
  const std::wstring wide = Wide(target);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    // A new name in a folder that is there.
    if (error == ERROR_FILE_NOT_FOUND) return {Save_Target::Kind::Replace, target};
    return refused;  // no such folder, no permission...
  }
  HANDLE file = Open_To_Look(wide);
  if (file == INVALID_HANDLE_VALUE) return refused;
  const DWORD type = ::GetFileType(file);
  // GetFinalPathNameByHandleW: the file every link leads to, which is the
  // one replaced; the link stays.
  std::wstring final_path(32768, L'\0');
  const DWORD length = ::GetFinalPathNameByHandleW(file, final_path.data(), static_cast<DWORD>(final_path.size()),
                                                   FILE_NAME_NORMALIZED);
  ::CloseHandle(file);
  if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) return {Save_Target::Kind::Stream, target};
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return refused;
  // A read-only file is refused, as the shell refuses to write it.
  if (attributes & FILE_ATTRIBUTE_READONLY) return refused;
  File_Identity reached{}, input{};
  // "-" is standard input, which may be the very file (`< cube.stl`).
  const bool input_known = keep == "-" ? Identity_Of_Standard_Input(input) : Identity_Of(Wide(keep), input);
  if (!keep.empty() && Identity_Of(wide, reached) && input_known && reached == input)
    return refused;
  if (length == 0 || length >= final_path.size()) return {Save_Target::Kind::Replace, target};
  final_path.resize(length);
  // The final name comes as \\?\C:\folder\name (or \\?\UNC\server\...).
  if (final_path.rfind(L"\\\\?\\UNC\\", 0) == 0)
    final_path = L"\\\\" + final_path.substr(8);
  else if (final_path.rfind(L"\\\\?\\", 0) == 0)
    final_path = final_path.substr(4);
  return {Save_Target::Kind::Replace, Narrow(final_path)};
}

bool Open_Replacement(const Save_Target& target, Output_File& file) {
  if (target.kind != Save_Target::Kind::Replace) return false;
  const std::wstring final_path = Wide(target.final_path);
  const std::wstring folder = Folder_Of(final_path);
  static unsigned counter = ::GetTickCount();
  for (int attempt = 0; attempt < 16; ++attempt) {
    wchar_t name[16];
    std::swprintf(name, 16, L"%06x", (counter++ * 2654435761u + ::GetCurrentProcessId()) & 0xFFFFFF);
    const std::wstring temp = folder + kTempPrefix + name;
    const int slot = Hold_Temp_Path(temp);
    if (slot < 0) return false;
    // CREATE_NEW: made only where no file of that name is, so no file of
    // anyone's is ever opened or replaced.
    HANDLE created = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (created == INVALID_HANDLE_VALUE) {
      Release_Temp_Path(slot);
      if (::GetLastError() == ERROR_FILE_EXISTS) continue;
      return false;
    }
    file.handle = reinterpret_cast<intptr_t>(created);
    file.temp_path = Narrow(temp);
    file.final_path = target.final_path;
    file.cleanup_slot = slot;
    return true;
  }
  return false;
}

bool Open_In_Place(const std::string& path, Output_File& file) {
  // OPEN_EXISTING: a device or a pipe is written to, never made anew.
  HANDLE opened = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return false;
  file.handle = reinterpret_cast<intptr_t>(opened);
  file.temp_path.clear();
  file.final_path = path;
  return true;
}

bool Write_Output(Output_File& file, const char* data, size_t size) {
  if (file.handle == -1) return false;
  while (size > 0) {
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    if (!::WriteFile(Handle_Of(file.handle), data, chunk, &done, nullptr) || done == 0) return false;
    data += done;
    size -= done;
  }
  return true;
}

bool Close_Output(Output_File& file) {
  if (file.handle == -1) return false;
  HANDLE open = Handle_Of(file.handle);
  file.handle = -1;
  if (file.temp_path.empty()) return ::CloseHandle(open) != 0;
  // FlushFileBuffers: the text reaches the disk before the name points at
  // it, so a crash after the move finds the new file whole.
  bool ok = ::FlushFileBuffers(open) != 0;
  ok = (::CloseHandle(open) != 0) && ok;
  const std::wstring temp = Wide(file.temp_path);
  // MoveFileExW with MOVEFILE_REPLACE_EXISTING: replaces the target in one
  // step (a plain rename will not replace an existing file here);
  // MOVEFILE_WRITE_THROUGH returns once the move is on the disk.
  if (ok) {
    ::SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    ok = ::MoveFileExW(temp.c_str(), Wide(file.final_path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  if (!ok) ::DeleteFileW(temp.c_str());
  Release_Temp_Path(file.cleanup_slot);
  file.cleanup_slot = -1;
  file.temp_path.clear();
  return ok;
}

void Discard_Output(Output_File& file) {
  if (file.handle != -1) ::CloseHandle(Handle_Of(file.handle));
  file.handle = -1;
  if (!file.temp_path.empty()) {
    ::DeleteFileW(Wide(file.temp_path).c_str());
    file.temp_path.clear();
  }
  Release_Temp_Path(file.cleanup_slot);
  file.cleanup_slot = -1;
}

// ---- Program arguments -------------------------------------------------------

std::vector<std::string> Program_Arguments(int argc, char** argv) {
  // The C library hands main its arguments in the system's code page, which
  // may not hold every name; the wide command line does.
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  if (!wide) {
    for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i]);
    return arguments;
  }
  for (int i = 0; i < count; ++i) arguments.push_back(Narrow(wide[i]));
  ::LocalFree(wide);
  return arguments;
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
