#include <charconv>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "export/file_sink.h"
#include "input_choice.h"
#include "prepare_mesh.h"
#include "reading_options.h"
#include "preview/png_picture.h"
#include "preview/svg_picture.h"
#include "preview/wireframe.h"
#include "shape_options.h"

namespace {

// The window's drawing area, Picture1: 7215 x 7095 twips at 15 twips a pixel.
constexpr int Default_Width = 481;
constexpr int Default_Height = 473;
// Large enough for any print, small enough that the PNG's pixels fit in memory.
constexpr int Max_Side = 8192;
static_assert(int64_t{Max_Side} * Max_Side <= Png_Max_Pixels, "every size the command takes can be a PNG");

enum class Picture_Format { Svg, Png };

struct Render_Options {
  std::string input;
  std::string output;
  std::string angles = "0,0,0";
  int zoom = 1;
  std::string size = std::to_string(Default_Width) + "x" + std::to_string(Default_Height);
  std::string mesh;  // empty: the default for the input's kind
  std::string from;
  std::string start = "10";
  std::string step = "1";
  uint64_t memory = 0;
  Shape_Option_Texts shape;
};

// A whole number with nothing before or after it, within min..max.
bool Parse_Whole(std::string_view text, int min, int max, int& value) {
  if (text.empty() || text.front() == '-' || text.front() == '+') return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size() && value >= min && value <= max;
}

bool Parse_Angles(std::string_view text, int angles[3]) {
  for (int i = 0; i < 3; ++i) {
    const size_t comma = i < 2 ? text.find(',') : text.size();
    if (comma == std::string_view::npos || !Parse_Whole(text.substr(0, comma), 0, 359, angles[i])) return false;
    text.remove_prefix(i < 2 ? comma + 1 : comma);
  }
  return true;
}

bool Parse_Size(std::string_view text, int& width, int& height) {
  const size_t x = text.find_first_of("xX");
  return x != std::string_view::npos && Parse_Whole(text.substr(0, x), 1, Max_Side, width) &&
         Parse_Whole(text.substr(x + 1), 1, Max_Side, height);
}

bool Format_Of(std::string_view output, Picture_Format& format) {
  if (Has_Extension(output, "SVG") && output.size() > 4 && output[output.size() - 4] == '.') {
    format = Picture_Format::Svg;
    return true;
  }
  if (Has_Extension(output, "PNG") && output.size() > 4 && output[output.size() - 4] == '.') {
    format = Picture_Format::Png;
    return true;
  }
  return false;
}

int Draw_Picture(const Render_Options& options, const Input_Choice& kind, bool show_normal, const char*& doing);

int Run_Render(const Render_Options& options) {
  Input_Choice kind = Choose_Input(options.input, options.from);
  if (!kind.Chosen()) return 2;
  kind.memory_limit = options.memory;
  // A BASIC data file carries only the optimized mesh.
  const bool bas = kind.kind == Input_Kind::Bas;
  const bool show_normal = options.mesh.empty() ? !bas : options.mesh == "normal";
  if (show_normal && bas) {
    std::cerr << options.input << ": a BASIC data file has no normal mesh; use --mesh optimized\n";
    return 2;
  }
  const char* doing = "reading the mesh";
  try {
    return Draw_Picture(options, kind, show_normal, doing);
  } catch (const std::bad_alloc&) {
    std::cerr << options.input << ": not enough memory while " << doing << "\n";
    return 1;
  }
}

// Reads the input and writes its picture; `doing` follows the steps.
int Draw_Picture(const Render_Options& options, const Input_Choice& kind, bool show_normal, const char*& doing) {
  Picture_Format format{};
  int angles[3] = {};
  int width = 0, height = 0;
  // The option checks have passed, so these parse.
  if (!Format_Of(options.output, format) || !Parse_Angles(options.angles, angles) ||
      !Parse_Size(options.size, width, height))
    return 2;

  MeshStore store;
  store.File_Input = options.input;
  // Reducing and tidying change only the optimized mesh: the normal mesh is
  // drawn turned and fitted alike, with all its faces.
  if (!Prepare_Mesh(store, kind, options.start, options.step, Read_Shape_Options(options.shape), show_normal, doing))
    return 1;
  store.Show_Normal = show_normal;
  Set_View(store, angles[0], angles[1], angles[2], options.zoom);
  Set_Drawing_Area(store, width, height);
  doing = "drawing the picture";
  std::vector<Segment> segments;
  Build_Wireframe(store, segments);

  const std::string picture =
      format == Picture_Format::Svg ? Svg_Picture(segments, width, height) : Png_Picture(segments, width, height);
  if (picture.empty()) {
    std::cerr << options.output << ": the picture could not be made\n";
    return 1;
  }
  doing = "writing the picture";
  // A picture never replaces the mesh it was drawn from.
  File_Sink sink;
  bool written = sink.Open(options.output, options.input);
  if (written) {
    sink.Append(picture);
    written = sink.Commit();
  }
  if (!written) {
    std::cerr << "Cannot write file: " << options.output << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

Command_Run Add_Render_Command(CLI::App& app) {
  auto options = std::make_shared<Render_Options>();
  CLI::App* command = app.add_subcommand(
      "render", "Draw the preview's wireframe of one input, as the window draws it, to an SVG or PNG file");
  command->add_option("input", options->input, "An STL, PLY or BAS file (- for standard input)")->required();
  command->add_option("-o,--output", options->output, "The picture: a .svg or .png file")
      ->required()
      ->check(
          [](const std::string& text) {
            Picture_Format format;
            return Format_Of(text, format) ? std::string() : "the output must end in .svg or .png";
          },
          "OUT.svg|OUT.png");
  command
      ->add_option("--angles", options->angles,
                   "Turns about X, Y and Z in whole degrees 0..359 (default 0,0,0)")
      ->check(
          [](const std::string& text) {
            int angles[3];
            return Parse_Angles(text, angles) ? std::string() : "angles are three whole degrees 0..359: X,Y,Z";
          },
          "X,Y,Z");
  command->add_option("--zoom", options->zoom, "Pixels per model unit, 1..20 (default 1)")
      ->check(CLI::Range(1, 20));
  command
      ->add_option("--size", options->size,
                   "The drawing area in pixels (default " + std::to_string(Default_Width) + "x" +
                       std::to_string(Default_Height) + ", the window's)")
      ->check(
          [](const std::string& text) {
            int width, height;
            return Parse_Size(text, width, height)
                       ? std::string()
                       : "the size is WxH, each 1.." + std::to_string(Max_Side) + " pixels";
          },
          "WxH");
  command
      ->add_option("--mesh", options->mesh,
                   "normal (every face) or optimized (front faces only); default normal, optimized for BAS")
      ->check(CLI::IsMember({"normal", "optimized"}));
  Add_From_Option(*command, options->from);
  Add_Line_Number_Options(*command, options->start, options->step, ", for --faces auto");
  Add_Memory_Option(*command, options->memory);
  Add_Shape_Options(*command, options->shape);
  command->footer(std::string("Examples:\n"
                              "  stl2bas render cube.stl -o cube.svg\n"
                              "  stl2bas render bunny.ply -o bunny.png --angles 180,30,0 --zoom 20 --mesh optimized\n"
                              "  stl2bas render cube.bas -o cube.png --size 800x600\n"
                              "  stl2bas render bunny.ply -o bunny.png --up y --fit 400 --faces 1000\n\n") +
                  Shape_Options_Footer);
  return [options] { return Run_Render(*options); };
}
