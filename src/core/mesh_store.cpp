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
    for (auto* points : {&store.Pts_Normal, &store.Pts_Optimized}) points->Size_Zeroed(0);
    store.Pts_Screen.Size_Zeroed(0);
    for (auto* faces : {&store.Faces_Normal, &store.Faces_Optimized, &store.Faces_Visible}) faces->Size_Zeroed(0);
    return false;
  }
}
