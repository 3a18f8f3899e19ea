#pragma once
// The mesh a PLY read builds, shared by the ASCII and the binary body:
// vertex k of the file is Pts_Normal(k); each face becomes triangles in
// Faces_Normal, in file order, with the file's indices. A face of n >= 3
// corners becomes n - 2 triangles fanned from its first corner, (c0, c1, c2),
// (c0, c2, c3), ...; Nb_Faces counts the triangles, and each face the input
// ends before counts as one zero triangle (0, 0, 0).
//
// A file's vertex and face arrays are sized from its header, whose counts
// were checked against its size; a stream's grow as its entries arrive, and
// its counts are checked once it has ended. Face arrays grow past the header's
// count as polygons split. Memory never runs ahead of the input: a triangle
// takes at least one more corner of the file.

#include <cstdint>
#include <span>
#include <string>

#include "core/line_reader.h"
#include "core/mesh_store.h"
#include "core/outcome.h"
#include "import/ply_header.h"

class Ply_Mesh {
 public:
  Ply_Mesh(Mesh_Arrays& mesh, const Ply_Header& header, bool sized);

  // Sets the counters from the header and sizes a file's arrays. False when
  // memory runs out (then No_Memory says so).
  bool Start();
  Outcome No_Memory() const;

  // Stores vertex `index` (below the header's count). Throws std::bad_alloc
  // when a stream's array cannot grow.
  void Set_Vertex(int32_t index, const Point3& point) {
    if (!sized_ && static_cast<size_t>(index) >= mesh_.Pts_Normal.size()) Grow_Vertices(index);
    mesh_.Pts_Normal[static_cast<size_t>(index)] = point;
    vertices_read_ = index + 1;
  }

  // Adds face `index` (below the header's count) from its corners, at least
  // three: the fan of its triangles. Refuses a corner outside the vertices,
  // naming the face and, for an ASCII file, its `line` (0 for none), and a
  // mesh of more triangles than the counters hold. Throws std::bad_alloc
  // when the face array cannot grow.
  Outcome Add_Face(int32_t index, std::span<const int32_t> corners, int64_t line);

  // Ends the read: the counters and every array for the entries read, and
  // its outcome.
  Outcome Finish();

  // A stream refused once its counts are checked leaves the counters as a
  // file refused in its header does.
  void Refused_For_Its_Size() { mesh_.Nb_Pts_Normal = mesh_.Nb_Faces = 0; }

 private:
  void Grow_Vertices(int32_t index);

  Mesh_Arrays& mesh_;
  const Ply_Header& header_;
  bool sized_;
  int32_t vertices_read_ = 0;
  int32_t faces_read_ = 0;
  int64_t triangles_ = 0;
};
