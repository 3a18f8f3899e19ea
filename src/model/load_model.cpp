#include "model/load_model.h"

#include <filesystem>
#include <new>

#include "core/line_numbering.h"

namespace {

// The folder where the files an input names are looked for: the input's
// own; none for standard input or bytes from elsewhere.
std::string Companion_Folder(const MeshStore& store, const Model_Request& request) {
  if (request.source || store.File_Input == "-") return {};
  const std::string folder = std::filesystem::path(store.File_Input).parent_path().string();
  return folder.empty() ? "." : folder;
}

Outcome Read_As_Chosen(MeshStore& store, const Model_Request& request) {
  const Input_Choice& choice = request.choice;
  if (choice.format.empty()) {
    if (request.source) return Read_Input(store, choice.kind, *request.source, request.progress);
    return Read_Input(store, choice.kind, request.progress, request.streams);
  }
  if (!request.more || !request.more->reader) return Outcome::Failure("unsupported input: " + store.File_Input);
  const Mesh_Reader reader =
      request.more->reader(choice.format, Companion_Folder(store, request), request.memory_limit);
  if (request.source)
    return Read_Input_With(store, reader, Read_Scope::Normal_And_Optimized, *request.source, request.progress);
  return Read_Input_With(store, reader, Read_Scope::Normal_And_Optimized, request.progress, request.streams);
}

}  // namespace

Outcome Read_Model(MeshStore& store, const Model_Request& request) {
  try {
    return Read_As_Chosen(store, request);
  } catch (const std::bad_alloc&) {
    return Outcome::No_Memory("reading it");
  }
}

Model_Result Load_Model(MeshStore& store, const Model_Request& request) {
  Model_Result result;
  result.outcome = Read_Model(store, request);
  result.normal_faces = store.Nb_Faces;
  if (!result.outcome.ok) return result;

  result.step = Model_Step::Numbering;
  result.outcome = Set_Line_Numbering(store, request.start, request.step);
  if (!result.outcome.ok) return result;

  result.step = Model_Step::Fitting;
  if (request.normal_only) {
    Turn_And_Fit(store, request.shape);
  } else {
    result.outcome = Shape_Mesh(store, request.shape, result.shape);
    if (!result.outcome.ok) return result;
  }
  result.step = Model_Step::Done;
  return result;
}
