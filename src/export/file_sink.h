#pragma once
// The one way every file is written: the window's save, `stl2bas convert`
// and `stl2bas render` alike. Saving never harms what is there:
//
// - A regular file (or a new name) is written beside its target under a
//   short temporary name, flushed to the disk, and renamed over the target
//   only once complete; a failed or abandoned write removes the temporary
//   file and leaves the old one as it was. The replaced file keeps its
//   permission bits (and, where the saver may, its owner).
// - A symbolic link is followed to its final target, which is replaced; the
//   link stays a link and points at the new content.
// - A FIFO or a character device (/dev/null, a terminal) is written to
//   directly, never replaced; the text is held back until Commit so that a
//   refused write sends nothing. Any other kind of file (a folder, a block
//   device, a socket) is refused.
// - An existing file the user may not write is refused, as the shell's `>`
//   refuses it, even where its folder would let it be replaced.
// - `keep` names a file that must never be replaced, the input being
//   converted: a target that is that same file (also through a link or a
//   second name) is refused.
// - SIGINT, SIGTERM or SIGHUP during a write removes the temporary file
//   before the program ends as the signal would have ended it.
//
// Standard output is held back in memory until Commit for the same reason as
// a FIFO. Refusals happen in Open; nothing on disk changes on a refusal.

#include <string>
#include <string_view>

#include "core/flat_array.h"
#include "core/platform.h"

class File_Sink {
 public:
  File_Sink() = default;
  File_Sink(const File_Sink&) = delete;
  File_Sink& operator=(const File_Sink&) = delete;
  ~File_Sink();

  // False when `target` cannot or must not be written (see above).
  bool Open(const std::string& target, const std::string& keep = {});
  void Open_Stdout();

  void Append(std::string_view text);
  // Completes the write: flushes, syncs and renames over the target (or
  // writes the held text to the FIFO, device or standard output). False
  // when any write failed; a replaced target is then untouched.
  bool Commit();
  void Abandon();

 private:
  enum class Mode { Closed, Replace, Direct, Stdout };
  bool Flush();

  Output_File file_;
  Flat_Array<char> buffer_;  // held text: a block for Replace, everything otherwise
  size_t used_ = 0;
  Mode mode_ = Mode::Closed;
  bool failed_ = false;
};
