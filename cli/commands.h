#pragma once
// The stl2bas subcommands: option tables and the work behind them. Each
// Add_* registers its subcommand; the returned function runs it and gives
// the exit code (0 done, 1 an input failed, 2 a usage error).

#include <functional>

#include <CLI/CLI.hpp>

#include "import/more_formats.h"

using Command_Run = std::function<int()>;

// `more` names the formats read beyond our own; it outlives the commands.
Command_Run Add_Convert_Command(CLI::App& app, const More_Formats& more);
Command_Run Add_Info_Command(CLI::App& app, const More_Formats& more);
Command_Run Add_Render_Command(CLI::App& app, const More_Formats& more);
