// The platform file on POSIX systems (Linux, macOS, the BSDs): every system
// call the converter makes is made here.
#include "core/platform.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <new>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__linux__)
#include <sys/prctl.h>
#elif defined(__FreeBSD__)
#include <sys/procctl.h>
#endif

#include "core/byte_source.h"

// ---- Memory ---------------------------------------------------------------

namespace {
constexpr size_t kHuge_Page = size_t{2} << 20;
// From an eighth of a huge page up, one huge page costs less than the small
// pages it replaces: each page fault costs far more than clearing memory.
constexpr size_t kLarge_Block = kHuge_Page / 8;
}  // namespace

void* Acquire_Zeroed(size_t bytes, size_t& reserved) {
  if (bytes < kLarge_Block) {
    void* block = std::calloc(bytes, 1);
    if (!block) throw std::bad_alloc();
    reserved = 0;
    return block;
  }
  // Whole huge pages, starting on a huge-page boundary: map one page more
  // than needed and hand back the unaligned ends. mmap gives pages that are
  // zero and cost nothing until they are written.
  if (bytes > SIZE_MAX - 2 * kHuge_Page) throw std::bad_alloc();
  const size_t length = (bytes + kHuge_Page - 1) & ~(kHuge_Page - 1);
  int flags = MAP_PRIVATE | MAP_ANONYMOUS;
#ifdef MAP_NORESERVE
  // Not counted against the system's commit limit: a reader may reserve far
  // more than it will write (see Flat_Array::Resize).
  flags |= MAP_NORESERVE;
#endif
  void* mapped = ::mmap(nullptr, length + kHuge_Page, PROT_READ | PROT_WRITE, flags, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t start = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = (start + kHuge_Page - 1) & ~(kHuge_Page - 1);
  if (aligned > start) ::munmap(mapped, aligned - start);
  const size_t tail = kHuge_Page - (aligned - start);
  if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + length), tail);
#ifdef MADV_HUGEPAGE
  ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);  // a hint; fine if refused
#endif
  reserved = length;
  return reinterpret_cast<void*>(aligned);
}

void Release_Zeroed(void* block, size_t reserved) {
  if (!block) return;
  if (reserved == 0)
    std::free(block);
  else
    ::munmap(block, reserved);
}

size_t Trim_Zeroed(void* block, size_t& reserved, size_t keep) {
  if (!block || reserved == 0) return 0;
  const size_t length = std::max((keep + kHuge_Page - 1) & ~(kHuge_Page - 1), kHuge_Page);
  if (length >= reserved) return reserved;
  ::munmap(static_cast<char*>(block) + length, reserved - length);
  reserved = length;
  return length;
}

// ---- The program's start --------------------------------------------------

// The arguments come as the system gave them: bytes, UTF-8 where the
// system's names are.
std::vector<std::string> Program_Arguments(int argc, char** argv) { return {argv, argv + argc}; }

// ---- Standard streams -----------------------------------------------------

// POSIX streams carry bytes as they are. A write to a pipe whose reader has
// gone (`stl2bas convert big.stl -o - | head -c5`) would end the program by
// SIGPIPE, without a word: ignored, the write fails and the command says
// "Cannot write to standard output".
void Use_Binary_Standard_Streams() { ::signal(SIGPIPE, SIG_IGN); }

// ---- Files read -------------------------------------------------------------

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

// ---- Files written ----------------------------------------------------------

