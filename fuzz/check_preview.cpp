#include "check_preview.h"

#include <vector>

#include "preview/wireframe.h"
#include "require.h"

void Check_Preview(MeshStore& store) {
  std::vector<Segment> segments;
  Set_Drawing_Area(store, 800, 600);
  Set_View(store, 30, 300, 45, 20);
  for (bool normal : {true, false}) {
    store.Show_Normal = normal;
    Build_Wireframe(store, segments);
    Require(segments.size() % 2 == 0 && segments.size() <= 2 * (size_t(int64_t{store.Nb_Faces} + 1)),
            "the preview draws at most two segments per face");
  }
}
