#include "shape_options.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>

#include <fast_float/fast_float.h>

#include "export/write_bas.h"

namespace {

// A number with nothing before or after it.
bool Parse_Size(const std::string& text, double& size) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = fast_float::from_chars(text.data(), end, size);
  return error == std::errc{} && stop == end && std::isfinite(size) && size > 0 && size <= FLT_MAX;
}

bool Parse_Face_Limit(const std::string& text, size_t& count) {
  if (text == "auto") return true;
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
    "  --faces auto                     as many faces as the line numbers from --start by --step allow\n"
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
                  "Reduce the optimized mesh to at most N faces, or with auto to as many as the line "
                  "numbers allow")
      ->check(
          [](const std::string& text) {
            size_t count;
            return Parse_Face_Limit(text, count) ? std::string() : "--faces takes a whole number from 1, or auto";
          },
          "N|auto");
  command.add_flag("--clean", texts.clean,
                   "Only round the points to the tenth the file holds, merge the points that then print "
                   "alike, drop faces of zero area and unused points");
}

Shape_Options Read_Shape_Options(const Shape_Option_Texts& texts) {
  Shape_Options options;
  options.turn = !texts.up.empty() && Parse_Up_Axis(texts.up, options.up);
  if (!texts.fit.empty() && !Parse_Size(texts.fit, options.fit_size)) options.fit_size = 0;
  if (!texts.faces.empty()) {
    options.face_limit = texts.faces == "auto" ? Face_Limit::Fit_Line_Numbers : Face_Limit::Count;
    Parse_Face_Limit(texts.faces, options.max_faces);
  }
  options.clean = texts.clean;
  return options;
}

void Explain_Too_Many_Lines(std::ostream& out, const MeshStore& store) {
  auto valid = [](auto span, int32_t last) { return span.first(std::min<size_t>(span.size(), last + 1)); };
  const auto points = valid(std::span<const Point3>(store.Pts_Optimized), store.Nb_Pts_Optimized);
  const auto faces = valid(std::span<const Face3>(store.Faces_Optimized), store.Nb_Faces);
  const int64_t needed = Count_Bas_Lines(points, faces, store.Basic_Line, store.Basic_Step);
  const int64_t available = Available_Bas_Lines(store.Basic_Line, store.Basic_Step);
  if (available < 0 || needed <= available) return;
  out << "  The file needs " << needed << " lines; the line numbers from " << store.Basic_Line << " by "
      << store.Basic_Step << " leave room for " << available << ". Use --faces auto to keep as many faces as fit"
      << (std::abs(store.Basic_Step) > 1 ? ", or a smaller --step" : "") << ".\n";
}
