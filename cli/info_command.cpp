#include <cstdio>
#include <iostream>
#include <new>
#include <span>
#include <string>

#include <nlohmann/json.hpp>

#include "commands.h"
#include "core/float_text.h"
#include "core/line_numbering.h"
#include "import/read_input.h"
#include "input_choice.h"
#include "reading_options.h"
#include "shape/target_report.h"
#include "shape/tidy_mesh.h"
#include "shape_options.h"

namespace {

struct Info_Options {
  std::string input;
  bool json = false;
  bool dump = false;
  std::string from;
  std::string start = "10";
  std::string step = "1";
  uint64_t memory = 0;
  Shape_Option_Texts shape;
};

// What the target gets from the mesh after the options.
struct Target_Info {
  bool known = false;  // the mesh loaded (and the options applied)
  Target_Report target;
  int16_t start = 0;
  int16_t step = 0;
  int64_t points_collapsing = 0;
  int64_t faces_degenerate = 0;
  Shape_Report shape;
};

Target_Info Measure_Target(const MeshStore& store, const Shape_Report& shape, bool shaped) {
  Target_Info info;
  info.known = true;
  info.start = store.Basic_Line;
  info.step = store.Basic_Step;
  info.shape = shape;
  auto valid = [](auto span, int32_t last) { return span.first(std::min<size_t>(span.size(), last + 1)); };
  const auto points = valid(std::span<const Point3>(store.Pts_Optimized), store.Nb_Pts_Optimized);
  const auto faces = valid(std::span<const Face3>(store.Faces_Optimized), store.Nb_Faces);
  info.target = Report_Target(points, faces, store.Basic_Line, store.Basic_Step);
  if (shaped) {
    // What the tidy step merged and dropped.
    info.points_collapsing = shape.points_collapsing;
    info.faces_degenerate = shape.faces_degenerate;
  } else {
    const Tidy_Result tidy = Count_Tidy_Losses(points, faces);
    info.points_collapsing = tidy.points_collapsing;
    info.faces_degenerate = tidy.faces_degenerate;
  }
  return info;
}

std::string Bound_Text(double value) { return Shortest_Float_Text(static_cast<float>(value)); }

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

// The fields that say what the target gets, each after a comma.
void Print_Target_Json(std::ostream& out, const Target_Info& info) {
  out << ",\n  \"bounds\": ";
  if (!info.known || info.target.bounds.empty) {
    out << "null";
  } else {
    const Bounds3& box = info.target.bounds;
    out << "{\"min\": [" << Bound_Text(box.min[0]) << ", " << Bound_Text(box.min[1]) << ", "
        << Bound_Text(box.min[2]) << "], \"max\": [" << Bound_Text(box.max[0]) << ", " << Bound_Text(box.max[1])
        << ", " << Bound_Text(box.max[2]) << "]}";
  }
  auto number_or_null = [&](bool known, int64_t value) {
    return known ? std::to_string(value) : std::string("null");
  };
  out << ",\n  \"lines_needed\": " << number_or_null(info.known, info.target.lines_needed)
      << ",\n  \"lines_available\": "
      << number_or_null(info.known && info.target.lines_available >= 0, info.target.lines_available)
      << ",\n  \"points_collapsing\": " << number_or_null(info.known, info.points_collapsing)
      << ",\n  \"faces_degenerate\": " << number_or_null(info.known, info.faces_degenerate);
  if (info.shape.reduced) {
    char error[32];
    std::snprintf(error, sizeof error, "%.6g", info.shape.simplify_error);
    out << ",\n  \"faces_target\": " << info.shape.faces_target
        << ",\n  \"faces_achieved\": " << info.shape.faces_achieved << ",\n  \"simplify_error\": " << error;
  }
}

void Print_Target_Text(std::ostream& out, const Target_Info& info) {
  if (!info.known) return;
  const Bounds3& box = info.target.bounds;
  out << "  Bounds:                     ";
  if (box.empty) {
    out << "none (no point)\n";
  } else {
    const char* axis[3] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i)
      out << (i ? ", " : "") << axis[i] << " " << Bound_Text(box.min[i]) << " .. " << Bound_Text(box.max[i]);
    out << "\n";
  }
  out << "  BASIC lines:                " << info.target.lines_needed << " needed, ";
  if (info.target.lines_available < 0)
    out << "no limit";
  else
    out << info.target.lines_available << " available";
  out << " (from " << info.start << " by " << info.step << ")"
      << (Lines_Fit(info.target.lines_needed, info.target.lines_available) ? "" : ": too many, try --faces auto")
      << "\n";
  out << "  At one decimal:             " << info.points_collapsing << " points collapse, " << info.faces_degenerate
      << " faces lose their area" << (info.shape.tidied ? " (merged and dropped)" : "") << "\n";
  if (info.shape.faces_outside > 0)
    out << "  Dropped:                    " << info.shape.faces_outside
        << " faces naming a point the file does not have\n";
  if (info.shape.reduced) {
    char error[32];
    std::snprintf(error, sizeof error, "%.3g%%", 100 * info.shape.simplify_error);
    out << "  Reduced:                    to " << info.shape.faces_achieved << " faces (limit "
        << info.shape.faces_target << ", " << info.shape.faces_before << " before), error " << error
        << " of the model's size" << (info.shape.sloppy ? ", sloppy pass" : "") << "\n";
  }
}

