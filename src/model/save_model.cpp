#include "model/save_model.h"

#include <new>

#include "export/write_bas.h"

Outcome Save_Model(MeshStore& store, const std::string& output, const Shape_Options& shape) {
  if (shape.Any() && store.Nb_Faces < 0)
    return Outcome::Failure(std::string("No face keeps its area at one decimal, so the file would hold no face") +
                            (shape.fit_size > 0 ? "" : " (--fit 400 makes the model 400 units across)"));
  try {
    store.File_Output = output;
    return output == "-" ? Write_Bas_To_Stdout(store, shape.format) : Write_Bas(store, shape.format);
  } catch (const std::bad_alloc&) {
    return Outcome::No_Memory("writing the BASIC data file");
  }
}
