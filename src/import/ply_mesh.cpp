#include "import/ply_mesh.h"

#include <algorithm>
#include <new>

namespace {

std::string Count_Text(int32_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Nb_Faces is a 32-bit last index.
constexpr int64_t kMax_Triangles = INT32_MAX;

}  // namespace

Ply_Mesh::Ply_Mesh(Mesh_Arrays& mesh, const Ply_Header& header, bool sized)
    : mesh_(mesh), header_(header), sized_(sized) {}

bool Ply_Mesh::Start() {
  mesh_.Nb_Pts_Normal = header_.vertices - 1;
  mesh_.Nb_Faces = header_.faces - 1;
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

Outcome Ply_Mesh::No_Memory() const {
  return Outcome::Failure("Not enough memory for " + std::to_string(header_.vertices) + " vertices and " +
                          std::to_string(header_.faces) + " faces");
}

void Ply_Mesh::Grow_Vertices(int32_t index) {
  const size_t wanted = std::max<size_t>(1024, 2 * mesh_.Pts_Normal.size());
  mesh_.Pts_Normal.Resize(std::max(static_cast<size_t>(index) + 1,
                                   std::min(wanted, static_cast<size_t>(header_.vertices))));
}

Outcome Ply_Mesh::Add_Face(int32_t index, std::span<const int32_t> corners, int64_t line) {
  const int32_t last_vertex = mesh_.Nb_Pts_Normal;
  for (int32_t corner : corners)
    if (corner < 0 || corner > last_vertex)
      return Outcome::Failure((line > 0 ? At_Line(line) + "face " : std::string("Face ")) + std::to_string(index) +
                              " names vertex " + std::to_string(corner) + ", but the file has " +
                              std::to_string(header_.vertices) + " vertices");
  const int64_t triangles = static_cast<int64_t>(corners.size()) - 2;
  // Every face after this one takes at least one triangle.
  if (triangles_ + triangles > kMax_Triangles - (int64_t{header_.faces} - index - 1))
    return Outcome::Failure("Too many faces for one mesh: more than " + std::to_string(kMax_Triangles) +
                            " triangles");
  const size_t needed = static_cast<size_t>(triangles_ + triangles);
  if (needed > mesh_.Faces_Normal.size()) {
    const size_t floor = sized_ ? 0 : std::min<size_t>(1024, static_cast<size_t>(header_.faces));
    mesh_.Faces_Normal.Resize(std::max({needed, 2 * mesh_.Faces_Normal.size(), floor}));
  }
  Face3* out = mesh_.Faces_Normal.data() + triangles_;
  const int32_t first = corners[0];
  for (size_t k = 2; k < corners.size(); ++k) *out++ = {first, corners[k - 1], corners[k]};
  triangles_ += triangles;
  if (corners.size() > 3) ++mesh_.Polygons_Split;
  faces_read_ = index + 1;
  return Outcome::Success();
}

Outcome Ply_Mesh::Finish() {
  // Each face the input did not hold is one zero triangle.
  const int64_t faces = triangles_ + (header_.faces - faces_read_);
  if (faces > kMax_Triangles)
    return Outcome::Failure("Too many faces for one mesh: more than " + std::to_string(kMax_Triangles) +
                            " triangles");
  mesh_.Nb_Faces = static_cast<int32_t>(faces - 1);
  try {
    mesh_.Pts_Normal.Resize(static_cast<size_t>(header_.vertices));
    mesh_.Faces_Normal.Resize(static_cast<size_t>(faces));
  } catch (const std::bad_alloc&) {
    return No_Memory();
  }
  if (!Size_Derived_Arrays(mesh_)) return No_Memory();

  if (vertices_read_ < header_.vertices)
    return Outcome::Silent("The file ends after " + std::to_string(vertices_read_) + " of the " +
                           std::to_string(header_.vertices) + " vertices its header declares");
  if (vertices_read_ < 2 || faces_read_ < 2)
    return Outcome::Silent(Count_Text(vertices_read_, "vertex", "vertices") + " and " +
                           Count_Text(faces_read_, "face", "faces") + " read: a mesh needs at least two of each");
  return Outcome::Success();
}
