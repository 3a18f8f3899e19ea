#include "core/byte_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int64_t Memory_Source::Read(char* out, size_t size) {
  const size_t count = std::min(size, bytes_.size() - at_);
  if (count > 0) std::memcpy(out, bytes_.data() + at_, count);
  at_ += count;
  return static_cast<int64_t>(count);
}

namespace {

// A file descriptor: a regular file, a pipe, a FIFO or a device.
class File_Source final : public Byte_Source {
 public:
  File_Source(int fd, int64_t size, bool owned) : fd_(fd), size_(size), owned_(owned) {}
  ~File_Source() override {
    if (owned_) ::close(fd_);
  }
  File_Source(const File_Source&) = delete;
  File_Source& operator=(const File_Source&) = delete;

  int64_t Read(char* out, size_t size) override {
    for (;;) {
      const ssize_t got = ::read(fd_, out, size);
      if (got >= 0) return got;
      if (errno != EINTR) return -1;
    }
  }
  int64_t Size() const override { return size_; }

 private:
  int fd_;
  int64_t size_;
  bool owned_;
};

}  // namespace

std::unique_ptr<Byte_Source> Open_Input_File(const std::string& path, Input_Streams streams,
                                             bool& refused_stream) {
  refused_stream = false;
  int fd = STDIN_FILENO;
  const bool standard_input = path == "-";
  if (!standard_input) {
    // Opening a FIFO that has no writer waits for one: where streams are
    // refused, the open must not wait, so it is made without blocking and
    // the kind of file is checked before anything is read.
    const int flags = O_RDONLY | O_CLOEXEC | (streams == Input_Streams::Refuse ? O_NONBLOCK : 0);
    do fd = ::open(path.c_str(), flags);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return nullptr;
  }
  struct stat info {};
  const bool known = ::fstat(fd, &info) == 0;
  auto fail = [&] {
    if (!standard_input) ::close(fd);
    return nullptr;
  };
  if (!known || S_ISDIR(info.st_mode)) return fail();
  const bool regular = S_ISREG(info.st_mode);
  if (!regular && streams == Input_Streams::Refuse) {
    refused_stream = true;
    return fail();
  }
  if (!standard_input && streams == Input_Streams::Refuse) {
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  }
  int64_t size = -1;
  if (regular) {
    // Standard input may be a file read from part-way.
    const off_t at = standard_input ? ::lseek(fd, 0, SEEK_CUR) : 0;
    size = at >= 0 && at <= info.st_size ? static_cast<int64_t>(info.st_size - at) : -1;
  }
  return std::make_unique<File_Source>(fd, size, !standard_input);
}
