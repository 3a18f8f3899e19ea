#include <iostream>
#include <new>
#include <string>

#include "commands.h"
#include "core/float_text.h"
#include "import/read_input.h"
#include "input_choice.h"

namespace {

struct Info_Options {
  std::string input;
  bool json = false;
  bool dump = false;
  std::string from;
};

std::string Json_String(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

void Dump_Points(std::ostream& out, const char* name, std::span<const Point3> points, int32_t last) {
  out << ",\n  " << Json_String(name) << ": [";
  for (int32_t i = 0; i <= last; ++i) {
    const Point3& p = points[i];
    out << (i ? ", " : "") << "[" << Shortest_Float_Text(p.X) << ", " << Shortest_Float_Text(p.Y) << ", "
        << Shortest_Float_Text(p.Z) << "]";
  }
  out << "]";
}

void Dump_Faces(std::ostream& out, const char* name, std::span<const Face3> faces, int32_t last) {
  out << ",\n  " << Json_String(name) << ": [";
  for (int32_t i = 0; i <= last; ++i)
    out << (i ? ", " : "") << "[" << faces[i].A << ", " << faces[i].B << ", " << faces[i].C << "]";
  out << "]";
}

int Run_Info(const Info_Options& options) {
  const Input_Choice choice = Choose_Input(options.input, options.from);
  if (!choice.Chosen()) return 2;
  const Input_Kind kind = choice.kind;
  MeshStore store;
  store.File_Input = options.input;
  Outcome outcome;
  try {
    outcome = Read_Chosen_Input(store, choice);
  } catch (const std::bad_alloc&) {
    std::cerr << options.input << ": not enough memory while reading it\n";
    return 1;
  }
  bool loaded = store.Object_Loaded && outcome.ok;
  // What the window's "Number of Points" shows: a BASIC file's points are its only points.
  int32_t points = kind == Input_Kind::Bas ? store.Nb_Pts_Optimized : store.Nb_Pts_Normal;

  if (options.json) {
    std::ostream& out = std::cout;
    out << "{\n  \"file\": " << Json_String(options.input) << ",\n  \"kind\": \"" << choice.Name() << "\"";
    // What the read found: the input's format and how many polygons it split into triangles.
    out << ",\n  \"format\": " << (store.Input_Format.empty() ? "null" : Json_String(store.Input_Format))
        << ",\n  \"polygons_split\": " << store.Polygons_Split;
    out << ",\n  \"loaded\": " << (loaded ? "true" : "false") << ",\n  \"faces\": " << store.Nb_Faces
        << ",\n  \"points\": " << points << ",\n  \"points_optimized\": " << store.Nb_Pts_Optimized
        << ",\n  \"message\": " << (outcome.ok ? std::string("null") : Json_String(outcome.message));
    if (options.dump && loaded) {
      if (kind != Input_Kind::Bas) {
        Dump_Points(out, "pts_normal", store.Pts_Normal, store.Nb_Pts_Normal);
        Dump_Faces(out, "faces_normal", store.Faces_Normal, store.Nb_Faces);
      }
      Dump_Points(out, "pts_optimized", store.Pts_Optimized, store.Nb_Pts_Optimized);
      Dump_Faces(out, "faces_optimized", store.Faces_Optimized, store.Nb_Faces);
    }
    out << "\n}\n";
  } else {
    std::cout << options.input << " (" << choice.Name() << "): " << (loaded ? "loaded" : "not loaded")
              << "\n";
    if (!outcome.ok) std::cout << "  " << outcome.message << "\n";
    // The window's captions are last indices; the counts are one more.
    std::cout << "  Number of Faces:            " << store.Nb_Faces << "  (" << int64_t{store.Nb_Faces} + 1
              << " faces)\n"
              << "  Number of Points:           " << points << "  (" << int64_t{points} + 1 << " points)\n"
              << "  Number of Points Optimized: " << store.Nb_Pts_Optimized << "  ("
              << int64_t{store.Nb_Pts_Optimized} + 1 << " points)\n";
  }
  return loaded ? 0 : 1;
}

}  // namespace

Command_Run Add_Info_Command(CLI::App& app) {
  auto options = std::make_shared<Info_Options>();
  CLI::App* command = app.add_subcommand("info", "Load one input and report what the window would show");
  command->add_option("input", options->input, "An STL, PLY or BAS file, or OBJ, OFF, 3MF, glTF, ... (- for standard input)")->required();
  command->add_flag("--json", options->json, "Print one JSON object");
  command->add_flag("--dump", options->dump, "With --json: add the points and faces of each mesh");
  Add_From_Option(*command, options->from);
  command->footer(
      "Examples:\n"
      "  stl2bas info cube.stl\n"
      "  stl2bas info cube.bas --json --dump\n");
  return [options] { return Run_Info(*options); };
}
