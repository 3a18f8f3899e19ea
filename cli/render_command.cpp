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
#include "preview/png_picture.h"
#include "preview/svg_picture.h"
#include "preview/wireframe.h"
#include "shape_options.h"
#include "view_options.h"

namespace {

static_assert(int64_t{Max_Side} * Max_Side <= Png_Max_Pixels, "every size the command takes can be a PNG");

enum class Picture_Format { Svg, Png };

struct Render_Options {
  std::string input;
  std::string output;
  View_Option_Texts view;
  std::string from;
  std::string start = "10";
  std::string step = "1";
  Shape_Option_Texts shape;
};

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

int Draw_Picture(const Render_Options& options, const Input_Choice& kind, const View_Choice& view,
                 const char*& doing);

int Run_Render(const Render_Options& options) {
  const Input_Choice kind = Choose_Input(options.input, options.from);
  if (!kind.Chosen()) return 2;
  // A BASIC data file carries only the optimized mesh.
  const bool bas = kind.kind == Input_Kind::Bas;
  View_Choice view;
  if (!Read_View_Options(options.view, bas, view)) return 2;  // the option checks have passed
  if (view.show_normal && bas) {
    std::cerr << options.input << ": a BASIC data file has no normal mesh; use --mesh optimized\n";
    return 2;
  }
  const char* doing = "reading the mesh";
  try {
    return Draw_Picture(options, kind, view, doing);
  } catch (const std::bad_alloc&) {
    std::cerr << options.input << ": not enough memory while " << doing << "\n";
    return 1;
  }
}

// Reads the input and writes its picture; `doing` follows the steps.
int Draw_Picture(const Render_Options& options, const Input_Choice& kind, const View_Choice& view,
                 const char*& doing) {
  Picture_Format format{};
  // The option check has passed, so this parses.
  if (!Format_Of(options.output, format)) return 2;
  const bool show_normal = view.show_normal;
  const int width = view.width, height = view.height;

  MeshStore store;
  store.File_Input = options.input;
  // Reducing and tidying change only the optimized mesh: the normal mesh is
  // drawn turned and fitted alike, with all its faces.
  if (!Prepare_Mesh(store, kind, options.start, options.step, Read_Shape_Options(options.shape), show_normal, doing))
    return 1;
  store.Show_Normal = show_normal;
  Set_View(store, view.angles[0], view.angles[1], view.angles[2], view.zoom);
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
  Add_View_Options(*command, options->view);
  Add_From_Option(*command, options->from);
  command->add_option("--start", options->start, "First BASIC line number, for --faces auto (default 10)");
  command->add_option("--step", options->step, "Line number step, for --faces auto (default 1)");
  Add_Shape_Options(*command, options->shape);
  command->footer(std::string("Examples:\n"
                              "  stl2bas render cube.stl -o cube.svg\n"
                              "  stl2bas render bunny.ply -o bunny.png --angles 180,30,0 --zoom 20 --mesh optimized\n"
                              "  stl2bas render cube.bas -o cube.png --size 800x600\n"
                              "  stl2bas render bunny.ply -o bunny.png --up y --fit 400 --faces 1000\n\n") +
                  Shape_Options_Footer);
  return [options] { return Run_Render(*options); };
}
