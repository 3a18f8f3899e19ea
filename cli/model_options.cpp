#include "model_options.h"

#include "reading_options.h"

void Add_Model_Options(CLI::App& command, Model_Options& options, const More_Formats& more,
                       const std::string& numbering_note) {
  command
      .add_option("--from", options.from,
                  "The kind of the input: stl, ply, bas, or a format such as obj, off, 3mf, gltf, glb "
                  "(required for - , standard input)")
      ->check(CLI::Validator(
          [&more](std::string& value) {
            return Reads_Kind(value, more) ? std::string() : "not a mesh format stl2bas reads: " + value;
          },
          "FORMAT"));
  Add_Line_Number_Options(command, options.start, options.step, numbering_note);
  Add_Memory_Option(command, options.memory);
  Add_Shape_Options(command, options.shape);
}

Input_Choice Choose_Input_Or_Say(const std::string& input, const Model_Options& options, const More_Formats& more) {
  Outcome refused;
  const Input_Choice choice = Choose_Input(input, options.from, more, refused);
  if (!choice.Chosen()) std::cerr << refused.message << "\n";
  return choice;
}

Model_Request Model_Request_For(const Input_Choice& choice, const Model_Options& options, const More_Formats& more) {
  Model_Request request;
  request.choice = choice;
  request.more = &more;
  request.start = options.start;
  request.step = options.step;
  request.memory_limit = options.memory;
  request.shape = Read_Shape_Options(options.shape);
  return request;
}

void Say_Failed(const std::string& input, const Outcome& outcome) {
  std::cerr << input << ": " << (outcome.message.empty() ? "not loaded" : outcome.message) << "\n";
}
