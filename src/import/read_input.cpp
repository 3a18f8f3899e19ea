#include "import/read_input.h"

#include "import/read_bas.h"
#include "import/read_ply.h"
#include "import/read_stl.h"

Outcome Read_Input(MeshStore& store, Input_Kind kind, Progress* progress) {
  switch (kind) {
    case Input_Kind::Stl: return Read_Stl(store, progress);
    case Input_Kind::Ply: return Read_Ply(store, progress);
    case Input_Kind::Bas: return Read_Bas(store, progress);
    case Input_Kind::Unsupported: break;
  }
  return Outcome::Failure("unsupported input: " + store.File_Input);
}
