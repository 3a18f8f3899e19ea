#include "view_options.h"

#include <charconv>
#include <string_view>

namespace {

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

}  // namespace

std::vector<CLI::Option*> Add_View_Options(CLI::App& command, View_Option_Texts& texts,
                                           const std::string& mesh_default) {
  std::vector<CLI::Option*> options;
  options.push_back(
      command.add_option("--angles", texts.angles, "Turns about X, Y and Z in whole degrees 0..359 (default 0,0,0)")
          ->check(
              [](const std::string& text) {
                int angles[3];
                return Parse_Angles(text, angles) ? std::string() : "angles are three whole degrees 0..359: X,Y,Z";
              },
              "X,Y,Z"));
  options.push_back(
      command.add_option("--zoom", texts.zoom, "Pixels per model unit, 1..20 (default 1)")->check(CLI::Range(1, 20)));
  options.push_back(command
                        .add_option("--size", texts.size,
                                    "The drawing area in pixels (default " + std::to_string(Default_Width) + "x" +
                                        std::to_string(Default_Height) + ", the window's)")
                        ->check(
                            [](const std::string& text) {
                              int width, height;
                              return Parse_Size(text, width, height)
                                         ? std::string()
                                         : "the size is WxH, each 1.." + std::to_string(Max_Side) + " pixels";
                            },
                            "WxH"));
  options.push_back(
      command
          .add_option("--mesh", texts.mesh,
                      "normal (every face) or optimized (front faces only); " + mesh_default)
          ->check(CLI::IsMember({"normal", "optimized"})));
  return options;
}

bool Read_View_Options(const View_Option_Texts& texts, bool optimized_by_default, View_Choice& view) {
  view.zoom = texts.zoom;
  view.show_normal = texts.mesh.empty() ? !optimized_by_default : texts.mesh == "normal";
  return Parse_Angles(texts.angles, view.angles) && Parse_Size(texts.size, view.width, view.height);
}
