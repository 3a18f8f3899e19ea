#include "input_choice.h"

#include <iostream>

void Add_From_Option(CLI::App& command, std::string& from) {
  command.add_option("--from", from, "The kind of the input: stl, ply or bas (required for - , standard input)")
      ->check(CLI::IsMember({"stl", "ply", "bas"}));
}

Input_Kind Choose_Input_Kind(const std::string& input, const std::string& from) {
  if (!from.empty()) return from == "stl" ? Input_Kind::Stl : from == "ply" ? Input_Kind::Ply : Input_Kind::Bas;
  if (input == "-") {
    std::cerr << "standard input (-) needs --from stl, ply or bas\n";
    return Input_Kind::Unsupported;
  }
  const Input_Kind kind = Kind_Of_Input(input);
  if (kind == Input_Kind::Unsupported) std::cerr << "unsupported input: " << input << "\n";
  return kind;
}
