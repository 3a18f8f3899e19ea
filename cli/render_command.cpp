#include <charconv>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "commands.h"
#include "core/file_extension.h"
#include "model/render_model.h"
#include "model_options.h"
#include "preview/png_picture.h"

namespace {

// The window's drawing area, Picture1: 7215 x 7095 twips at 15 twips a pixel.
constexpr int Default_Width = 481;
constexpr int Default_Height = 473;
// Large enough for any print, small enough that the PNG's pixels fit in memory.
constexpr int Max_Side = 8192;
static_assert(int64_t{Max_Side} * Max_Side <= Png_Max_Pixels, "every size the command takes can be a PNG");

struct Render_Options {
  std::string input;
  std::string output;
  std::string angles = "0,0,0";
  int zoom = 1;
  std::string size = std::to_string(Default_Width) + "x" + std::to_string(Default_Height);
  std::string mesh;  // empty: the default for the input's kind
  Model_Options model;
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

int Run_Render(const Render_Options& options, const More_Formats& more) {
  const Input_Choice choice = Choose_Input_Or_Say(options.input, options.model, more);
  if (!choice.Chosen()) return 2;
  // A BASIC data file carries only the optimized mesh.
  const bool bas = choice.kind == Input_Kind::Bas;
  const bool show_normal = options.mesh.empty() ? !bas : options.mesh == "normal";
  if (show_normal && bas) {
    std::cerr << options.input << ": a BASIC data file has no normal mesh; use --mesh optimized\n";
    return 2;
  }
  Picture_Request picture;
  int angles[3] = {};
  // The option checks have passed, so these parse.
  if (!Format_Of(options.output, picture.format) || !Parse_Angles(options.angles, angles) ||
      !Parse_Size(options.size, picture.width, picture.height))
    return 2;
  picture.angle_x = angles[0];
  picture.angle_y = angles[1];
  picture.angle_z = angles[2];
  picture.zoom = options.zoom;
  picture.show_normal = show_normal;
  picture.output = options.output;

  MeshStore store;
  store.File_Input = options.input;
  Model_Request request = Model_Request_For(choice, options.model, more);
  // Reducing and tidying change only the optimized mesh: the normal mesh is
  // drawn turned and fitted alike, with all its faces.
  request.normal_only = show_normal;
  const Model_Result loaded = Load_Model(store, request);
  if (!loaded.outcome.ok) {
    Say_Failed(options.input, loaded.outcome);
    return 1;
  }
  const Outcome drawn = Render_Model(store, picture);
  if (!drawn.ok) {
    // Memory is the input's trouble; anything else is the picture's, which
    // its message names.
    std::cerr << (drawn.out_of_memory ? options.input + ": " : std::string()) << drawn.message << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

Command_Run Add_Render_Command(CLI::App& app, const More_Formats& more) {
  auto options = std::make_shared<Render_Options>();
  CLI::App* command = app.add_subcommand(
      "render", "Draw the preview's wireframe of one input, as the window draws it, to an SVG or PNG file");
  command
      ->add_option("input", options->input, "An STL, PLY or BAS file, or OBJ, OFF, 3MF, glTF, ... (- for standard input)")
      ->required();
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
  Add_Model_Options(*command, options->model, more, ", for --faces auto");
  command->footer(std::string("Examples:\n"
                              "  stl2bas render cube.stl -o cube.svg\n"
                              "  stl2bas render bunny.ply -o bunny.png --angles 180,30,0 --zoom 20 --mesh optimized\n"
                              "  stl2bas render cube.bas -o cube.png --size 800x600\n"
                              "  stl2bas render bunny.ply -o bunny.png --up y --fit 400 --faces 1000\n\n") +
                  Shape_Options_Footer);
  return [options, &more] { return Run_Render(*options, more); };
}
