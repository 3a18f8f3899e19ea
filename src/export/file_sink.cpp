// Every system call of the saving side is made in this file.
#include "export/file_sink.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kFlushAt = 1 << 20;
// Short, so that a target whose name is as long as the file system allows
// still has room for its temporary file beside it; hidden, so that the file
// dialogs do not list it.
constexpr std::string_view kTempName = ".korvane-XXXXXX";
// Links followed before a target is refused as a loop (the system's own limit).
constexpr int kMaxLinks = 40;

bool Write_All(int fd, const char* data, size_t size) {
  while (size > 0) {
    // write: the one way bytes leave the program; it may take fewer than given.
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

// A descriptor numbered 0, 1 or 2 (the program was started with one of its
// standard streams closed) would take that stream's place: a later print to
// standard output would land in the file. Moves it above them.
int Off_Standard_Streams(int fd) {
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  // fcntl(F_DUPFD_CLOEXEC): the lowest free descriptor from 3 on.
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  ::close(fd);
  return moved;
}

// The folder part of a path, with its final "/" ("" for a bare name).
std::string Folder_Of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Follows the symbolic link at `path`, link by link, to the path it finally
// names (a relative link is read from the link's own folder), so that the
// file replaced is the link's target and the link stays. The final path need
// not exist. False on a loop or a link that cannot be read.
bool Follow_Links(std::string& path) {
  for (int hops = 0;; ++hops) {
    struct stat st {};
    // lstat: looks at the name itself, not at what a link points to.
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
    if (!S_ISLNK(st.st_mode)) return true;
    if (hops == kMaxLinks) return false;
    char link[PATH_MAX];
    // readlink: the link's text, not null-terminated.
    const ssize_t length = ::readlink(path.c_str(), link, sizeof link);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof link) return false;
    const std::string_view to(link, static_cast<size_t>(length));
    path = to.front() == '/' ? std::string(to) : Folder_Of(path) + std::string(to);
  }
}

bool Same_File(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// --- Removing temporary files on SIGINT, SIGTERM and SIGHUP ---------------
//
// A signal handler may make only async-signal-safe calls (no allocation, no
// locks), so the paths of the temporary files being written sit in fixed
// buffers. A slot is filled while the signals are blocked and marked used
// only once its file exists, so the handler never removes a file that is not
// ours. The commands run on one thread; the table exists for the handler.

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr size_t kSignalCount = std::size(kCleanupSignals);

struct Temp_Slot {
  volatile std::sig_atomic_t used;
  char path[PATH_MAX];
};
// Each write holds one slot from Open to Commit or Abandon; more than one is
// open only while a write starts inside another.
Temp_Slot temp_slots[4];
int slots_used = 0;
// What each signal did before our handler was installed, restored when the
// last temporary file is gone, and used by the handler to end as the signal
// would have ended the program.
struct sigaction previous_actions[kSignalCount];
bool handler_installed[kSignalCount];

void Remove_Temp_Files(int signal) {
  const int saved_errno = errno;
  for (Temp_Slot& slot : temp_slots)
    if (slot.used) ::unlink(slot.path);  // unlink: async-signal-safe
  for (size_t i = 0; i < kSignalCount; ++i)
    if (kCleanupSignals[i] == signal) ::sigaction(signal, &previous_actions[i], nullptr);
  // The signal is blocked while this runs: it arrives again on return, now
  // with its earlier action (for most programs: the end, by that signal).
  ::raise(signal);
  errno = saved_errno;
}

// Blocks the three signals for its lifetime, so that a slot and the file it
// names come and go together.
class Signals_Blocked {
 public:
  Signals_Blocked() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kCleanupSignals) sigaddset(&set, signal);
    // pthread_sigmask: holds the signals back (pending) instead of losing them.
    ::pthread_sigmask(SIG_BLOCK, &set, &old_);
  }
  ~Signals_Blocked() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
  Signals_Blocked(const Signals_Blocked&) = delete;
  Signals_Blocked& operator=(const Signals_Blocked&) = delete;

 private:
  sigset_t old_;
};

