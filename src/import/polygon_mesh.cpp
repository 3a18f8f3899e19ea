#include "import/polygon_mesh.h"

#include <algorithm>
#include <new>

#include "core/line_reader.h"

namespace {

// Nb_Faces is a 32-bit last index.
constexpr int64_t kMax_Triangles = INT32_MAX;

std::string Count_Text(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A stream's arrays start at this many entries (or the declared count, when
// smaller) and double as entries arrive.
constexpr size_t kFirst_Room = 1024;

}  // namespace

Polygon_Mesh::Polygon_Mesh(Mesh_Arrays& mesh, int64_t vertices, int64_t faces, bool sized)
    : mesh_(mesh), vertices_(vertices), faces_(faces), sized_(sized) {}

bool Polygon_Mesh::Start() {
  mesh_.Nb_Pts_Normal = static_cast<int32_t>(vertices_ - 1);
  mesh_.Nb_Faces = static_cast<int32_t>(std::min(faces_, kMax_Triangles) - 1);
  if (!sized_) return true;
  try {
    Size_Array(mesh_.Pts_Normal, mesh_.Nb_Pts_Normal);
    Size_Array(mesh_.Faces_Normal, mesh_.Nb_Faces);
    return true;
  } catch (const std::bad_alloc&) {
    Size_Fresh(mesh_.Pts_Normal, 0);
    Size_Fresh(mesh_.Faces_Normal, 0);
    return false;
  }
}

Outcome Polygon_Mesh::No_Memory() const {
  return Outcome::Failure("Not enough memory for " + std::to_string(vertices_) + " vertices and " +
                          std::to_string(faces_) + " faces");
}

Outcome Polygon_Mesh::Too_Many_Triangles() const {
  return Outcome::Failure("Too many faces for one mesh: more than " + std::to_string(kMax_Triangles) +
                          " triangles");
}

void Polygon_Mesh::Grow_Vertices(int32_t index) {
  const size_t wanted = std::max(kFirst_Room, 2 * mesh_.Pts_Normal.size());
  mesh_.Pts_Normal.Resize(
      std::max(static_cast<size_t>(index) + 1, std::min(wanted, static_cast<size_t>(vertices_))));
}

Outcome Polygon_Mesh::Add_Polygon(int64_t face, std::span<const int32_t> corners, int64_t line) {
  polygons_read_ = std::max(polygons_read_, face + 1);
  if (corners.size() < 3) return Outcome::Success();  // a point or a line
  for (int32_t corner : corners)
    if (corner < 0 || corner >= vertices_)
      return Outcome::Failure((line > 0 ? At_Line(line) + "face " : std::string("Face ")) + std::to_string(face) +
                              " names vertex " + std::to_string(corner) + ", but the file has " +
                              std::to_string(vertices_) + " vertices");
  const int64_t triangles = static_cast<int64_t>(corners.size()) - 2;
  if (triangles_ + triangles > kMax_Triangles) return Too_Many_Triangles();
  const size_t needed = static_cast<size_t>(triangles_ + triangles);
  if (needed > mesh_.Faces_Normal.size()) {
    const size_t floor = sized_ ? 0 : std::min(kFirst_Room, static_cast<size_t>(std::max<int64_t>(faces_, 0)));
    mesh_.Faces_Normal.Resize(std::max({needed, 2 * mesh_.Faces_Normal.size(), floor}));
  }
  Face3* out = mesh_.Faces_Normal.data() + triangles_;
  const int32_t first = corners[0];
  for (size_t k = 2; k < corners.size(); ++k) *out++ = {first, corners[k - 1], corners[k]};
  triangles_ += triangles;
  if (corners.size() > 3) ++mesh_.Polygons_Split;
  return Outcome::Success();
}

Outcome Polygon_Mesh::Add_Zero_Triangles(int64_t count) {
  if (count <= 0) return Outcome::Success();
  if (triangles_ + count > kMax_Triangles) return Too_Many_Triangles();
  // Resize zero-fills what it adds past the old size; entries already there
  // past the triangles (a file's array, sized up front) are zero still.
  const size_t needed = static_cast<size_t>(triangles_ + count);
  if (needed > mesh_.Faces_Normal.size()) mesh_.Faces_Normal.Resize(needed);
  triangles_ += count;
  return Outcome::Success();
}

Outcome Polygon_Mesh::Finish(const Polygon_Words& words) {
  mesh_.Nb_Faces = static_cast<int32_t>(triangles_ - 1);
  try {
    mesh_.Pts_Normal.Resize(static_cast<size_t>(vertices_));
    mesh_.Faces_Normal.Resize(static_cast<size_t>(triangles_));
  } catch (const std::bad_alloc&) {
    return No_Memory();
  }
  if (vertices_read_ < vertices_)
    return Outcome::Silent("The file ends after " + std::to_string(vertices_read_) + " of the " +
                           std::to_string(vertices_) + " vertices its header declares");
  const int64_t faces = words.count_triangles ? triangles_ : polygons_read_;
  if (vertices_read_ < 2 || faces < 2)
    return Outcome::Silent(Count_Text(vertices_read_, words.vertex, words.vertices) + " and " +
                           Count_Text(faces, words.face, words.faces) + " " + words.where +
                           ": a mesh needs at least two of each");
  return Outcome::Success();
}
