#pragma once
// Output that never leaves a half-written file. Text is buffered and written
// beside the target under a temporary name; Commit renames the complete file
// over the target, Abandon (or destruction without Commit) removes it, so an
// existing file of that name stays untouched until the new one is whole.
// Standard output is held back in memory until Commit for the same reason.

#include <string>
#include <string_view>

#include "core/flat_array.h"

class File_Sink {
 public:
  File_Sink() = default;
  File_Sink(const File_Sink&) = delete;
  File_Sink& operator=(const File_Sink&) = delete;
  ~File_Sink();

  // False when no file can be created beside `target`.
  bool Open(const std::string& target);
  void Open_Stdout();

  void Append(std::string_view text);
  // Flushes, then renames over the target (or writes standard output).
  // False when any write failed; the target is then untouched.
  bool Commit();
  void Abandon();

 private:
  bool Flush();

  std::string target_;
  std::string temp_;
  Flat_Array<char> buffer_;  // standard output: grows to hold everything
  size_t used_ = 0;
  int fd_ = -1;
  bool to_stdout_ = false;
  bool failed_ = false;
};
