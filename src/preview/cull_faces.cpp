#include "preview/cull_faces.h"

#include "preview/project_points.h"

bool Faces_Viewer(ScreenPoint a, ScreenPoint b, ScreenPoint c) {
  const double ax = a.X / 100.0, ay = a.Y / 100.0;
  const double bx = b.X / 100.0, by = b.Y / 100.0;
  const double cx = c.X / 100.0, cy = c.Y / 100.0;
  const double t1 = (ax - bx) * (cy - by);
  const double t2 = (cx - bx) * (ay - by);
  return t1 - t2 >= 0.0;
}

int32_t Cull_Faces(MeshStore& store) {
  store.Nb_Faces_Visible = -1;
  Check_Store_Rule(Optimized_Mesh_Complete(store), "the culled mesh is complete");
  const int32_t last_point = store.Nb_Pts_Optimized;
  const int32_t n = store.Nb_Faces;

  const Face3* faces = store.Faces_Optimized.data();
  const ScreenPoint* screen = store.Pts_Screen.data();
  Face3* visible = store.Faces_Visible.data();
  int32_t count = -1;
  for (int32_t i = 0; i <= n; ++i) {
    const Face3 face = faces[i];
    if (!Face_Within(face, last_point)) continue;
    if (!Faces_Viewer(screen[face.A], screen[face.B], screen[face.C])) continue;
    visible[++count] = face;
  }
  store.Nb_Faces_Visible = count;
  return count;
}
