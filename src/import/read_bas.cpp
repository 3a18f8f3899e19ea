#include "import/read_bas.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "core/line_reader.h"
#include "core/parse_number.h"
#include "core/progress_meter.h"

namespace {

constexpr std::string_view kData = "data";
constexpr std::string_view kDataUpper = "DATA";
constexpr std::string_view kPointsMarker = "Points from the 3D Object";
constexpr std::string_view kFacesMarker = "Faces from the 3D Object";
const char* const kWrongCounts = "Wrong number of Faces or Points";

enum class Section { None, Points, Faces };

// The entries a header declares (last indices, as the count line holds
// them) and the arrays that hold the values read since it. The arrays grow
// as values arrive, never beyond the declared entries, and take their full
// size only at the end: a file may hold any number of headers, and each one
// starts from zero entries without sizing anything.
struct Bas_Mesh {
  Mesh_Arrays& mesh;
  int32_t faces = 0;
  int32_t points = 0;
};

template <typename T>
T& Entry(Flat_Array<T>& array, int64_t entry, int32_t last) {
  if (static_cast<size_t>(entry) >= array.size())
    array.Resize(std::min<size_t>(std::max<size_t>(1024, 2 * array.size()), static_cast<size_t>(last) + 1));
  return array[static_cast<size_t>(entry)];
}

// Stores one value as field 0, 1 or 2 of entry `entry` of the section's
// array; an entry beyond the header's count is passed over.
void Store_Value(Bas_Mesh& read, Section section, int64_t entry, int field, std::string_view token) {
  if (section == Section::Points) {
    if (entry > read.points) return;
    Point3& point = Entry(read.mesh.Pts_Optimized, entry, read.points);
    float value = Round_To_Single(Parse_Number(token));
    (field == 0 ? point.X : field == 1 ? point.Y : point.Z) = value;
  } else {
    if (entry > read.faces) return;
    Face3& face = Entry(read.mesh.Faces_Optimized, entry, read.faces);
    int32_t value = Round_To_Int32(Parse_Number(token));
    (field == 0 ? face.A : field == 1 ? face.B : face.C) = value;
  }
}

// The counts of one header (last indices) and the line that holds them.
struct Declared {
  int64_t line;
  int32_t faces;
  int32_t points;
  // Entries of the larger list: the least the file must hold, in bytes.
  uint64_t Most() const { return static_cast<uint64_t>(int64_t{std::max(faces, points)} + 1); }
};

// The values of a data line, from just after "data": each comma ends a
// value stored by field (the third advances the entry); the rest of the line
// is the third field of the current entry, which the line ends. Without a
// header read yet (`read` null), only the entry index moves on.
void Read_Data_Line(Bas_Mesh* read, Section section, int64_t& entry, std::string_view values) {
  int field = 0;
  for (;;) {
    size_t comma = values.find(',');
    if (comma == std::string_view::npos) {
      if (read) Store_Value(*read, section, entry, 2, values);
      ++entry;
      return;
    }
    if (read) Store_Value(*read, section, entry, field, values.substr(0, comma));
    if (++field == 3) {
      field = 0;
      ++entry;
    }
    values.remove_prefix(comma + 1);
  }
}

// The first "data" of a line, or "DATA" (the writer's keyword in either
// case), whichever comes first; npos when it has neither.
size_t Find_Data(std::string_view line) {
  const size_t lower = Find_Text(line, kData);
  const std::string_view before = lower == std::string_view::npos ? line : line.substr(0, lower);
  const size_t upper = Find_Text(before, kDataUpper);
  return upper == std::string_view::npos ? lower : upper;
}

// The two counts of the count line, "<number> data F,P": F runs from just
// after "data" (from the 4th character when the line has no "data") to the
// first comma, P from the comma to the end. False when there is no comma.
bool Read_Count_Line(std::string_view line, int32_t& faces, int32_t& points) {
  size_t at = Find_Data(line);
  size_t from = at == std::string_view::npos ? 3 : at + kData.size();
  size_t comma = from < line.size() ? line.find(',', from) : std::string_view::npos;
  if (comma == std::string_view::npos) return false;
  faces = Round_To_Int32(Parse_Number(line.substr(from, comma - from)));
  points = Round_To_Int32(Parse_Number(line.substr(comma + 1)));
  return true;
}

}  // namespace

