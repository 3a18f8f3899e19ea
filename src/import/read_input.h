#pragma once
// Reading an input: the one place that opens anything. Opens the input (a
// file, or standard input for "-"), runs the reader of its kind over the
// bytes, sizes the arrays derived from a normal mesh (STL, PLY, OFF, a
// scene) and merges its points, and commits what the read produced to the
// store in one step (Commit_Read): the counters together with
// their arrays and Object_Loaded, set exactly when the read succeeded. A read
// that fails leaves the counters it reached, for the window to show; an
// input that cannot be opened leaves them as an empty read does. A read the
// user cancels (through `progress`) leaves the store as it was.

#include <functional>
#include <string>

#include "core/byte_source.h"
#include "core/mesh_store.h"
#include "core/outcome.h"
#include "core/progress.h"
#include "import/input_kind.h"

// Reads `source` as an input of `kind`; File_Input names it in messages.
Outcome Read_Input(MeshStore& store, Input_Kind kind, Byte_Source& source, Progress* progress = nullptr);

// Opens File_Input ("-": standard input) and reads it. With
// Input_Streams::Refuse only a regular file is read: anything else is refused
// before a byte is read, and nothing waits for a writer.
Outcome Read_Input(MeshStore& store, Input_Kind kind, Progress* progress = nullptr,
                   Input_Streams streams = Input_Streams::Read);

// A reader of some other kind, as the readers here are: reads the source
// into the mesh, names the input in messages as `name`.
using Mesh_Reader = std::function<Outcome(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh,
                                          Progress* progress)>;

// The same road for a reader from elsewhere (a library only some programs
// link): opens File_Input (or reads `source`), runs `reader`, merges the
// points when `scope` is Normal_And_Optimized, and commits.
Outcome Read_Input_With(MeshStore& store, const Mesh_Reader& reader, Read_Scope scope, Byte_Source& source,
                        Progress* progress = nullptr);
Outcome Read_Input_With(MeshStore& store, const Mesh_Reader& reader, Read_Scope scope, Progress* progress = nullptr,
                        Input_Streams streams = Input_Streams::Read);
