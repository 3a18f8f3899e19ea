#include "check_preview.h"

#include <vector>

#include "preview/wireframe.h"
#include "require.h"

void Check_Preview(MeshStore& store, bool normal_mesh_belongs) {
  std::vector<Segment> segments;
  Set_Drawing_Area(store, 800, 600);
  Set_View(store, 30, 300, 45, 20);
  for (bool normal : {true, false}) {
    if (normal && !normal_mesh_belongs) continue;
    store.Show_Normal = normal;
    Build_Wireframe(store, segments);
    Require(segments.size() % 2 == 0 && segments.size() <= 2 * (size_t(int64_t{store.Nb_Faces} + 1)),
            "the preview draws at most two segments per face");
    Require(store.Object_Loaded || segments.empty(), "nothing is drawn without a loaded object");
  }
}
