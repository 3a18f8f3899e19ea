#pragma once
// The view of the preview as the window's scroll bars set it (--angles,
// --zoom), the drawing area (--size) and the mesh drawn (--mesh): one table
// for render and for convert's viewer program.

#include <cstdint>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

// The window's drawing area, Picture1: 7215 x 7095 twips at 15 twips a pixel.
constexpr int Default_Width = 481;
constexpr int Default_Height = 473;
// Large enough for any print, small enough that a picture's pixels fit in memory.
constexpr int Max_Side = 8192;

struct View_Option_Texts {
  std::string angles = "0,0,0";
  int zoom = 1;
  std::string size = std::to_string(Default_Width) + "x" + std::to_string(Default_Height);
  std::string mesh;  // empty: the default for the input's kind
};

struct View_Choice {
  int angles[3] = {};
  int zoom = 1;
  int width = Default_Width;
  int height = Default_Height;
  bool show_normal = true;
};

// Registers the four options with their checks; returns them. `mesh_default`
// ends the help of --mesh, saying which mesh is drawn without it.
std::vector<CLI::Option*> Add_View_Options(CLI::App& command, View_Option_Texts& texts,
                                           const std::string& mesh_default = "default normal, optimized for BAS");

// The options as given; without --mesh the optimized mesh is drawn when
// `optimized_by_default` (a BASIC data file, which has only that one). False
// only for texts that fail the checks.
bool Read_View_Options(const View_Option_Texts& texts, bool optimized_by_default, View_Choice& view);

// Copies the angles, the zoom and the drawing area into what is drawn with
// them: a picture's request or a viewer program's settings, which name them
// alike. The mesh drawn is the caller's to copy, as each names it.
template <typename Drawn>
void Copy_View(const View_Choice& view, Drawn& drawn) {
  drawn.angle_x = view.angles[0];
  drawn.angle_y = view.angles[1];
  drawn.angle_z = view.angles[2];
  drawn.zoom = view.zoom;
  drawn.width = view.width;
  drawn.height = view.height;
}
