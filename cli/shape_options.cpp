#include "shape_options.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>

#include <fast_float/fast_float.h>

namespace {

// A number with nothing before or after it.
bool Parse_Size(const std::string& text, double& size) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = fast_float::from_chars(text.data(), end, size);
  return error == std::errc{} && stop == end && std::isfinite(size) && size > 0 && size <= FLT_MAX;
}

bool Parse_Face_Limit(const std::string& text, size_t& count) {
  if (text == "auto" || text == "max") return true;
  int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end || value < 1 || value > INT32_MAX) return false;
  count = static_cast<size_t>(value);
  return true;
}

}  // namespace

const char* const Shape_Options_Footer =
    "Fitting a model for the Korvane 3D (applied after the merge, in this order):\n"
    "  --up y --fit 400 --faces 2000    stand a Y-up model upright, 400 units across, at most 2000 faces\n"
    "  --faces auto                     as many faces as draw legibly (about a thousand for a closed\n"
    "                                   model; 500 x its area / its largest side squared), within the\n"
    "                                   line numbers from --start by --step\n"
    "  --faces max                      as many faces as the line numbers allow\n"
    "  Any of them also rounds the points to the tenth the file holds, merges the points that\n"
    "  then print alike and drops faces of zero area and unused points (--clean does only this).\n";

void Add_Shape_Options(CLI::App& command, Shape_Option_Texts& texts) {
  command
      .add_option("--up", texts.up,
                  "Turn the model so that AXIS (x, y, z, -x, -y, -z) points up on the target's screen: "
                  "y for Y-up models (Blender, glTF), z for Z-up CAD models")
      ->check(
          [](const std::string& text) {
            Up_Axis axis;
            return Parse_Up_Axis(text, axis) ? std::string() : "the axis is one of x, y, z, -x, -y, -z";
          },
          "AXIS");
  command
      .add_option("--fit", texts.fit,
                  "Centre the model's box on the origin and scale it so its largest side is SIZE units "
                  "(400 fills the window at zoom 1)")
      ->check(
          [](const std::string& text) {
            double size;
            return Parse_Size(text, size) ? std::string() : "the size is a number above 0";
          },
          "SIZE");
  command
      .add_option("--faces", texts.faces,
                  "Reduce the optimized mesh to at most N faces; auto: as many as draw legibly in the "
                  "preview, within the line numbers; max: as many as the line numbers allow")
      ->check(
          [](const std::string& text) {
            size_t count;
            return Parse_Face_Limit(text, count) ? std::string()
                                                 : "--faces takes a whole number from 1, auto or max";
          },
          "N|auto|max");
  command.add_flag("--clean", texts.clean,
                   "Only round the points to the tenth the file holds, merge the points that then print "
                   "alike, drop faces of zero area and unused points");
}

Shape_Options Read_Shape_Options(const Shape_Option_Texts& texts) {
  Shape_Options options;
  options.turn = !texts.up.empty() && Parse_Up_Axis(texts.up, options.up);
  if (!texts.fit.empty() && !Parse_Size(texts.fit, options.fit_size)) options.fit_size = 0;
  if (!texts.faces.empty()) {
    options.face_limit = texts.faces == "auto"  ? Face_Limit::Legible
                         : texts.faces == "max" ? Face_Limit::Fit_Line_Numbers
                                                : Face_Limit::Count;
    Parse_Face_Limit(texts.faces, options.max_faces);
  }
  options.clean = texts.clean;
  return options;
}

void Explain_Too_Many_Lines(std::ostream& out, const Target_Report& target, int16_t start, int16_t step) {
  if (Lines_Fit(target.lines_needed, target.lines_available)) return;
  out << "  The file needs " << target.lines_needed << " lines; the line numbers from " << start << " by " << step
      << " leave room for " << target.lines_available
      << ". Use --faces auto to keep the faces that draw legibly, --faces max to keep as many as fit"
      << (std::abs(step) > 1 ? ", or a smaller --step" : "") << ".\n";
}

void Warn_Faces_Losing_Area(std::ostream& out, const std::string& input, int64_t losing, int64_t faces) {
  if (losing <= 0) return;
  out << input << ": warning: " << losing << " of " << faces
      << " faces lose their area at one decimal, the tenths the file holds; --fit 400 makes the model 400 units "
         "across\n";
}
