#include "check_bas_text.h"

#include <cmath>
#include <string_view>
#include <vector>

#include "core/parse_number.h"
#include "reference_coordinate.h"
#include "require.h"

namespace {

constexpr size_t kWrapAfter = 100;

std::vector<std::string_view> Crlf_Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    Require(end != std::string_view::npos, "every line ends with CR LF");
    std::string_view line = text.substr(at, end - at);
    Require(line.find_first_of("\r\n") == std::string_view::npos, "no CR or LF inside a line");
    lines.push_back(line);
    at = end + 2;
  }
  return lines;
}

bool Is_Digit(char c) { return c >= '0' && c <= '9'; }

// [-]digits.digit with no leading zero before another digit.
bool Is_Coordinate_Text(std::string_view t) {
  if (!t.empty() && t[0] == '-') t.remove_prefix(1);
  if (t.size() < 3 || t[t.size() - 2] != '.' || !Is_Digit(t.back())) return false;
  std::string_view whole = t.substr(0, t.size() - 2);
  for (char c : whole)
    if (!Is_Digit(c)) return false;
  return whole.size() == 1 || whole[0] != '0';
}

std::vector<std::string_view> Values(std::string_view list) {
  std::vector<std::string_view> values;
  for (;;) {
    size_t comma = list.find(',');
    values.push_back(list.substr(0, comma));
    if (comma == std::string_view::npos) return values;
    list.remove_prefix(comma + 1);
  }
}

void Check_Packing(std::string_view line, size_t prefix_length, const std::vector<std::string_view>& values,
                   bool last_of_section) {
  Require(!values.empty() && values.size() % 3 == 0, "a data line holds whole items of three values");
  const size_t items = values.size() / 3;
  const size_t last_item_length =
      values[values.size() - 3].size() + values[values.size() - 2].size() + values.back().size() + 2;
  const size_t without_last = items == 1 ? prefix_length : line.size() - last_item_length - 1;
  if (!last_of_section) Require(line.size() > kWrapAfter, "a line is only wrapped once longer than 100");
  if (line.size() > kWrapAfter) {
    if (items == 1) {
      Require(last_of_section, "a line of one long item ends its section");
    } else {
      Require(without_last <= kWrapAfter || items == 2,
              "a data line is longer than 100 only because of its last item");
    }
  }
}

}  // namespace

void Check_Bas_Text(const std::string& text, const MeshStore& store, int16_t start, int16_t step) {
  const std::vector<std::string_view> lines = Crlf_Lines(text);
  enum class Section { Counts, Points, Faces };
  std::vector<std::string_view> point_values;
  std::vector<std::string_view> face_values;
  int comments = 0;
  int count_lines = 0;
  Section part = Section::Counts;

  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const int64_t number = int64_t{start} + int64_t(i) * step;
    Require(number >= INT16_MIN && number <= INT16_MAX, "every line number lies within -32768..32767");
    const std::string number_text = std::to_string(number);
    Require(line.substr(0, number_text.size()) == number_text, "line i carries start + i * step");
    const std::string_view rest = line.substr(number_text.size());

    if (!rest.empty() && rest[0] == '\'') {
      static constexpr std::string_view kComments[] = {"'Number of Faces and Number of Points",
                                                       "'Points from the 3D Object", "'Faces from the 3D Object"};
      Require(comments < 3 && rest == kComments[comments], "the three comments come in order, letter for letter");
      Require(comments != 1 || count_lines == 1, "exactly one count line follows the header comment");
      part = comments == 0 ? Section::Counts : comments == 1 ? Section::Points : Section::Faces;
      ++comments;
      continue;
    }
    constexpr std::string_view kData = " data ";
    Require(rest.substr(0, kData.size()) == kData, "a line is a comment or a data line");
    const std::string_view list = rest.substr(kData.size());
    Require(list.find_first_of(" \t") == std::string_view::npos, "no blank among a data line's values");
    const std::vector<std::string_view> values = Values(list);
    Require(comments > 0, "the header comment comes first");

    if (part == Section::Counts) {
      Require(count_lines == 0 && values.size() == 2, "the count line holds two values");
      Require(values[0] == std::to_string(store.Nb_Faces) && values[1] == std::to_string(store.Nb_Pts_Optimized),
              "the count line holds Nb_Faces and Nb_Pts_Optimized");
      ++count_lines;
      continue;
    }
    const bool last_of_section = i + 1 == lines.size() || lines[i + 1].find('\'') != std::string_view::npos;
    Check_Packing(line, number_text.size() + kData.size(), values, last_of_section);
    auto& into = part == Section::Points ? point_values : face_values;
    into.insert(into.end(), values.begin(), values.end());
  }
  Require(comments == 3, "the file holds all three comments");

  Require(point_values.size() == 3 * size_t(int64_t{store.Nb_Pts_Optimized} + 1),
          "the point section holds every optimized point");
  for (size_t v = 0; v < point_values.size(); ++v) {
    const Point3& p = store.Pts_Optimized[v / 3];
    const float saved = v % 3 == 0 ? p.X : v % 3 == 1 ? p.Y : p.Z;
    const std::string_view t = point_values[v];
    Require(Is_Coordinate_Text(t), "a coordinate is written [-]digits.digit");
    Require(t != "-0.0", "a coordinate that rounds to zero is written 0.0");
    Require(t == Reference_Coordinate_Text(saved), "a coordinate is its shortest decimal text rounded to tenths");
    const double spacing = std::abs(double{std::nextafter(saved, INFINITY)} - saved);
    Require(std::abs(Parse_Number(t) - saved) <= 0.05 + spacing, "a coordinate is written to the tenth");
  }
  Require(face_values.size() == 3 * size_t(int64_t{store.Nb_Faces} + 1), "the face section holds every face");
  for (size_t v = 0; v < face_values.size(); ++v) {
    const Face3& f = store.Faces_Optimized[v / 3];
    const int32_t corner = v % 3 == 0 ? f.A : v % 3 == 1 ? f.B : f.C;
    Require(face_values[v] == std::to_string(corner), "a face corner is written as its decimal text");
  }
}
