#include "import/read_bas.h"

#include <cstdint>
#include <new>
#include <string>
#include <utility>

#include "core/line_reader.h"
#include "core/parse_number.h"
#include "core/progress_meter.h"

namespace {

constexpr std::string_view kData = "data";
constexpr std::string_view kPointsMarker = "Points from the 3D Object";
constexpr std::string_view kFacesMarker = "Faces from the 3D Object";
const char* const kWrongCounts = "Wrong number of Faces or Points";

enum class Section { None, Points, Faces };

// Stores one value as field 0, 1 or 2 of entry `entry` of the section's
// array; an entry beyond the array is passed over.
void Store_Value(MeshStore& store, Section section, int64_t entry, int field, std::string_view token) {
  if (section == Section::Points) {
    if (entry > store.Nb_Pts_Optimized || !Holds_Index(store.Pts_Optimized, entry)) return;
    Point3& point = store.Pts_Optimized[entry];
    float value = Round_To_Single(Parse_Number(token));
    (field == 0 ? point.X : field == 1 ? point.Y : point.Z) = value;
  } else {
    if (entry > store.Nb_Faces || !Holds_Index(store.Faces_Optimized, entry)) return;
    Face3& face = store.Faces_Optimized[entry];
    int32_t value = Round_To_Int32(Parse_Number(token));
    (field == 0 ? face.A : field == 1 ? face.B : face.C) = value;
  }
}

// The values of a data line, from just after "data": each comma ends a
// value stored by field (the third advances the entry); the rest of the line
// is the third field of the current entry, which the line ends. Without
// `keep`, only the entry index moves on.
void Read_Data_Line(MeshStore& store, Section section, int64_t& entry, std::string_view values, bool keep) {
  int field = 0;
  for (;;) {
    size_t comma = values.find(',');
    if (comma == std::string_view::npos) {
      if (keep) Store_Value(store, section, entry, 2, values);
      ++entry;
      return;
    }
    if (keep) Store_Value(store, section, entry, field, values.substr(0, comma));
    if (++field == 3) {
      field = 0;
      ++entry;
    }
    values.remove_prefix(comma + 1);
  }
}

// The two counts of the count line, "<number> data F,P": F runs from just
// after "data" (from the 4th character when the line has no "data") to the
// first comma, P from the comma to the end. False when there is no comma.
bool Read_Count_Line(std::string_view line, int32_t& faces, int32_t& points) {
  size_t at = Find_Text(line, kData);
  size_t from = at == std::string_view::npos ? 3 : at + kData.size();
  size_t comma = from < line.size() ? line.find(',', from) : std::string_view::npos;
  if (comma == std::string_view::npos) return false;
  faces = Round_To_Int32(Parse_Number(line.substr(from, comma - from)));
  points = Round_To_Int32(Parse_Number(line.substr(comma + 1)));
  return true;
}

}  // namespace

Outcome Read_Bas(MeshStore& store, Progress* progress) {
  store.Nb_Pts_Optimized = 0;
  store.Nb_Faces = 0;
  store.Object_Loaded = false;

  Line_Reader file;
  if (Outcome opened = Open_Input(file, store.File_Input); !opened.ok) return opened;
  Progress_Meter meter(progress, file);
  // The header and the count line must each be followed by another line.
  auto cut_short = [&] {
    return Outcome::Failure(file.Read_Failed() ? Read_Failure_Text(file, store.File_Input) : kWrongCounts);
  };

  bool header_read = false;
  Section section = Section::None;
  int64_t entry = 0;
  int64_t line_number = 0;
  std::string_view line;
  while (file.Next(line)) {
    ++line_number;
    if (!meter.Step("Reading", 0, 100)) return meter.Cancelled();

    if (Contains(line, "Points") && Contains(line, "Faces")) {
      int32_t faces = 0;
      int32_t points = 0;
      if (!file.Next(line)) return cut_short();
      ++line_number;
      if (!Read_Count_Line(line, faces, points)) return Outcome::Failure(kWrongCounts);
      store.Nb_Faces = faces;
      store.Nb_Pts_Optimized = points;
      if ((faces < 1 && points < 1) || faces < -1 || points < -1) return Outcome::Failure(kWrongCounts);
      // Every entry takes at least one byte of the file.
      const int64_t file_size = static_cast<int64_t>(file.File_Size());
      for (auto [count, what] : {std::pair{faces, "faces"}, std::pair{points, "points"}})
        if (int64_t{count} + 1 > file_size)
          return Outcome::Failure(At_Line(line_number) + "the header declares " + std::to_string(int64_t{count} + 1) +
                                  " " + what + ", but the file has only " + std::to_string(file_size) + " bytes");
      if (!file.Next(line)) return cut_short();
      ++line_number;
      try {
        Size_Array(store.Faces_Optimized, faces);
        Size_Array(store.Faces_Visible, faces);
        Size_Array(store.Pts_Optimized, points);
        Size_Array(store.Pts_Screen, points);
      } catch (const std::bad_alloc&) {
        return Outcome::Failure(At_Line(line_number - 1) + "not enough memory for the declared faces and points");
      }
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

    size_t data = Find_Text(line, kData);
    if (data == std::string_view::npos || section == Section::None) continue;
    size_t from = data + kData.size();
    // Before the header the arrays still belong to an earlier load: such
    // values only move the entry index on.
    if (from < line.size()) Read_Data_Line(store, section, entry, line.substr(from), header_read);
  }
  if (file.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file, store.File_Input));
  if (!header_read) return Outcome::Failure(kWrongCounts);

  store.Object_Loaded = true;
  return Outcome::Success();
}
