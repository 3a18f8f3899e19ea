#include "model/save_model.h"

#include <new>

#include "export/write_bas.h"

namespace {

// A shaped model with no face left has nothing to draw.
Outcome Check_Faces_Left(const MeshStore& store, const Shape_Options& shape) {
  if (shape.Any() && store.Nb_Faces < 0)
    return Outcome::Failure(std::string("No face keeps its area at one decimal, so the file would hold no face") +
                            (shape.fit_size > 0 ? "" : " (--fit 400 makes the model 400 units across)"));
  return Outcome::Success();
}

}  // namespace

Outcome Save_Model(MeshStore& store, const std::string& output, const Shape_Options& shape) {
  if (Outcome left = Check_Faces_Left(store, shape); !left.ok) return left;
  try {
    store.File_Output = output;
    return output == "-" ? Write_Bas_To_Stdout(store, shape.format) : Write_Bas(store, shape.format);
  } catch (const std::bad_alloc&) {
    return Outcome::No_Memory("writing the BASIC data file");
  }
}

Outcome Save_Model_Text(const MeshStore& store, const Shape_Options& shape, std::string& text) {
  text.clear();
  if (Outcome left = Check_Faces_Left(store, shape); !left.ok) return left;
  try {
    return Write_Bas_To_Text(store, text, shape.format);
  } catch (const std::bad_alloc&) {
    text.clear();
    return Outcome::No_Memory("writing the BASIC data file");
  }
}
