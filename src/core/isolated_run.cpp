#include "core/isolated_run.h"

#include <new>

#if defined(_WIN32)

Isolated_End Run_Isolated(const std::function<std::string()>& work, std::string& result) {
  try {
    result = work();
    return Isolated_End::Done;
  } catch (const std::bad_alloc&) {
    return Isolated_End::Out_Of_Memory;
  }
}

#else

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool Write_All(int fd, const char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t done = ::write(fd, bytes, size);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes += done;
    size -= static_cast<size_t>(done);
  }
  return true;
}

// The child's message: one byte (0 done, 1 out of memory), then the result.
constexpr char kDone = 0;
constexpr char kOut_Of_Memory = 1;

}  // namespace

Isolated_End Run_Isolated(const std::function<std::string()>& work, std::string& result) {
  int ends[2];
  if (::pipe(ends) != 0) return Isolated_End::Not_Started;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(ends[0]);
    ::close(ends[1]);
    return Isolated_End::Not_Started;
  }
  if (child == 0) {
    ::close(ends[0]);
    // A crash ends the child quietly: the parent reports it. (Handlers the
    // parent installed, a checker's or a fuzzer's, are not the child's.)
    for (int signal_number : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT}) ::signal(signal_number, SIG_DFL);
    char status = kDone;
    std::string bytes;
    try {
      bytes = work();
    } catch (const std::bad_alloc&) {
      status = kOut_Of_Memory;
    }
    const bool written = Write_All(ends[1], &status, 1) && Write_All(ends[1], bytes.data(), bytes.size());
    // No exit handlers: they belong to the parent.
    ::_exit(written ? 0 : 1);
  }
  ::close(ends[1]);
  result.clear();
  char piece[1 << 16];
  bool read_failed = false;
  for (;;) {
    const ssize_t got = ::read(ends[0], piece, sizeof piece);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) read_failed = true;
    if (got <= 0) break;
    try {
      result.append(piece, static_cast<size_t>(got));
    } catch (const std::bad_alloc&) {
      read_failed = true;
      break;
    }
  }
  ::close(ends[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (read_failed || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || result.empty()) {
    result.clear();
    return Isolated_End::Crashed;
  }
  const char first = result[0];
  result.erase(0, 1);
  return first == kOut_Of_Memory ? Isolated_End::Out_Of_Memory : Isolated_End::Done;
}

#endif
