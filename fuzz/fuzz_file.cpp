#include "fuzz_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/mman.h>
#include <unistd.h>

#include "require.h"

std::string Fuzz_Input_Path(const uint8_t* data, size_t size) {
  static const int fd = memfd_create("korvane-fuzz-input", MFD_CLOEXEC);
  Require(fd >= 0, "a memory file can be created");
  Require(ftruncate(fd, 0) == 0, "the memory file can be emptied");
  size_t done = 0;
  while (done < size) {
    ssize_t wrote = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    Require(wrote > 0, "the memory file can be written");
    done += static_cast<size_t>(wrote);
  }
  return "/proc/self/fd/" + std::to_string(fd);
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
