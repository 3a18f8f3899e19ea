#pragma once
// The options every command takes about its input: --from, which names the
// input's kind instead of its name (required for "-", standard input).

#include <string>

#include <CLI/CLI.hpp>

#include "import/more_formats.h"

// Registers --from on the command, checked against the kinds read.
void Add_From_Option(CLI::App& command, std::string& from, const More_Formats& more);
