#pragma once
// The mesh store: the whole state of the converter. The readers replace the
// mesh, point merging derives the optimized mesh, the preview fills the screen
// points and visible faces, the writer reads the optimized mesh.
//
// Every counter holds the LAST VALID INDEX of its array (entries - 1, and -1
// for none). Loops run from 0 to the counter inclusive, never over the
// allocated size. Only the readers size arrays (Size_Array), always afresh and
// zero-filled, once per load.

#include <cstdint>
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

struct MeshStore {
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

// Sizes the arrays of an STL or PLY read, afresh and zero-filled:
// Pts_Normal, Pts_Optimized and Pts_Screen to Nb_Pts_Normal; Faces_Normal,
// Faces_Optimized and Faces_Visible to Nb_Faces. False when memory runs out
// (the arrays are then left empty).
bool Size_Arrays_For_Mesh(MeshStore& store);
