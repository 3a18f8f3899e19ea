#include "input_options.h"

#include "model/input_choice.h"

void Add_From_Option(CLI::App& command, std::string& from, const More_Formats& more) {
  command
      .add_option("--from", from,
                  "The kind of the input: stl, ply, bas, or a format such as obj, off, 3mf, gltf, glb "
                  "(required for - , standard input)")
      ->check(CLI::Validator(
          [&more](std::string& value) {
            return Reads_Kind(value, more) ? std::string() : "not a mesh format stl2bas reads: " + value;
          },
          "FORMAT"));
}