int Run_Info(const Info_Options& options) {
  Input_Choice choice = Choose_Input(options.input, options.from);
  if (!choice.Chosen()) return 2;
  choice.memory_limit = options.memory;
  const Input_Kind kind = choice.kind;
  MeshStore store;
  store.File_Input = options.input;
  Outcome outcome;
  bool loaded = false;
  Target_Info target;
  int32_t normal_faces = 0;  // reducing changes only the optimized mesh
  const char* doing = "reading it";
  try {
    outcome = Read_Chosen_Input(store, choice);
    loaded = store.Object_Loaded && outcome.ok;
    normal_faces = store.Nb_Faces;
    if (loaded) {
      const Outcome numbering = Set_Line_Numbering(store, options.start, options.step);
      if (!numbering.ok) {
        std::cerr << options.input << ": " << numbering.message << "\n";
        return 1;
      }
      doing = "fitting the model";
      const Shape_Options shape = Read_Shape_Options(options.shape);
      Shape_Report report;
      outcome = Shape_Mesh(store, shape, report);
      loaded = outcome.ok;
      if (loaded) target = Measure_Target(store, report, shape.Any());
    }
  } catch (const std::bad_alloc&) {
    std::cerr << options.input << ": not enough memory while " << doing << "\n";
    return 1;
  }
  // What the window's "Number of Points" shows: a BASIC file's points are its only points.
  int32_t points = kind == Input_Kind::Bas ? store.Nb_Pts_Optimized : store.Nb_Pts_Normal;

  if (options.json) {
    std::ostream& out = std::cout;
    out << "{\n  \"file\": " << Json_String(options.input);
    if (!Is_Utf8(options.input)) Dump_Bytes(out, "file_bytes", options.input);
    out << ",\n  \"kind\": \"" << choice.Name() << "\"";
    // What the read found: the input's format and how many polygons it split into triangles.
    out << ",\n  \"format\": " << (store.Input_Format.empty() ? "null" : Json_String(store.Input_Format))
        << ",\n  \"polygons_split\": " << store.Polygons_Split;
    out << ",\n  \"loaded\": " << (loaded ? "true" : "false") << ",\n  \"faces\": " << store.Nb_Faces
        << ",\n  \"points\": " << points << ",\n  \"points_optimized\": " << store.Nb_Pts_Optimized
        << ",\n  \"message\": " << (outcome.ok ? std::string("null") : Json_String(outcome.message));
    Print_Target_Json(out, target);
    if (options.dump && loaded) {
      if (kind != Input_Kind::Bas) {
        Dump_Points(out, "pts_normal", store.Pts_Normal, store.Nb_Pts_Normal);
        Dump_Faces(out, "faces_normal", store.Faces_Normal, normal_faces);
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
    Print_Target_Text(std::cout, target);
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
  Add_Line_Number_Options(*command, options->start, options->step, " of the file");
  Add_Memory_Option(*command, options->memory);
  Add_Shape_Options(*command, options->shape);
  command->footer(std::string("Examples:\n"
                              "  stl2bas info cube.stl\n"
                              "  stl2bas info cube.bas --json --dump\n"
                              "  stl2bas info torus.stl --faces auto --start 100 --step 10\n\n") +
                  Shape_Options_Footer);
  return [options] { return Run_Info(*options); };
}
