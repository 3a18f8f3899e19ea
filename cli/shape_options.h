#pragma once
// The options that fit a model for the Korvane 3D (--up, --fit, --faces,
// --clean), shared by convert, info and render: one table, one reading.

#include <string>

#include <CLI/CLI.hpp>

#include "core/mesh_store.h"
#include "shape/shape_mesh.h"

struct Shape_Option_Texts {
  std::string up;
  std::string fit;
  std::string faces;
  bool clean = false;
};

// Registers the four options with their checks on `command`.
void Add_Shape_Options(CLI::App& command, Shape_Option_Texts& texts);

// The options as given (their checks have passed).
Shape_Options Read_Shape_Options(const Shape_Option_Texts& texts);

// After a failed save: when the optimized mesh needs more lines than the
// numbering leaves ("Too many lines for the BASIC line numbers"), prints a
// second line with both numbers and the way out; otherwise nothing.
void Explain_Too_Many_Lines(std::ostream& out, const MeshStore& store);

// After a save without fitting options: when faces of the optimized mesh
// lose their area at one decimal, prints a warning naming how many and the
// cure; otherwise (or when memory runs out counting them) nothing.
void Warn_Faces_Losing_Area(std::ostream& out, const MeshStore& store);

extern const char* const Shape_Options_Footer;
