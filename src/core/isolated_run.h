#pragma once
// Runs work that may crash (a library that reads untrusted files and is
// known to write outside its memory on some) in a child process, so that a
// crash becomes a message instead of ending the program. The child hands its
// result back as bytes through a pipe. Where there are no child processes
// (a Windows host) the work runs in this process.

#include <functional>
#include <string>

enum class Isolated_End {
  Done,         // the work returned; `result` holds its bytes
  Crashed,      // the child ended by a signal or without a result
  Out_Of_Memory,  // the work ran out of memory (std::bad_alloc)
  Not_Started,  // no child could be made
};

// Runs `work` apart and gives back the bytes it returned.
Isolated_End Run_Isolated(const std::function<std::string()>& work, std::string& result);
