#include "import/read_input.h"

#include "import/read_bas.h"
#include "import/read_off.h"
#include "import/read_ply.h"
#include "import/read_stl.h"
#include "merge/optimize_points.h"

namespace {

Read_Scope Scope_Of(Input_Kind kind) {
  return kind == Input_Kind::Bas ? Read_Scope::Optimized : Read_Scope::Normal_And_Optimized;
}

Mesh_Reader Reader_Of(Input_Kind kind) {
  switch (kind) {
    case Input_Kind::Stl: return Read_Stl;
    case Input_Kind::Ply: return Read_Ply;
    case Input_Kind::Bas: return Read_Bas;
    case Input_Kind::Off: return Read_Off;
    case Input_Kind::Unsupported: break;
  }
  return nullptr;
}

}  // namespace

Outcome Read_Input_With(MeshStore& store, const Mesh_Reader& reader, Read_Scope scope, Byte_Source& source,
                        Progress* progress) {
  Mesh_Arrays mesh;
  Outcome outcome = reader(source, store.File_Input, mesh, progress);
  // A read of the normal mesh leaves the arrays derived from it to this
  // road: sized for a mesh that loaded, then merged.
  if (outcome.ok && scope == Read_Scope::Normal_And_Optimized) {
    if (!Size_Derived_Arrays(mesh))
      outcome = Outcome::Failure("Not enough memory for " + std::to_string(int64_t{mesh.Nb_Pts_Normal} + 1) +
                                 " points and " + std::to_string(int64_t{mesh.Nb_Faces} + 1) + " faces");
    else if (!Optimize_Points(mesh, progress))
      outcome = Outcome::Cancelled();
  }
  // A read the user stopped never reaches the store.
  if (!outcome.cancelled) Commit_Read(store, mesh, scope, outcome.ok);
  return outcome;
}

Outcome Read_Input_With(MeshStore& store, const Mesh_Reader& reader, Read_Scope scope, Progress* progress,
                        Input_Streams streams) {
  bool refused_stream = false;
  std::unique_ptr<Byte_Source> source = Open_Input_File(store.File_Input, streams, refused_stream);
  if (!source) {
    Mesh_Arrays nothing;
    Commit_Read(store, nothing, scope, false);
    return Outcome::Failure("Cannot open file: " + store.File_Input +
                            (refused_stream ? " (not a regular file)" : ""));
  }
  return Read_Input_With(store, reader, scope, *source, progress);
}

Outcome Read_Input(MeshStore& store, Input_Kind kind, Byte_Source& source, Progress* progress) {
  if (kind == Input_Kind::Unsupported) return Outcome::Failure("unsupported input: " + store.File_Input);
  return Read_Input_With(store, Reader_Of(kind), Scope_Of(kind), source, progress);
}

Outcome Read_Input(MeshStore& store, Input_Kind kind, Progress* progress, Input_Streams streams) {
  if (kind == Input_Kind::Unsupported) return Outcome::Failure("unsupported input: " + store.File_Input);
  return Read_Input_With(store, Reader_Of(kind), Scope_Of(kind), progress, streams);
}