Outcome Read_Bas(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress) {
  mesh.Input_Format = "bas";
  Line_Reader file(source);
  Progress_Meter meter(progress, file);
  // The header and the count line must each be followed by another line.
  auto cut_short = [&] {
    return Outcome::Failure(file.Read_Failed() ? Read_Failure_Text(file, name) : kWrongCounts);
  };
  // Every entry takes at least one byte of the file.
  auto check_counts = [&](const Declared& header, uint64_t input_size) {
    for (auto [count, what] : {std::pair{header.faces, "faces"}, std::pair{header.points, "points"}})
      if (static_cast<uint64_t>(int64_t{count} + 1) > input_size) {
        mesh.Nb_Faces = header.faces;
        mesh.Nb_Pts_Optimized = header.points;
        return Outcome::Failure(At_Line(header.line) + "the header declares " + std::to_string(int64_t{count} + 1) +
                                " " + what + ", but the file has only " + std::to_string(input_size) + " bytes");
      }
    return Outcome::Success();
  };
  // A stream's headers are checked once its size is known, in their order:
  // those that might not fit then, each declaring more than any before it
  // (one that declares no more cannot be the first not to fit).
  std::vector<Declared> unchecked;

  Bas_Mesh read{mesh};
  bool header_read = false;
  int64_t count_line = 0;  // the line number of the last header's count line
  Section section = Section::None;
  int64_t entry = 0;
  int64_t line_number = 0;
  std::string_view line;
  try {
    while (file.Next(line)) {
      ++line_number;
      if (!meter.Step("Reading", 0, 100)) return meter.Cancelled();

      if (Contains(line, "Points") && Contains(line, "Faces")) {
        int32_t faces = 0;
        int32_t points = 0;
        if (!file.Next(line)) return cut_short();
        count_line = ++line_number;
        if (!Read_Count_Line(line, faces, points)) return Outcome::Failure(kWrongCounts);
        mesh.Nb_Faces = faces;
        mesh.Nb_Pts_Optimized = points;
        if ((faces < 1 && points < 1) || faces < -1 || points < -1) return Outcome::Failure(kWrongCounts);
        const Declared declared{count_line, faces, points};
        if (file.Size_Known()) {
          if (Outcome fits = check_counts(declared, static_cast<uint64_t>(file.Input_Size())); !fits.ok) return fits;
        } else if (declared.Most() > file.Bytes_Consumed() &&
                   (unchecked.empty() || declared.Most() > unchecked.back().Most())) {
          unchecked.push_back(declared);
        }
        if (!file.Next(line)) return cut_short();
        ++line_number;
        // The entries from here on belong to this header alone.
        mesh.Pts_Optimized.Resize(0);
        mesh.Faces_Optimized.Resize(0);
        read.faces = faces;
        read.points = points;
        header_read = true;
      }

      if (Contains(line, kPointsMarker)) {
        section = Section::Points;
        entry = 0;
      }
      if (Contains(line, kFacesMarker)) {
        section = Section::Faces;
        entry = 0;
      }

      size_t data = Find_Data(line);
      if (data == std::string_view::npos || section == Section::None) continue;
      size_t from = data + kData.size();
      // Before the header no array is this file's: such values only move
      // the entry index on.
      if (from < line.size()) Read_Data_Line(header_read ? &read : nullptr, section, entry, line.substr(from));
    }
  } catch (const std::bad_alloc&) {
    return Outcome::Failure(At_Line(count_line) + "not enough memory for the declared faces and points");
  }
  if (file.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file, name));
  if (!header_read) return Outcome::Failure(kWrongCounts);

  // A stream's counts meet the file's check once its size is known.
  for (const Declared& header : unchecked)
    if (Outcome fits = check_counts(header, file.Bytes_Consumed()); !fits.ok) return fits;
  try {
    mesh.Faces_Optimized.Resize(static_cast<size_t>(read.faces + 1));
    mesh.Pts_Optimized.Resize(static_cast<size_t>(read.points + 1));
    Size_Array(mesh.Faces_Visible, read.faces);
    Size_Array(mesh.Pts_Screen, read.points);
  } catch (const std::bad_alloc&) {
    return Outcome::Failure(At_Line(count_line) + "not enough memory for the declared faces and points");
  }
  return Outcome::Success();
}
