#pragma once
// Which reader an input gets. By default the last three letters of its
// name decide, as the window's open buttons do ("STL", "PLY", "BAS");
// --from names the kind instead, and is required for "-" (standard input),
// which has no name to go by.

#include <string>

#include <CLI/CLI.hpp>

#include "import/input_kind.h"

// Registers --from on the command.
void Add_From_Option(CLI::App& command, std::string& from);

// The kind of `input`, or Input_Kind::Unsupported after printing why on
// standard error (a usage error).
Input_Kind Choose_Input_Kind(const std::string& input, const std::string& from);
