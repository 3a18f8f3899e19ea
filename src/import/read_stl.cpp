#include "import/read_stl.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <string>

#include "core/line_reader.h"
#include "core/parse_number.h"
#include "core/progress_meter.h"
#include "import/line_values.h"

namespace {
constexpr std::string_view kFacet = "facet normal";
constexpr std::string_view kVertex = "vertex";
}  // namespace

Point3 Parse_Stl_Vertex(std::string_view line) {
  size_t keyword = Find_Text(line, kVertex);
  size_t start = keyword == std::string_view::npos ? 6 : keyword + kVertex.size();
  return Read_Point(start < line.size() ? line.substr(start) : std::string_view());
}

Outcome Read_Stl(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress) {
  Line_Reader file(source);
  Progress_Meter meter(progress, file);
  if (progress && !progress->Update("Reading facets", 0)) return Progress_Meter::Cancelled();

  // One pass. A facet line takes at least 13 bytes, so the file's size
  // bounds the facets: the normal arrays are reserved for that many (the
  // system supplies memory only where entries are written) and cut to the
  // facets found at the end. Input of unknown size, or a system that will
  // not reserve that much, starts small and doubles.
  constexpr int64_t kMax_Facets = (int64_t{std::numeric_limits<int32_t>::max()} + 1) / 3;
  constexpr size_t kFirst_Room = 1024;
  const int64_t size = file.Input_Size();
  size_t room = size > 0 ? static_cast<size_t>(std::min<int64_t>(size / 13 + 1, kMax_Facets)) : kFirst_Room;
  auto too_many = [] {
    return Outcome::Failure("Too many facets for one mesh: more than " + std::to_string(kMax_Facets));
  };
  auto no_memory = [](int64_t facets) {
    return Outcome::Failure("Not enough memory for " + std::to_string(facets) + " facets");
  };
  auto reserve = [&]() {
    try {
      Size_Fresh(mesh.Faces_Normal, room);
      Size_Fresh(mesh.Pts_Normal, 3 * room);
      return true;
    } catch (const std::bad_alloc&) {
      Size_Fresh(mesh.Faces_Normal, 0);
      Size_Fresh(mesh.Pts_Normal, 0);
      return false;
    }
  };
  if (!reserve()) {
    room = kFirst_Room;
    if (!reserve()) return no_memory(static_cast<int64_t>(room));
  }

  // Every line that contains "facet normal" counts as a facet, also one met
  // where a corner was expected: Nb_Faces counts them all, and faces or
  // points the file never filled in stay zero.
  int64_t facets = 0;
  auto next = [&](std::string_view& line) {
    if (!file.Next(line)) return false;
    if (Contains(line, kFacet)) ++facets;
    return true;
  };
  // The counters and every array of the mesh for the facets counted.
  auto finish = [&]() {
    mesh.Nb_Faces = static_cast<int32_t>(facets - 1);
    mesh.Nb_Pts_Normal = static_cast<int32_t>(3 * facets - 1);
    try {
      mesh.Faces_Normal.Resize(static_cast<size_t>(facets));
      mesh.Pts_Normal.Resize(static_cast<size_t>(3 * facets));
    } catch (const std::bad_alloc&) {
      return false;
    }
    return Size_Derived_Arrays(mesh);
  };

  // A facet line, one ignored line, then the corners A, B, C. A facet cut
  // short by the end of the file keeps zeros where it ends.
  std::string_view line;
  int32_t f = -1;
  int32_t p = -1;
  while (file.Next(line)) {
    if (!meter.Step("Reading facets", 0, 80)) {
      finish();
      return meter.Cancelled();
    }
    if (!Contains(line, kFacet)) continue;
    if (++facets > kMax_Facets) return too_many();
    ++f;  // f < facets <= kMax_Facets, so p stays below 3 * kMax_Facets
    if (static_cast<size_t>(f) >= mesh.Faces_Normal.size()) {
      room = std::min<size_t>(2 * room, kMax_Facets);
      try {
        mesh.Faces_Normal.Resize(room);
        mesh.Pts_Normal.Resize(3 * room);
      } catch (const std::bad_alloc&) {
        return no_memory(facets);
      }
    }
    if (!next(line)) break;
    Face3& face = mesh.Faces_Normal[f];
    int32_t* corners[3] = {&face.A, &face.B, &face.C};
    bool complete = true;
    for (int32_t* corner : corners) {
      if (!next(line)) {
        complete = false;
        break;
      }
      ++p;
      mesh.Pts_Normal[p] = Parse_Stl_Vertex(line);
      *corner = p;
    }
    if (!complete) break;
  }
  if (facets > kMax_Facets) return too_many();
  if (!finish()) return no_memory(facets);
  if (file.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file, name));

  if (f > 0 && p > 0) return Outcome::Success();
  if (facets == 0) return Outcome::Silent("No \"facet normal\" line: not an ASCII STL file");
  return Outcome::Silent("Only one facet read: a mesh needs at least two");
}
