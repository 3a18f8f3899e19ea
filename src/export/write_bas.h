#pragma once
// The BASIC data file: numbered lines, each ended by CR LF, holding the face
// and point counts (as last indices), every point of the optimized mesh to
// one decimal, then every face's three corner indices.
//
//   10'Number of Faces and Number of Points
//   11 data 0,2
//   12'Points from the 3D Object
//   13 data 0.0,0.0,0.0,12.3,-1.5,5.0,-7.3,100.0,0.1
//   14'Faces from the 3D Object
//   15 data 0,1,2
//
// Items are packed into " data " lines until a line grows past 100
// characters (or, in a format with a line length, while they fit in it); an
// item never spans two lines.
//
// Reads Nb_Faces, Nb_Pts_Optimized, Pts_Optimized, Faces_Optimized,
// Basic_Line and Basic_Step; leaves Basic_Line advanced past the last number
// used. Every line number lies within -32768..32767: when some line would
// need another, nothing is written and the old file stays.

#include <cstdint>
#include <span>
#include <string>

#include "core/mesh_store.h"
#include "core/outcome.h"
#include "export/bas_format.h"

// Writes File_Output through File_Sink (export/file_sink.h): a file is
// replaced only once the new one is complete, a link keeps pointing at the
// new file, a FIFO or device is written to, and a file the user may not
// write is refused. File_Input itself is never replaced unless it is a
// BASIC data file (saved over itself, it is renumbered). A refusal reads
// "Cannot write file: <File_Output>".
//
// `format` chooses the keyword case and the data lines' length, and with a
// viewer writes the whole program: the viewer's lines first, numbered from
// Basic_Line like the rest. Such a program is refused, with the reason, when
// the viewer could not run over the mesh (Check_Viewer_Program).
Outcome Write_Bas(MeshStore& store, const Bas_Format& format = {});
// The same text to standard output, written only once it is complete.
Outcome Write_Bas_To_Stdout(MeshStore& store, const Bas_Format& format = {});
// The same text into `text` (empty on a refusal); Basic_Line stays as it is,
// so the same store gives the same text every time.
Outcome Write_Bas_To_Text(const MeshStore& store, std::string& text, const Bas_Format& format = {});

// How many lines the file of this optimized mesh takes when numbered from
// `start` by `step` in `format` (the whole program, with a viewer): the
// writer's own packing, line by line. Where the mesh needs more lines than
// the numbers allow, the count goes on as if they did (their longer numbers
// can move a wrap).
int64_t Count_Bas_Lines(std::span<const Point3> points, std::span<const Face3> faces, int16_t start,
                        int16_t step, const Bas_Format& format = {});

// How many lines can be numbered from `start` by `step` within
// -32768..32767; -1 when there is no limit (a step of 0 numbers every line
// alike). Write_Bas writes a mesh exactly when Count_Bas_Lines is no more.
int64_t Available_Bas_Lines(int16_t start, int16_t step);
