#pragma once
// The mesh formats of a general mesh library (assimp, as Debian ships it):
// OBJ, OFF, 3MF, glTF and GLB, DAE, 3DS, FBX and the others it reads. Only
// stl2bas, the tests and the fuzz targets link this: the window opens STL,
// PLY and BASIC data files alone, and starts without loading the library.
//
// The whole scene becomes one normal mesh: the node tree is walked depth
// first, each node's meshes in its order with the node's transform (and its
// parents') applied, so a mesh that several nodes place appears once per
// node. Every point of each placed mesh is a point of Pts_Normal, in order;
// every face of three or more corners becomes the fan of its first corner,
// (c0, c1, c2), (c0, c2, c3), ..., as a PLY polygon does; points and lines
// make no face. The library joins no vertices and triangulates nothing
// itself: merging stays ours, exact.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/byte_source.h"
#include "core/mesh_store.h"
#include "core/outcome.h"
#include "core/progress.h"
#include "import/more_formats.h"

struct Scene_Input {
  // The format, named by its usual file extension ("obj", "off", "glb"): the
  // library's hint, and the store's Input_Format.
  std::string format;
  // Where files the input names (an OBJ's materials, a glTF's buffers) are
  // looked for; empty: nowhere (an input from memory or standard input).
  std::string folder;
  // The memory the library may take for this input, in bytes; 0: as its
  // size allows (scene_bytes.h).
  uint64_t memory_limit = 0;
  // The processor time it may take, in seconds; 0: as its size allows.
  unsigned cpu_seconds = 0;
};

// Reads every byte of `source` and hands them to the library, which runs in
// a child process (Run_Isolated, core/platform.h) within limits of memory
// and time that follow the input's size (scene_bytes.h): fuzzing found OBJ
// files on which it writes outside its memory and tiny files on which it
// loops, and neither may end or stall the program. Files the input names
// come only from `input.folder` and below (companion_files.h). The scene
// fills the polygon builder (import/polygon_mesh.h): writes Nb_Pts_Normal,
// Nb_Faces, Pts_Normal, Faces_Normal, Input_Format and Polygons_Split.
// Succeeds with two points and two triangles or more. Refuses what the
// library cannot read (with its reason), a point
// that is not a finite number (once placed), a face naming a point its mesh
// lacks, and more points or triangles than the counters hold. Throws
// std::bad_alloc when memory runs out. `name` names the input in messages.
Outcome Read_Scene(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress,
                    const Scene_Input& input);

// Whether the library reads files of this extension ("obj"; any case). A
// build made without the library (the Windows cross build) reads none, and
// says so.
bool Reads_Scene_Format(std::string_view extension);

// The library's formats, as a program adds them to our own readers.
More_Formats Scene_Formats();
