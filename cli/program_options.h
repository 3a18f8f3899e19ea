#pragma once
// The options that shape the BASIC file beyond its mesh: --keyword-case and
// --line-length for every file, and --program with --dialect and the view
// options (as render takes them) for a file that is a whole viewer program.

#include <string>

#include <CLI/CLI.hpp>

#include "export/bas_format.h"
#include "view_options.h"

struct Program_Option_Texts {
  bool program = false;
  std::string dialect = "print";
  std::string keyword_case = "lower";
  int line_length = 0;  // 0: not given
  View_Option_Texts view;
};

// Registers the options on `command`; with `with_view` also the view
// options, which then need --program (--dialect always does).
void Add_Program_Options(CLI::App& command, Program_Option_Texts& texts, bool with_view);

// The file's format as the options ask for it; `bas_input`: the input is a
// BASIC data file, whose view defaults to the optimized mesh as in render.
Bas_Format Read_Program_Options(const Program_Option_Texts& texts, bool bas_input);

extern const char* const Program_Options_Footer;
