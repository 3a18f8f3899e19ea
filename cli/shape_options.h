#pragma once
// The options that fit a model for the Korvane 3D (--up, --fit, --faces,
// --clean), shared by convert, info and render: one table, one reading.

#include <string>

#include <CLI/CLI.hpp>

#include "shape/shape_mesh.h"
#include "shape/target_report.h"

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

// After a failed save: when the file needs more lines than the numbering
// from `start` by `step` leaves ("Too many lines for the BASIC line
// numbers"), prints a second line with both numbers and the way out;
// otherwise nothing.
void Explain_Too_Many_Lines(std::ostream& out, const Target_Report& target, int16_t start, int16_t step);

// After a save without fitting options: when `losing` of the file's `faces`
// lose their area at one decimal, prints a warning naming how many and the
// cure; otherwise nothing.
void Warn_Faces_Losing_Area(std::ostream& out, const std::string& input, int64_t losing, int64_t faces);

extern const char* const Shape_Options_Footer;
