#include "import/read_stl.h"

#include <cstdint>
#include <limits>

#include "core/line_reader.h"
#include "core/parse_number.h"
#include "core/progress_meter.h"
#include "import/line_values.h"
#include "merge/optimize_points.h"

namespace {
constexpr std::string_view kFacet = "facet normal";
constexpr std::string_view kVertex = "vertex";
}  // namespace

Point3 Parse_Stl_Vertex(std::string_view line) {
  size_t keyword = Find_Text(line, kVertex);
  size_t start = keyword == std::string_view::npos ? 6 : keyword + kVertex.size();
  return Read_Point(start < line.size() ? line.substr(start) : std::string_view());
}

Outcome Read_Stl(MeshStore& store, Progress* progress) {
  store.Nb_Pts_Normal = 0;
  store.Nb_Faces = 0;
  store.Object_Loaded = false;

  Line_Reader file;
  if (Outcome opened = Open_Input(file, store.File_Input); !opened.ok) return opened;
  Progress_Meter meter(progress, file);

  // Count pass: only lines that contain "facet normal" are looked at.
  int64_t facets = 0;
  const uint64_t size = file.File_Size();
  auto counting = [&](uint64_t consumed) {
    return !progress || progress->Update("Counting facets", size ? static_cast<int>(consumed * 30 / size) : 0);
  };
  if (!counting(0)) return Progress_Meter::Cancelled();
  if (!file.Count_Lines_Containing(kFacet, facets, counting))
    return file.Read_Failed() ? Outcome::Failure("Cannot read file: " + store.File_Input) : Progress_Meter::Cancelled();
  if (3 * facets - 1 > std::numeric_limits<int32_t>::max())
    return Outcome::Failure("Too many facets for one mesh: " + std::to_string(facets));

  store.Nb_Faces = static_cast<int32_t>(facets - 1);
  store.Nb_Pts_Normal = static_cast<int32_t>(3 * facets - 1);
  if (!Size_Arrays_For_Mesh(store))
    return Outcome::Failure("Not enough memory for " + std::to_string(facets) + " facets");

  // Data pass: a facet line, one ignored line, then the corners A, B, C. A
  // facet cut short by the end of the file keeps zeros where it ends.
  std::string_view line;
  if (!file.Rewind()) return Outcome::Failure("Cannot read file: " + store.File_Input);
  int32_t f = -1;
  int32_t p = -1;
  while (file.Next(line)) {
    if (!meter.Step("Reading facets", 30, 80)) return meter.Cancelled();
    if (!Contains(line, kFacet)) continue;
    // The count pass saw exactly these lines, so f stays within Nb_Faces.
    ++f;
    if (!file.Next(line)) break;
    Face3& face = store.Faces_Normal[f];
    int32_t* corners[3] = {&face.A, &face.B, &face.C};
    bool complete = true;
    for (int32_t* corner : corners) {
      if (!file.Next(line)) {
        complete = false;
        break;
      }
      ++p;
      store.Pts_Normal[p] = Parse_Stl_Vertex(line);
      *corner = p;
    }
    if (!complete) break;
  }
  if (file.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file, store.File_Input));

  if (f > 0 && p > 0) {
    store.Object_Loaded = true;
    if (!Optimize_Points(store, progress)) {
      store.Object_Loaded = false;
      return meter.Cancelled();
    }
    return Outcome::Success();
  }
  if (facets == 0) return Outcome::Silent("No \"facet normal\" line: not an ASCII STL file");
  return Outcome::Silent("Only one facet read: a mesh needs at least two");
}