void Install_Handlers() {
  struct sigaction ours {};
  ours.sa_handler = Remove_Temp_Files;
  sigemptyset(&ours.sa_mask);
  for (int signal : kCleanupSignals) sigaddset(&ours.sa_mask, signal);
  ours.sa_flags = SA_RESTART;
  for (size_t i = 0; i < kSignalCount; ++i) {
    struct sigaction current {};
    // sigaction: reads the present action, then replaces it.
    ::sigaction(kCleanupSignals[i], nullptr, &current);
    // A signal the program was started to ignore (SIGINT of a background
    // job, SIGHUP under nohup) stays ignored.
    handler_installed[i] = (current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_IGN;
    if (!handler_installed[i]) continue;
    previous_actions[i] = current;
    ::sigaction(kCleanupSignals[i], &ours, nullptr);
  }
}

void Restore_Handlers() {
  for (size_t i = 0; i < kSignalCount; ++i)
    if (handler_installed[i]) ::sigaction(kCleanupSignals[i], &previous_actions[i], nullptr);
}

// Creates a new file from `pattern` (its last six X's become a unique name,
// so no file of anyone's is ever opened or replaced) and records it for the
// signal handler. Returns the descriptor, or -1.
int Create_Temp_File(const std::string& pattern, std::string& path, int& slot_index) {
  if (pattern.size() >= PATH_MAX) return -1;  // no system call takes such a path
  Signals_Blocked blocked;
  Temp_Slot* slot = std::find_if(std::begin(temp_slots), std::end(temp_slots), [](const Temp_Slot& s) { return !s.used; });
  if (slot == std::end(temp_slots)) return -1;
  std::memcpy(slot->path, pattern.c_str(), pattern.size() + 1);
  // mkostemp: creates the file exclusively under a fresh name, close-on-exec.
  const int created = ::mkostemp(slot->path, O_CLOEXEC);
  if (created < 0) return -1;
  const int fd = Off_Standard_Streams(created);
  if (fd < 0) {
    ::unlink(slot->path);
    return -1;
  }
  slot->used = 1;
  if (slots_used++ == 0) Install_Handlers();
  path = slot->path;
  slot_index = static_cast<int>(slot - temp_slots);
  return fd;
}

void Release_Temp_Slot(int slot_index) {
  if (slot_index < 0) return;
  Signals_Blocked blocked;
  temp_slots[slot_index].used = 0;
  if (--slots_used == 0) Restore_Handlers();
}

// The permission bits a new file gets: those the user's umask leaves of 0666.
mode_t New_File_Mode() {
  // umask can only be read by setting it; set it straight back.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Makes a completed rename durable: the folder's entry reaches the disk.
// Best effort: some file systems cannot sync a folder, and the new file is
// in place either way.
void Sync_Folder(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

File_Sink::~File_Sink() { Abandon(); }

bool File_Sink::Open(const std::string& target, const std::string& keep) {
  Abandon();
  failed_ = false;
  if (target.empty()) return false;
  // stat: what a write to the name would reach, every link followed.
  struct stat reached {};
  const bool exists = ::stat(target.c_str(), &reached) == 0;
  if (!exists && errno != ENOENT) return false;  // a folder on the way that is a file, no permission...
  if (exists && !keep.empty()) {
    struct stat input {};
    if (::stat(keep.c_str(), &input) == 0 && Same_File(input, reached)) return false;
  }

  if (exists && (S_ISFIFO(reached.st_mode) || S_ISCHR(reached.st_mode))) {
    // open without O_CREAT or O_TRUNC: a FIFO or a device is written to,
    // never made anew. O_NOCTTY: a terminal named as the output must not
    // become the program's controlling terminal. A FIFO waits for a reader,
    // as it does for the shell's `>`.
    const int fd = Off_Standard_Streams(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (fd < 0) return false;
    // fstat: checks what was opened, in case the name changed meanwhile.
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !(S_ISFIFO(opened.st_mode) || S_ISCHR(opened.st_mode))) {
      ::close(fd);
      return false;
    }
    fd_ = fd;
    mode_ = Mode::Direct;
    return true;
  }
  if (exists && !S_ISREG(reached.st_mode)) return false;  // a folder, a block device, a socket

  std::string final_path = target;
  if (!Follow_Links(final_path)) return false;
  struct stat at_end {};
  const bool end_exists = ::lstat(final_path.c_str(), &at_end) == 0;
  // Following the links by hand must reach what the system reached. It does
  // not for /proc's links to open files, whose text names no path.
  if (end_exists != exists || (exists && !Same_File(at_end, reached))) return false;
  if (final_path.back() == '/') return false;
  // faccessat(W_OK): the shell's `>` refuses a file the user may not write,
  // although a rename in a writable folder could replace it; so do we.
  // AT_EACCESS: checked for the effective user, who does the writing.
  if (exists && ::faccessat(AT_FDCWD, final_path.c_str(), W_OK, AT_EACCESS) != 0) return false;

  fd_ = Create_Temp_File(Folder_Of(final_path) + std::string(kTempName), temp_, signal_slot_);
  if (fd_ < 0) return false;
  if (exists) {
    // fchown: only root may hand a file to another owner; for anyone else
    // this fails and the new file is the saver's, as any file they create.
    if (reached.st_uid != ::geteuid() || reached.st_gid != ::getegid())
      (void)::fchown(fd_, reached.st_uid, reached.st_gid);
    // fchmod (after fchown, which clears set-user-ID bits): the replaced
    // file's permissions. A file system without them (FAT) refuses, and the
    // file is good all the same.
    (void)::fchmod(fd_, reached.st_mode & 07777);
  } else {
    // mkostemp made the file private to its owner; a new file gets the
    // usual permissions.
    (void)::fchmod(fd_, New_File_Mode());
  }
  final_ = std::move(final_path);
  mode_ = Mode::Replace;
  if (buffer_.size() < kFlushAt) buffer_.Size_Zeroed(kFlushAt);
  return true;
}

void File_Sink::Open_Stdout() {
  Abandon();
  mode_ = Mode::Stdout;
  failed_ = false;
}

void File_Sink::Append(std::string_view text) {
  if (mode_ == Mode::Closed) return;
  if (used_ + text.size() > buffer_.size()) {
    if (mode_ != Mode::Replace) {
      // Held whole until Commit: a larger block.
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
  const int fd = mode_ == Mode::Stdout ? STDOUT_FILENO : fd_;
  if (!failed_ && fd >= 0 && !Write_All(fd, buffer_.data(), used_)) failed_ = true;
  used_ = 0;
  return !failed_;
}

bool File_Sink::Commit() {
  bool ok = false;
  switch (mode_) {
    case Mode::Closed:
      return false;
    case Mode::Stdout:
      ok = Flush();
      break;
    case Mode::Direct:
      ok = Flush();
      // close: the last chance to hear of a failed write.
      ok = (::close(fd_) == 0) && ok;
      fd_ = -1;
      break;
    case Mode::Replace:
      ok = Flush();
      // fsync: the text reaches the disk before the name points at it, so a
      // crash or power cut after the rename finds the new file whole, never
      // an empty one.
      ok = ok && ::fsync(fd_) == 0;
      ok = (::close(fd_) == 0) && ok;
      fd_ = -1;
      // rename: replaces the target in one step; a reader sees the old file
      // or the new one, never a mixture.
      if (ok) ok = ::rename(temp_.c_str(), final_.c_str()) == 0;
      if (!ok) ::unlink(temp_.c_str());
      Release_Temp_Slot(signal_slot_);
      signal_slot_ = -1;
      temp_.clear();
      if (ok) Sync_Folder(Folder_Of(final_));
      break;
  }
  mode_ = Mode::Closed;
  used_ = 0;
  return ok;
}

void File_Sink::Abandon() {
  used_ = 0;
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    // unlink: the incomplete file goes; the target was never touched.
    ::unlink(temp_.c_str());
    temp_.clear();
  }
  Release_Temp_Slot(signal_slot_);
  signal_slot_ = -1;
  mode_ = Mode::Closed;
}
