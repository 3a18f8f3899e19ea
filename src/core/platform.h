#pragma once
// The platform file: everything the converter asks of the operating system
// beyond standard C++, in one place. Nothing else in the tree knows which
// system it runs on.
//
// Three implementations share this interface, one of which CMake builds:
// platform_posix.cpp (Linux, macOS, the BSDs), platform_windows.cpp, and
// platform_portable.cpp, standard C++ alone, for any other system. The
// portable one keeps every promise it can keep with the standard library
// (links followed, streams written in place, the input never replaced) and
// says in its comments which it cannot (a sync to disk, an atomic replace);
// KORVANE_PORTABLE_PLATFORM builds it on Linux too, so that the test suite
// runs over it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#if defined(_MSC_VER) && !defined(__clang__)
#include <xmmintrin.h>
#endif

// ---- Memory ---------------------------------------------------------------

// A block of `bytes` zero bytes; throws std::bad_alloc when memory runs out.
// `reserved` receives what Release_Zeroed needs to hand it back. Large
// blocks come straight from the system where it can give zeroed pages (and
// huge pages) without touching them; small ones from calloc.
void* Acquire_Zeroed(size_t bytes, size_t& reserved);
void Release_Zeroed(void* block, size_t reserved);
// Hands back the whole pages of a block beyond its first `keep` bytes, where
// it has any to give; `reserved` is updated. Returns how many bytes the
// block still holds (at least `keep`), or 0 when nothing could be given back.
size_t Trim_Zeroed(void* block, size_t& reserved, size_t keep);

// Asks for the memory at `address` to be fetched into the caches ahead of
// its use: a lookup into a large table misses the caches on every probe.
// A hint only; where the compiler has no way to give it, nothing happens.
inline void Prefetch(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(address);
#elif defined(_MSC_VER)
  _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
  (void)address;
#endif
}

// ---- Two threads -------------------------------------------------------------

// Runs `here` in this thread and `beside` in a second one at the same time,
// and returns when both are done. Where the build has no threads (the
// WebAssembly one), the machine has one core or no thread can be had, runs
// `here` and then `beside` in this thread: the two must not depend on which
// runs first, so the result is the same either way.
void Run_Side_By_Side(const std::function<void()>& here, const std::function<void()>& beside);

// ---- The program's start --------------------------------------------------

// The command line's arguments as UTF-8, the program's name first.
std::vector<std::string> Program_Arguments(int argc, char** argv);

// ---- Standard streams -----------------------------------------------------

// Makes the standard streams carry bytes as they are: on Windows they would
// turn LF into CR LF and stop at a ^Z. A write to a closed pipe fails (and
// does not end the program). Called once, first thing.
void Use_Binary_Standard_Streams();

// Writes to standard output unbuffered; false when it cannot be written.
bool Write_Standard_Output(const char* data, size_t size);

// ---- Files written ----------------------------------------------------------

// What saving to a path would reach, every link followed.
struct Save_Target {
  enum class Kind {
    Cannot,   // refused: no such folder, a folder, a socket, no permission, the input itself...
    Replace,  // a regular file (or a new name): written beside it, then renamed over it
    Stream,   // a FIFO or a character device: written to in place, never replaced
  };
  Kind kind = Kind::Cannot;
  std::string final_path;  // with Replace: the file replaced, links followed
};

// Looks at `target` for a save. `keep` names the input being converted ("-":
// standard input): a target that is that same file (through a link or a
// second name too) is refused. An existing file the user may not write is refused, as the
// shell's `>` refuses it.
Save_Target Examine_Save_Target(const std::string& target, const std::string& keep);

// A file being written.
struct Output_File {
  intptr_t handle = -1;   // the system's handle; -1 when closed
  std::string temp_path;  // the replacement being written, "" when written in place
  std::string final_path;
  int cleanup_slot = -1;  // where an interrupt finds temp_path
};

// Creates the replacement of target.final_path under a short temporary
// name in the same folder, with the permission bits (and, where the saver
// may, the owner) of the file it replaces. While it exists an interrupt
// (Ctrl+C, SIGTERM) removes it before the program ends. False when it
// cannot be made.
bool Open_Replacement(const Save_Target& target, Output_File& file);

// Opens a FIFO or a character device to be written in place.
bool Open_In_Place(const std::string& path, Output_File& file);

// Writes every byte; false when the system refuses one.
bool Write_Output(Output_File& file, const char* data, size_t size);

// Ends the write. A replacement reaches the disk before it is renamed over
// its target in one step (the target is the old file or the new one, never
// a mixture), then the folder's entry is synced; on any failure it is
// removed and the target stays as it was. False when any step failed.
bool Close_Output(Output_File& file);

// Closes without completing: a replacement is removed.
void Discard_Output(Output_File& file);

// ---- Work run apart ---------------------------------------------------------

enum class Isolated_End {
  Done,           // the work returned; `result` holds its bytes
  Crashed,        // the work ended by a signal, or without a result
  Out_Of_Memory,  // the work ran out of memory (std::bad_alloc), or past its memory limit
  Out_Of_Time,    // the work used up its processor time
  Not_Started,    // the system could make no child process (too many processes): nothing ran
};

// How much the work may take. The work may widen its limits up to their
// ceilings (Widen_Isolation_Limits) as it learns what it needs.
struct Isolation_Limits {
  // The address space it may take beyond what this process holds when it
  // starts; 0: no limit of our own.
  uint64_t memory_bytes = 0;
  uint64_t memory_ceiling = 0;  // 0: memory_bytes
  unsigned cpu_seconds = 0;     // its processor time; 0: no limit
  unsigned cpu_ceiling = 0;     // 0: cpu_seconds
};

// Runs work that may crash (a library that reads untrusted files and is
// known to write outside its memory on some) in a child process, within
// the limits, so that a crash, a runaway allocation or an endless loop
// becomes an outcome instead of the end of the program. The child ends with
// this process, however this process ends, and hands its result back as
// bytes. Where the system has no child processes (Windows, standard C++
// alone) the work runs in this process, without the limits. Where it has
// them but cannot make one now, nothing runs (Not_Started): the limits are
// the point of running apart.
Isolated_End Run_Isolated(const std::function<std::string()>& work, std::string& result,
                          const Isolation_Limits& limits);

// Called by work run apart: it may take `memory_bytes` more memory and
// `cpu_seconds` more processor time, within its ceilings. Anywhere else it
// does nothing.
void Widen_Isolation_Limits(uint64_t memory_bytes, unsigned cpu_seconds);
