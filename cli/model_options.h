#pragma once
// The options every command takes about the model it reads: --from (the
// input's kind, instead of its name; required for "-", standard input),
// --start and --step (the BASIC line numbering, read as the window reads its
// two text boxes), --memory (what reading an assimp format may take), and
// the options that fit the model for the target.

#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "import/more_formats.h"
#include "model/input_choice.h"
#include "model/load_model.h"
#include "shape_options.h"

struct Model_Options {
  std::string from;
  std::string start = "10";
  std::string step = "1";
  uint64_t memory = 0;  // bytes a further format's reader may take (--memory); 0: as the input allows
  Shape_Option_Texts shape;
};

// Registers the options on the command; `numbering_note` follows the help of
// --start and --step (", for --faces auto").
void Add_Model_Options(CLI::App& command, Model_Options& options, const More_Formats& more,
                       const std::string& numbering_note = "");

// The kind of `input`; not Chosen after printing why on standard error (a
// usage error).
Input_Choice Choose_Input_Or_Say(const std::string& input, const Model_Options& options, const More_Formats& more);

// What Load_Model is asked for `choice` with these options.
Model_Request Model_Request_For(const Input_Choice& choice, const Model_Options& options, const More_Formats& more);

// Prints why a step failed, naming the input.
void Say_Failed(const std::string& input, const Outcome& outcome);