namespace {

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

bool Write_Standard_Output(const char* data, size_t size) { return Write_All(STDOUT_FILENO, data, size); }

Save_Target Examine_Save_Target(const std::string& target, const std::string& keep) {
  Save_Target refused;
  if (target.empty()) return refused;
  // stat: what a write to the name would reach, every link followed.
  struct stat reached {};
  const bool exists = ::stat(target.c_str(), &reached) == 0;
  if (!exists && errno != ENOENT) return refused;  // a folder on the way that is a file, no permission...
  if (exists && !keep.empty()) {
    struct stat input {};
    // "-" is standard input, which may be the very file (`< cube.stl`).
    const bool known = keep == "-" ? ::fstat(STDIN_FILENO, &input) == 0 : ::stat(keep.c_str(), &input) == 0;
    if (known && Same_File(input, reached)) return refused;
  }
  if (exists && (S_ISFIFO(reached.st_mode) || S_ISCHR(reached.st_mode)))
    return {Save_Target::Kind::Stream, target};
  if (exists && !S_ISREG(reached.st_mode)) return refused;  // a folder, a block device, a socket

  std::string final_path = target;
  if (!Follow_Links(final_path)) return refused;
  struct stat at_end {};
  const bool end_exists = ::lstat(final_path.c_str(), &at_end) == 0;
  // Following the links by hand must reach what the system reached. It does
  // not for /proc's links to open files, whose text names no path.
  if (end_exists != exists || (exists && !Same_File(at_end, reached))) return refused;
  if (final_path.back() == '/') return refused;
  // faccessat(W_OK): the shell's `>` refuses a file the user may not write,
  // although a rename in a writable folder could replace it; so do we.
  // AT_EACCESS: checked for the effective user, who does the writing.
  if (exists && ::faccessat(AT_FDCWD, final_path.c_str(), W_OK, AT_EACCESS) != 0) return refused;
  return {Save_Target::Kind::Replace, std::move(final_path)};
}

bool Open_Replacement(const Save_Target& target, Output_File& file) {
  if (target.kind != Save_Target::Kind::Replace) return false;
  struct stat replaced {};
  const bool exists = ::stat(target.final_path.c_str(), &replaced) == 0;
  std::string temp;
  int slot = -1;
  const int fd = Create_Temp_File(Folder_Of(target.final_path) + std::string(kTempName), temp, slot);
  if (fd < 0) return false;
  if (exists) {
    // fchown: only root may hand a file to another owner; for anyone else
    // this fails and the new file is the saver's, as any file they create.
    if (replaced.st_uid != ::geteuid() || replaced.st_gid != ::getegid())
      (void)::fchown(fd, replaced.st_uid, replaced.st_gid);
    // fchmod (after fchown, which clears set-user-ID bits): the replaced
    // file's permissions. A file system without them (FAT) refuses, and the
    // file is good all the same.
    (void)::fchmod(fd, replaced.st_mode & 07777);
  } else {
    // mkostemp made the file private to its owner; a new file gets the
    // usual permissions.
    (void)::fchmod(fd, New_File_Mode());
  }
  file.handle = fd;
  file.temp_path = std::move(temp);
  file.final_path = target.final_path;
  file.cleanup_slot = slot;
  return true;
}

bool Open_In_Place(const std::string& path, Output_File& file) {
  // open without O_CREAT or O_TRUNC: a FIFO or a device is written to,
  // never made anew. O_NOCTTY: a terminal named as the output must not
  // become the program's controlling terminal. A FIFO waits for a reader,
  // as it does for the shell's `>`.
  const int fd = Off_Standard_Streams(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
  if (fd < 0) return false;
  // fstat: checks what was opened, in case the name changed meanwhile.
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || !(S_ISFIFO(opened.st_mode) || S_ISCHR(opened.st_mode))) {
    ::close(fd);
    return false;
  }
  file.handle = fd;
  file.temp_path.clear();
  file.final_path = path;
  return true;
}

bool Write_Output(Output_File& file, const char* data, size_t size) {
  return file.handle >= 0 && Write_All(static_cast<int>(file.handle), data, size);
}

bool Close_Output(Output_File& file) {
  if (file.handle < 0) return false;
  const int fd = static_cast<int>(file.handle);
  file.handle = -1;
  if (file.temp_path.empty()) return ::close(fd) == 0;  // close: the last chance to hear of a failed write
  // fsync: the text reaches the disk before the name points at it, so a
  // crash or power cut after the rename finds the new file whole, never an
  // empty one.
  bool ok = ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  // rename: replaces the target in one step; a reader sees the old file or
  // the new one, never a mixture.
  if (ok) ok = ::rename(file.temp_path.c_str(), file.final_path.c_str()) == 0;
  if (!ok) ::unlink(file.temp_path.c_str());
  Release_Temp_Slot(file.cleanup_slot);
  file.cleanup_slot = -1;
  file.temp_path.clear();
  if (ok) Sync_Folder(Folder_Of(file.final_path));
  return ok;
}

void Discard_Output(Output_File& file) {
  if (file.handle >= 0) ::close(static_cast<int>(file.handle));
  file.handle = -1;
  if (!file.temp_path.empty()) {
    // unlink: the incomplete file goes; the target was never touched.
    ::unlink(file.temp_path.c_str());
    file.temp_path.clear();
  }
  Release_Temp_Slot(file.cleanup_slot);
  file.cleanup_slot = -1;
}

// ---- Work run apart ---------------------------------------------------------

namespace {

// Builds with AddressSanitizer reserve terabytes of address space up front:
// a limit on it would leave the child no room at all.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddress_Space_Reserved = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddress_Space_Reserved = true;
#else
constexpr bool kAddress_Space_Reserved = false;
#endif
#else
constexpr bool kAddress_Space_Reserved = false;
#endif

// The child's message: one byte (0 done, 1 out of memory), then the result.
constexpr char kChild_Done = 0;
constexpr char kChild_Out_Of_Memory = 1;

// Set in a child of Run_Isolated: only there may the limits be widened.
bool in_isolated_child = false;

// The address space this process holds now, where the system says (Linux's
// /proc); 0 elsewhere, and the limit then counts from nothing.
uint64_t Address_Space_In_Use() {
  const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char text[64] = {};
  const ssize_t got = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  uint64_t pages = 0;
  for (ssize_t i = 0; i < got && text[i] >= '0' && text[i] <= '9'; ++i) pages = 10 * pages + (text[i] - '0');
  const long page = ::sysconf(_SC_PAGESIZE);
  return page > 0 ? pages * static_cast<uint64_t>(page) : 0;
}

rlim_t Limit_Value(uint64_t value) {
  return value >= static_cast<uint64_t>(RLIM_INFINITY) ? RLIM_INFINITY : static_cast<rlim_t>(value);
}

// The child ends with its parent: a parent killed (SIGTERM, SIGKILL) must
// not leave a reader running on its own until its processor time is spent.
void End_With_Parent(pid_t parent) {
#if defined(__linux__)
  // prctl(PR_SET_PDEATHSIG): the kernel sends SIGKILL when the parent ends.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#elif defined(__FreeBSD__)
  int signal_number = SIGKILL;
  ::procctl(P_PID, 0, PROC_PDEATHSIG_CTL, &signal_number);
#endif
  // The parent may have ended before the request was made: the child has
  // then been handed to another process already.
  if (::getppid() != parent) ::_exit(1);
}

// The child's limits: processor time and address space, each soft at what
// the work starts with and hard at its ceiling.
void Set_Child_Limits(const Isolation_Limits& limits) {
  // No core files: a crash here is an outcome, not something to debug.
  const struct rlimit no_core {0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  // setrlimit: past its memory limit an allocation fails (std::bad_alloc),
  // past its processor time the child is ended by SIGXCPU (SIGKILL at the
  // hard limit).
  // Never above what this process was given (ulimit): a hard limit can only
  // be lowered.
  const auto set_within = [](int resource, rlim_t soft, rlim_t hard) {
    struct rlimit given {};
    if (::getrlimit(resource, &given) != 0) return;
    const rlim_t most = given.rlim_max;
    const auto within = [most](rlim_t value) { return most == RLIM_INFINITY ? value : std::min(value, most); };
    const struct rlimit limit {within(soft), within(hard)};
    ::setrlimit(resource, &limit);
  };
  if (limits.memory_bytes > 0 && !kAddress_Space_Reserved) {
    const uint64_t in_use = Address_Space_In_Use();
    const uint64_t ceiling = std::max(limits.memory_bytes, limits.memory_ceiling);
    set_within(RLIMIT_AS, Limit_Value(in_use + limits.memory_bytes), Limit_Value(in_use + ceiling));
  }
  if (limits.cpu_seconds > 0) {
    const unsigned ceiling = std::max(limits.cpu_seconds, limits.cpu_ceiling);
    set_within(RLIMIT_CPU, static_cast<rlim_t>(limits.cpu_seconds), static_cast<rlim_t>(ceiling) + 1);
  }
}

// Whether a child that ended by `signal_number` after `cpu` seconds of
// processor time was stopped by its time limit (SIGXCPU at the soft limit,
// SIGKILL at the hard one); a SIGKILL from elsewhere (the system out of
// memory) is a crash.
bool Ended_By_Time(int signal_number, const struct rusage& usage, unsigned cpu_seconds) {
  if (cpu_seconds == 0) return false;
  if (signal_number == SIGXCPU) return true;
  const double used = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return signal_number == SIGKILL && used + 0.5 >= cpu_seconds;
}

}  // namespace

Isolated_End Run_Isolated(const std::function<std::string()>& work, std::string& result,
                          const Isolation_Limits& limits) {
  int ends[2];
  // pipe and fork: the child's result comes back through the pipe.
  if (::pipe(ends) != 0) return Isolated_End::Not_Started;
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(ends[0]);
    ::close(ends[1]);
    return Isolated_End::Not_Started;
  }
  if (child == 0) {
    ::close(ends[0]);
    End_With_Parent(parent);
    in_isolated_child = true;
    // A crash ends the child quietly: the parent reports it. (Handlers the
    // parent installed, a checker's or a fuzzer's, are not the child's.)
    for (int signal_number : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGXCPU}) ::signal(signal_number, SIG_DFL);
    Set_Child_Limits(limits);
    char status = kChild_Done;
    std::string bytes;
    try {
      bytes = work();
    } catch (const std::bad_alloc&) {
      status = kChild_Out_Of_Memory;
    }
    const bool written = Write_All(ends[1], &status, 1) && Write_All(ends[1], bytes.data(), bytes.size());
    // _exit: no exit handlers, no flushing of buffers: they are the parent's.
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
  struct rusage usage {};
  // wait4: the child's end, what ended it, and the processor time it used.
  while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  if (WIFSIGNALED(status) && Ended_By_Time(WTERMSIG(status), usage, limits.cpu_seconds)) {
    result.clear();
    return Isolated_End::Out_Of_Time;
  }
  if (read_failed || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || result.empty()) {
    result.clear();
    return Isolated_End::Crashed;
  }
  const char first = result[0];
  result.erase(0, 1);
  return first == kChild_Out_Of_Memory ? Isolated_End::Out_Of_Memory : Isolated_End::Done;
}

void Widen_Isolation_Limits(uint64_t memory_bytes, unsigned cpu_seconds) {
  if (!in_isolated_child) return;
  // getrlimit and setrlimit: a soft limit may rise up to its hard one.
  struct rlimit limit {};
  if (memory_bytes > 0 && ::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    const uint64_t room = static_cast<uint64_t>(limit.rlim_max) - static_cast<uint64_t>(limit.rlim_cur);
    limit.rlim_cur += static_cast<rlim_t>(std::min(room, memory_bytes));
    ::setrlimit(RLIMIT_AS, &limit);
  }
  // The hard limit of processor time is a second past the ceiling (see
  // Set_Child_Limits), so that SIGXCPU, not SIGKILL, ends a runaway.
  if (cpu_seconds > 0 && ::getrlimit(RLIMIT_CPU, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      limit.rlim_max != RLIM_INFINITY && limit.rlim_max > 0) {
    const rlim_t most = limit.rlim_max - 1;
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_cur + cpu_seconds, most);
    ::setrlimit(RLIMIT_CPU, &limit);
  }
}
