#pragma once
// The fuzz input as a file that the readers open by path, as they open a file
// the user chose: one memory file per process, rewritten for every input and
// named by its /proc/self/fd path, so fuzzing never touches the disk.

#include <cstddef>
#include <cstdint>
#include <string>

// Replaces the memory file's bytes with `data`; returns its path.
std::string Fuzz_Input_Path(const uint8_t* data, size_t size);

// A folder of this process's own for files that a target writes, in
// /dev/shm where there is one (removed when the process exits normally).
const std::string& Fuzz_Output_Folder();

// Every byte of a file, or false when it cannot be read.
bool Read_Whole_File(const std::string& path, std::string& bytes);
