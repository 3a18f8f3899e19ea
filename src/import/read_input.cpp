#include "import/read_input.h"

#include "import/read_bas.h"
#include "import/read_ply.h"
#include "import/read_stl.h"
#include "merge/optimize_points.h"

namespace {

Read_Scope Scope_Of(Input_Kind kind) {
  return kind == Input_Kind::Bas ? Read_Scope::Optimized : Read_Scope::Normal_And_Optimized;
}

Outcome Run_Reader(Input_Kind kind, Byte_Source& source, const std::string& name, Mesh_Arrays& mesh,
                   Progress* progress) {
  switch (kind) {
    case Input_Kind::Stl: return Read_Stl(source, name, mesh, progress);
    case Input_Kind::Ply: return Read_Ply(source, name, mesh, progress);
    case Input_Kind::Bas: return Read_Bas(source, name, mesh, progress);
    case Input_Kind::Unsupported: break;
  }
  return Outcome::Failure("unsupported input: " + name);
}

}  // namespace

Outcome Read_Input(MeshStore& store, Input_Kind kind, Byte_Source& source, Progress* progress) {
  if (kind == Input_Kind::Unsupported) return Outcome::Failure("unsupported input: " + store.File_Input);
  Mesh_Arrays mesh;
  Outcome outcome = Run_Reader(kind, source, store.File_Input, mesh, progress);
  if (outcome.ok && Scope_Of(kind) == Read_Scope::Normal_And_Optimized && !Optimize_Points(mesh, progress))
    outcome = Outcome::Cancelled();
  // A read the user stopped never reaches the store.
  if (!outcome.cancelled) Commit_Read(store, mesh, Scope_Of(kind), outcome.ok);
  return outcome;
}

Outcome Read_Input(MeshStore& store, Input_Kind kind, Progress* progress, Input_Streams streams) {
  if (kind == Input_Kind::Unsupported) return Outcome::Failure("unsupported input: " + store.File_Input);
  bool refused_stream = false;
  std::unique_ptr<Byte_Source> source = Open_Input_File(store.File_Input, streams, refused_stream);
  if (!source) {
    Mesh_Arrays nothing;
    Commit_Read(store, nothing, Scope_Of(kind), false);
    return Outcome::Failure("Cannot open file: " + store.File_Input +
                            (refused_stream ? " (not a regular file)" : ""));
  }
  return Read_Input(store, kind, *source, progress);
}
