#include "export/file_sink.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr size_t kFlushAt = 1 << 20;

bool Write_All(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t done = ::write(fd, data, size);
    if (done < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += done;
    size -= static_cast<size_t>(done);
  }
  return true;
}
}  // namespace

File_Sink::~File_Sink() { Abandon(); }

bool File_Sink::Open(const std::string& target) {
  Abandon();
  target_ = target;
  temp_ = target + ".tmp-XXXXXX";
  fd_ = ::mkstemp(temp_.data());
  if (fd_ < 0) {
    temp_.clear();
    return false;
  }
  // Keep the permissions of the file being replaced; a new file gets the
  // usual ones (mkstemp alone would make it private to its owner).
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    ::fchmod(fd_, old.st_mode & 07777);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
  }
  failed_ = false;
  if (buffer_.size() < kFlushAt) buffer_.Size_Zeroed(kFlushAt);
  return true;
}

void File_Sink::Open_Stdout() {
  Abandon();
  to_stdout_ = true;
  failed_ = false;
}

void File_Sink::Append(std::string_view text) {
  if (used_ + text.size() > buffer_.size()) {
    if (to_stdout_) {
      // Standard output is held whole until Commit: a larger block.
      buffer_.Resize(std::max({kFlushAt, 2 * buffer_.size(), used_ + text.size()}));
    } else {
      Flush();
      if (text.size() > buffer_.size()) {
        if (!failed_ && !Write_All(fd_, text.data(), text.size())) failed_ = true;
        return;
      }
    }
  }
  if (!text.empty()) std::memcpy(buffer_.data() + used_, text.data(), text.size());
  used_ += text.size();
}

bool File_Sink::Flush() {
  int fd = to_stdout_ ? STDOUT_FILENO : fd_;
  if (!failed_ && fd >= 0 && !Write_All(fd, buffer_.data(), used_)) failed_ = true;
  used_ = 0;
  return !failed_;
}

bool File_Sink::Commit() {
  if (to_stdout_) {
    bool ok = Flush();
    to_stdout_ = false;
    return ok;
  }
  if (fd_ < 0) return false;
  bool ok = Flush();
  ok = (::close(fd_) == 0) && ok;
  fd_ = -1;
  if (ok) ok = ::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) ::unlink(temp_.c_str());
  temp_.clear();
  return ok;
}

void File_Sink::Abandon() {
  used_ = 0;
  to_stdout_ = false;
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}
