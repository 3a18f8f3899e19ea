#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "commands.h"
#include "core/file_extension.h"
#include "model/render_model.h"
#include "model_options.h"
#include "preview/png_picture.h"
#include "view_options.h"

namespace {

static_assert(int64_t{Max_Side} * Max_Side <= Png_Max_Pixels, "every size the command takes can be a PNG");

struct Render_Options {
  std::string input;
  std::string output;
  View_Option_Texts view;
  Model_Options model;
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

int Run_Render(const Render_Options& options, const More_Formats& more) {
  const Input_Choice choice = Choose_Input_Or_Say(options.input, options.model, more);
  if (!choice.Chosen()) return 2;
  // A BASIC data file carries only the optimized mesh; after fitting, the
  // optimized mesh is what a file would hold.
  const bool bas = choice.kind == Input_Kind::Bas;
  const bool shaped = Read_Shape_Options(options.model.shape).Any();
  View_Choice view;
  if (!Read_View_Options(options.view, bas || shaped, view)) return 2;  // the option checks have passed
  const bool show_normal = view.show_normal;
  if (show_normal && bas) {
    std::cerr << options.input << ": a BASIC data file has no normal mesh; use --mesh optimized\n";
    return 2;
  }
  Picture_Request picture;
  // The option check has passed, so this parses.
  if (!Format_Of(options.output, picture.format)) return 2;
  Copy_View(view, picture);
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
  Add_View_Options(*command, options->view,
                   "default normal, optimized for BAS or with --up, --fit, --faces or --clean");
  Add_Model_Options(*command, options->model, more, ", for --faces auto");
  command->footer(std::string("Examples:\n"
                              "  stl2bas render cube.stl -o cube.svg\n"
                              "  stl2bas render bunny.ply -o bunny.png --angles 180,30,0 --zoom 20 --mesh optimized\n"
                              "  stl2bas render cube.bas -o cube.png --size 800x600\n"
                              "  stl2bas render bunny.ply -o bunny.png --up y --fit 400 --faces 1000\n\n") +
                  Shape_Options_Footer);
  return [options, &more] { return Run_Render(*options, more); };
}
