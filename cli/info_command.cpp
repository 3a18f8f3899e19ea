#include <iostream>
#include <string>

#include <nlohmann/json.hpp>

#include "commands.h"
#include "core/float_text.h"
#include "import/read_input.h"

namespace {

struct Info_Options {
  std::string input;
  bool json = false;
  bool dump = false;
};

// A JSON string of any bytes. nlohmann-json escapes what JSON requires and
// writes U+FFFD for each byte that is not part of UTF-8 (a file name may
// hold any bytes, and messages quote names and file contents), so the
// output always parses.
std::string Json_String(std::string_view text) {
  return nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool Is_Utf8(std::string_view text) {
  try {
    (void)nlohmann::json(std::string(text)).dump();
    return true;
  } catch (const nlohmann::json::type_error&) {  // the library's answer to bytes that are not UTF-8
    return false;
  }
}

// A name that is not UTF-8 also as its bytes, so that a script can still
// open the very file.
void Dump_Bytes(std::ostream& out, const char* name, std::string_view bytes) {
  out << ",\n  " << Json_String(name) << ": [";
  for (size_t i = 0; i < bytes.size(); ++i) out << (i ? ", " : "") << int{static_cast<unsigned char>(bytes[i])};
  out << "]";
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
  Input_Kind kind = Kind_Of_Input(options.input);
  if (kind == Input_Kind::Unsupported) {
    std::cerr << "unsupported input: " << options.input << "\n";
    return 2;
  }
  MeshStore store;
  store.File_Input = options.input;
  Outcome outcome = Read_Input(store, kind);
  bool loaded = store.Object_Loaded && outcome.ok;
  // What the window's "Number of Points" shows: a BASIC file's points are its only points.
  int32_t points = kind == Input_Kind::Bas ? store.Nb_Pts_Optimized : store.Nb_Pts_Normal;

  if (options.json) {
    std::ostream& out = std::cout;
    out << "{\n  \"file\": " << Json_String(options.input);
    if (!Is_Utf8(options.input)) Dump_Bytes(out, "file_bytes", options.input);
    out << ",\n  \"kind\": \"" << Kind_Name(kind)
        << "\",\n  \"loaded\": " << (loaded ? "true" : "false") << ",\n  \"faces\": " << store.Nb_Faces
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
    std::cout << options.input << " (" << Kind_Name(kind) << "): " << (loaded ? "loaded" : "not loaded")
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
  command->add_option("input", options->input, "An STL, PLY or BAS file")->required();
  command->add_flag("--json", options->json, "Print one JSON object");
  command->add_flag("--dump", options->dump, "With --json: add the points and faces of each mesh");
  command->footer(
      "Examples:\n"
      "  stl2bas info cube.stl\n"
      "  stl2bas info cube.bas --json --dump\n");
  return [options] { return Run_Info(*options); };
}
