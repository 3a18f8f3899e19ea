#include "core/mesh_store.h"

#include <new>

bool Size_Arrays_For_Mesh(MeshStore& store) {
  try {
    Size_Array(store.Pts_Normal, store.Nb_Pts_Normal);
    Size_Array(store.Pts_Optimized, store.Nb_Pts_Normal);
    Size_Array(store.Pts_Screen, store.Nb_Pts_Normal);
    Size_Array(store.Faces_Normal, store.Nb_Faces);
    Size_Array(store.Faces_Optimized, store.Nb_Faces);
    Size_Array(store.Faces_Visible, store.Nb_Faces);
    return true;
  } catch (const std::bad_alloc&) {
    for (auto* points : {&store.Pts_Normal, &store.Pts_Optimized}) std::vector<Point3>().swap(*points);
    std::vector<ScreenPoint>().swap(store.Pts_Screen);
    for (auto* faces : {&store.Faces_Normal, &store.Faces_Optimized, &store.Faces_Visible})
      std::vector<Face3>().swap(*faces);
    return false;
  }
}
