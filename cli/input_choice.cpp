#include "input_choice.h"

#include <filesystem>
#include <iostream>

#include "import/read_input.h"
#include "assimp_bridge/read_scene.h"

namespace {

// The text after the name's last dot, or "".
std::string Extension_Of(const std::string& input) {
  const std::string file = std::filesystem::path(input).filename().string();
  const size_t dot = file.rfind('.');
  return dot == std::string::npos ? std::string() : file.substr(dot + 1);
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

std::string Input_Choice::Name() const { return scene_format.empty() ? std::string(Kind_Name(kind)) : scene_format; }

void Add_From_Option(CLI::App& command, std::string& from) {
  command
      .add_option("--from", from,
                  "The kind of the input: stl, ply, bas, or a format such as obj, off, 3mf, gltf, glb "
                  "(required for - , standard input)")
      ->check(CLI::Validator(
          [](std::string& value) {
            const std::string kind = Lower(value);
            if (kind == "stl" || kind == "ply" || kind == "bas" || Reads_Scene_Format(kind)) return std::string();
            return "not a mesh format stl2bas reads: " + value;
          },
          "FORMAT"));
}

Input_Choice Choose_Input(const std::string& input, const std::string& from) {
  Input_Choice choice;
  if (!from.empty()) {
    const std::string kind = Lower(from);
    choice.kind = kind == "stl" ? Input_Kind::Stl : kind == "ply" ? Input_Kind::Ply : kind == "bas" ? Input_Kind::Bas
                                                                                                     : Input_Kind::Unsupported;
    if (choice.kind == Input_Kind::Unsupported) choice.scene_format = kind;
    return choice;
  }
  if (input == "-") {
    std::cerr << "standard input (-) needs --from (stl, ply, bas, obj, ...)\n";
    return choice;
  }
  // Our own readers first: "mystl" is an STL name, as the window sees it.
  choice.kind = Kind_Of_Input(input);
  if (choice.kind != Input_Kind::Unsupported) return choice;
  const std::string extension = Lower(Extension_Of(input));
  if (Reads_Scene_Format(extension)) {
    choice.scene_format = extension;
    return choice;
  }
  std::cerr << "unsupported input: " << input << "\n";
  return choice;
}

Outcome Read_Chosen_Input(MeshStore& store, const Input_Choice& choice) {
  if (choice.scene_format.empty()) return Read_Input(store, choice.kind);
  Scene_Input scene;
  scene.format = choice.scene_format;
  scene.memory_limit = choice.memory_limit;
  if (store.File_Input != "-") scene.folder = std::filesystem::path(store.File_Input).parent_path().string();
  if (store.File_Input != "-" && scene.folder.empty()) scene.folder = ".";
  const Mesh_Reader reader = [&scene](Byte_Source& source, const std::string& name, Mesh_Arrays& mesh,
                                      Progress* progress) { return Read_Scene(source, name, mesh, progress, scene); };
  return Read_Input_With(store, reader, Read_Scope::Normal_And_Optimized);
}
