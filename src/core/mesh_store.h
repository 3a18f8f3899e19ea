#pragma once
// The mesh store: the whole state of the converter. The readers replace the
// mesh, point merging derives the optimized mesh, the preview fills the screen
// points and visible faces, the writer reads the optimized mesh.
//
// Every counter holds the LAST VALID INDEX of its array (entries - 1, and -1
// for none). Loops run from 0 to the counter inclusive, never over the
// allocated size.
//
// A read fills a Mesh_Arrays of its own and hands it to the store in one step,
// Commit_Read, which sets every counter together with its array. Whenever
// Object_Loaded is set, each array therefore holds at least the entries its
// counter names (Check_Store): the preview and the writer rely on that and
// test nothing of it themselves.

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <span>
#include <string>

#include "core/flat_array.h"

struct Point3 {
  float X = 0.0f;
  float Y = 0.0f;
  float Z = 0.0f;
};

struct Face3 {
  int32_t A = 0;
  int32_t B = 0;
  int32_t C = 0;
};

// A projected point in drawing-area pixels, x to the right, y downward.
struct ScreenPoint {
  int16_t X = 0;
  int16_t Y = 0;
};

// Entries 0..last of an array, as far as it holds them (none for -1).
template <typename T>
std::span<T> Valid_Entries(Flat_Array<T>& array, int32_t last) {
  return {array.data(), last < 0 ? 0 : std::min(array.size(), static_cast<size_t>(last) + 1)};
}
template <typename T>
std::span<const T> Valid_Entries(const Flat_Array<T>& array, int32_t last) {
  return {array.data(), last < 0 ? 0 : std::min(array.size(), static_cast<size_t>(last) + 1)};
}

// The mesh part of the store, and what one read produces before it is
// committed.
struct Mesh_Arrays {
  // The normal mesh, as read: index into Pts_Normal.
  Flat_Array<Point3> Pts_Normal;
  Flat_Array<Face3> Faces_Normal;
  // The optimized mesh: each distinct point once; faces index Pts_Optimized.
  Flat_Array<Point3> Pts_Optimized;
  Flat_Array<Face3> Faces_Optimized;
  // The preview: front faces of the optimized mesh, and the projected points
  // of whichever mesh was projected last.
  Flat_Array<Face3> Faces_Visible;
  Flat_Array<ScreenPoint> Pts_Screen;

  int32_t Nb_Pts_Normal = 0;
  int32_t Nb_Faces = 0;  // shared by Faces_Normal and Faces_Optimized
  int32_t Nb_Pts_Optimized = 0;
  int32_t Nb_Faces_Visible = 0;

  // What the read found, for reports: the input's format ("ascii-stl",
  // "binary-stl", "ascii-ply", "binary-ply", "bas", or the format a general
  // mesh library read, such as "obj"; empty when nothing was read), and how
  // many of its faces had more than three corners, each read as a fan of
  // triangles from its first corner.
  std::string Input_Format;
  int64_t Polygons_Split = 0;

  // The valid entries of each mesh array, 0..its counter.
  std::span<Point3> Valid_Pts_Normal() { return Valid_Entries(Pts_Normal, Nb_Pts_Normal); }
  std::span<const Point3> Valid_Pts_Normal() const { return Valid_Entries(Pts_Normal, Nb_Pts_Normal); }
  std::span<Point3> Valid_Pts_Optimized() { return Valid_Entries(Pts_Optimized, Nb_Pts_Optimized); }
  std::span<const Point3> Valid_Pts_Optimized() const { return Valid_Entries(Pts_Optimized, Nb_Pts_Optimized); }
  std::span<Face3> Valid_Faces_Optimized() { return Valid_Entries(Faces_Optimized, Nb_Faces); }
  std::span<const Face3> Valid_Faces_Optimized() const { return Valid_Entries(Faces_Optimized, Nb_Faces); }
};

struct MeshStore : Mesh_Arrays {
  bool Object_Loaded = false;
  bool Show_Normal = false;

  // View state, copied from the scroll bars.
  float Angle_X = 0.0f;
  float Angle_Y = 0.0f;
  float Angle_Z = 0.0f;
  int16_t Zoom = 0;
  float Center_X = 0.0f;  // holds a whole number
  int16_t Center_Y = 0;

  std::string File_Input;
  std::string File_Output;

  // BASIC line numbering of the next save.
  int16_t Basic_Line = 0;
  int16_t Basic_Step = 0;
};

// Sizes an array to `count` entries afresh, discarding what it held; every
// entry is `fill` (zero unless given).
template <typename T>
void Size_Fresh(Flat_Array<T>& array, size_t count, const T& fill = T{}) {
  array.Size_Zeroed(count);
  const T zero{};
  if (std::memcmp(&fill, &zero, sizeof(T)) != 0)
    for (T& entry : array) entry = fill;
}

// Sizes an array to indices 0..last_index (no entry when last_index is -1),
// discarding what it held; every entry is zero.
template <typename T>
void Size_Array(Flat_Array<T>& array, int32_t last_index) {
  Size_Fresh(array, last_index < 0 ? 0 : static_cast<size_t>(last_index) + 1);
}

// Entries 0..last_index exist in the array (last_index -1 always holds).
template <typename T>
bool Holds_Index(const Flat_Array<T>& array, int64_t last_index) {
  return last_index >= -1 && last_index < static_cast<int64_t>(array.size());
}

// Sizes, afresh and zero-filled, the arrays derived from the normal mesh:
// Pts_Optimized and Pts_Screen to Nb_Pts_Normal, Faces_Optimized and
// Faces_Visible to Nb_Faces (for a reader that sized the normal mesh as it
// read it). False when memory runs out (the arrays are then left empty).
bool Size_Derived_Arrays(Mesh_Arrays& mesh);

// What a read replaces in the store.
enum class Read_Scope {
  // An STL or PLY read: the normal mesh, and the optimized mesh merged from
  // it. A read that did not get as far as merging leaves Nb_Pts_Optimized
  // as it was.
  Normal_And_Optimized,
  // A BASIC data read: the optimized mesh only; Pts_Normal, Faces_Normal
  // and Nb_Pts_Normal stay as they were.
  Optimized,
};

// Hands a read's mesh to the store in one step: every array of the scope
// and its counter together, Pts_Screen and Faces_Visible with them
// (Nb_Faces_Visible -1 until the next culling), and Object_Loaded. A loaded
// mesh must hold what its counters name; failed reads leave their counters
// for the window to show, and nothing reads their arrays. Never fails:
// `read` is moved from, not copied.
void Commit_Read(MeshStore& store, Mesh_Arrays& read, Read_Scope scope, bool loaded);

// Whether the optimized mesh's arrays hold what Nb_Pts_Optimized and
// Nb_Faces name, with room for every face in Faces_Visible and for every
// point in Pts_Screen.
bool Optimized_Mesh_Complete(const Mesh_Arrays& mesh);
// The same for the normal mesh (Pts_Normal, Faces_Normal, Pts_Screen).
bool Normal_Mesh_Complete(const Mesh_Arrays& mesh);

// In builds made for checking (debug, sanitizers, fuzzing): aborts, naming
// the rule, when `holds` is false. Nothing in release builds.
void Check_Store_Rule(bool holds, const char* rule);

// Checks, in builds made for checking, what the preview and the writer rely
// on while an object is loaded: every counter at least -1, the optimized
// mesh complete, the normal mesh complete while it is shown, and
// Nb_Faces_Visible at most Nb_Faces.
void Check_Store(const MeshStore& store);
