#pragma once
// Where a reader's bytes come from: a file the user chose, standard input, or
// a block of memory (tests and fuzz targets). The readers see only this, so
// every reader works the same on all three, and only Open_Input_File (through
// Read_Input) ever opens anything.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

class Byte_Source {
 public:
  virtual ~Byte_Source() = default;

  // Reads up to `size` bytes into `out`: how many were read, 0 at the end of
  // the input, -1 when reading failed.
  virtual int64_t Read(char* out, size_t size) = 0;

  // How many bytes the input holds, when that is known before it is read (a
  // regular file, a block of memory), or -1 (a pipe, a terminal, a device):
  // then no count may be checked against it and arrays grow as data arrives.
  virtual int64_t Size() const = 0;
};

// A block of memory, read as it is; the bytes must outlive the source.
class Memory_Source final : public Byte_Source {
 public:
  explicit Memory_Source(std::string_view bytes) : bytes_(bytes) {}
  explicit Memory_Source(std::span<const uint8_t> bytes)
      : bytes_(reinterpret_cast<const char*>(bytes.data()), bytes.size()) {}

  int64_t Read(char* out, size_t size) override;
  int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

// Which inputs an open accepts.
enum class Input_Streams {
  Read,    // pipes, FIFOs and devices are read as streams (waiting for a writer)
  Refuse,  // only regular files; nothing that could block is opened
};

// Opens a path for reading, or standard input for "-" (made by the platform
// file, core/platform_*.cpp). Null when it cannot be opened (missing, a folder, no permission) or, with Input_Streams::Refuse,
// when it is not a regular file; `refused_stream` then tells which.
std::unique_ptr<Byte_Source> Open_Input_File(const std::string& path, Input_Streams streams,
                                             bool& refused_stream);
