#pragma once
// Options every command shares with convert: the BASIC line numbering
// (--start, --step) and the memory the assimp formats' reader may take
// (--memory).

#include <cstdint>
#include <string>

#include <CLI/CLI.hpp>

// Registers --start and --step. Each must be a number (a usage error
// otherwise, where the window's text boxes read a leading number), and the
// step, rounded as the window rounds it, 1 or more: a step of 0 or below
// makes a file no BASIC reads back in order. `purpose` follows each help text.
void Add_Line_Number_Options(CLI::App& command, std::string& start, std::string& step, const std::string& purpose = "");

// Registers --memory MIB: the memory, in bytes, that reading one input of
// an assimp format may take (0 when not given: as the input's size allows).
void Add_Memory_Option(CLI::App& command, uint64_t& memory_bytes);
