#pragma once
// The normal mesh a reader of polygons builds (PLY, OFF, and the scenes of
// the general mesh library): vertex k of the input is Pts_Normal(k); each
// polygon of n >= 3 corners becomes n - 2 triangles fanned from its first
// corner, (c0, c1, c2), (c0, c2, c3), ..., in input order, with the input's
// indices; a polygon of fewer corners (a point, a line) makes no triangle.
// Nb_Faces counts the triangles. Polygons_Split counts the polygons of more
// than three corners.
//
// A file's arrays are sized from the counts the reader has checked against
// its size; a stream's grow as its entries arrive (the reader checks its
// counts once it has ended). The face array grows past the declared count
// as polygons split. Memory never runs ahead of the input: a triangle takes
// at least one more corner of the input.
//
// Writes Nb_Pts_Normal, Nb_Faces, Pts_Normal, Faces_Normal and
// Polygons_Split; the arrays derived from the normal mesh are left to the
// road every read takes (Read_Input_With).

#include <cstdint>
#include <span>
#include <string>

#include "core/mesh_store.h"
#include "core/outcome.h"

// How the messages of a format name its parts and the mesh as a whole.
struct Polygon_Words {
  const char* vertex = "vertex";
  const char* vertices = "vertices";
  // The second count of "too few": the polygons read (as the file counts
  // its faces), or the triangles made of them.
  bool count_triangles = false;
  const char* face = "face";
  const char* faces = "faces";
  const char* where = "read";  // "4 vertices and 1 face read: ..."
};

class Polygon_Mesh {
 public:
  // `vertices` and `faces` are the counts the input declares (faces: its
  // polygons); `sized`: the arrays are sized from them now (a file), else
  // they grow (a stream).
  Polygon_Mesh(Mesh_Arrays& mesh, int64_t vertices, int64_t faces, bool sized);

  // Sets the counters from the declared counts and sizes a file's arrays.
  // False when memory runs out (then No_Memory says so).
  bool Start();
  Outcome No_Memory() const;

  // Stores vertex `index` (below the declared count). Throws std::bad_alloc
  // when a stream's array cannot grow.
  void Set_Vertex(int32_t index, const Point3& point) {
    if (static_cast<size_t>(index) >= mesh_.Pts_Normal.size()) Grow_Vertices(index);
    mesh_.Pts_Normal[static_cast<size_t>(index)] = point;
    if (index >= vertices_read_) vertices_read_ = index + 1;
  }

  // Adds polygon `face` (below the declared count) from its corners: the
  // fan of its triangles. Refuses a corner outside the vertices, naming the
  // face and, where the input has lines, its `line` (0 for none), and a mesh
  // of more triangles than Nb_Faces can count. Throws std::bad_alloc when
  // the face array cannot grow.
  Outcome Add_Polygon(int64_t face, std::span<const int32_t> corners, int64_t line);

  // Adds `count` triangles (0, 0, 0): the faces an input declares and ends
  // before, where its format counts each as one.
  Outcome Add_Zero_Triangles(int64_t count);

  // Ends the read: the counters and the normal arrays for what was read, and
  // its outcome. Refuses an input that ends before its declared vertices, and
  // a mesh of fewer than two vertices or faces, in the format's words.
  Outcome Finish(const Polygon_Words& words = {});

  int64_t Polygons_Read() const { return polygons_read_; }

 private:
  void Grow_Vertices(int32_t index);
  Outcome Too_Many_Triangles() const;

  Mesh_Arrays& mesh_;
  int64_t vertices_;
  int64_t faces_;
  bool sized_;
  int32_t vertices_read_ = 0;
  int64_t polygons_read_ = 0;
  int64_t triangles_ = 0;
};
