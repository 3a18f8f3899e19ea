#include "core/mesh_store.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <utility>

namespace {
void Empty_Mesh_Arrays(Mesh_Arrays& mesh) {
  for (auto* points : {&mesh.Pts_Normal, &mesh.Pts_Optimized}) points->Size_Zeroed(0);
  mesh.Pts_Screen.Size_Zeroed(0);
  for (auto* faces : {&mesh.Faces_Normal, &mesh.Faces_Optimized, &mesh.Faces_Visible}) faces->Size_Zeroed(0);
}
}  // namespace

bool Size_Derived_Arrays(Mesh_Arrays& mesh) {
  try {
    Size_Array(mesh.Pts_Optimized, mesh.Nb_Pts_Normal);
    Size_Array(mesh.Pts_Screen, mesh.Nb_Pts_Normal);
    Size_Array(mesh.Faces_Optimized, mesh.Nb_Faces);
    Size_Array(mesh.Faces_Visible, mesh.Nb_Faces);
    return true;
  } catch (const std::bad_alloc&) {
    Empty_Mesh_Arrays(mesh);
    return false;
  }
}

bool Optimized_Mesh_Complete(const Mesh_Arrays& mesh) {
  return Holds_Index(mesh.Pts_Optimized, mesh.Nb_Pts_Optimized) &&
         Holds_Index(mesh.Faces_Optimized, mesh.Nb_Faces) && Holds_Index(mesh.Faces_Visible, mesh.Nb_Faces) &&
         Holds_Index(mesh.Pts_Screen, mesh.Nb_Pts_Optimized);
}

bool Normal_Mesh_Complete(const Mesh_Arrays& mesh) {
  return Holds_Index(mesh.Pts_Normal, mesh.Nb_Pts_Normal) && Holds_Index(mesh.Faces_Normal, mesh.Nb_Faces) &&
         Holds_Index(mesh.Pts_Screen, mesh.Nb_Pts_Normal);
}

void Check_Store_Rule([[maybe_unused]] bool holds, [[maybe_unused]] const char* rule) {
#ifdef KORVANE_CHECK_STORE
  if (holds) return;
  std::fprintf(stderr, "mesh store: %s\n", rule);
  std::abort();
#endif
}

void Check_Store(const MeshStore& store) {
  if (!store.Object_Loaded) return;
  Check_Store_Rule(store.Nb_Pts_Normal >= -1 && store.Nb_Faces >= -1 && store.Nb_Pts_Optimized >= -1 &&
                       store.Nb_Faces_Visible >= -1,
                   "every counter of a loaded object is at least -1");
  Check_Store_Rule(Optimized_Mesh_Complete(store), "a loaded object's optimized mesh holds what its counters name");
  Check_Store_Rule(!store.Show_Normal || Normal_Mesh_Complete(store),
                   "the normal mesh is shown only while its arrays hold what its counters name");
  Check_Store_Rule(store.Nb_Faces_Visible <= store.Nb_Faces, "Nb_Faces_Visible is at most Nb_Faces");
}

void Commit_Read(MeshStore& store, Mesh_Arrays& read, Read_Scope scope, bool loaded) {
  using std::swap;
  if (scope == Read_Scope::Normal_And_Optimized) {
    swap(store.Pts_Normal, read.Pts_Normal);
    swap(store.Faces_Normal, read.Faces_Normal);
    store.Nb_Pts_Normal = read.Nb_Pts_Normal;
  }
  swap(store.Pts_Optimized, read.Pts_Optimized);
  swap(store.Faces_Optimized, read.Faces_Optimized);
  swap(store.Faces_Visible, read.Faces_Visible);
  swap(store.Pts_Screen, read.Pts_Screen);
  store.Nb_Faces = read.Nb_Faces;
  if (scope == Read_Scope::Optimized || loaded) store.Nb_Pts_Optimized = read.Nb_Pts_Optimized;
  store.Nb_Faces_Visible = -1;
  swap(store.Input_Format, read.Input_Format);
  store.Polygons_Split = read.Polygons_Split;
  store.Object_Loaded = loaded;
  if (loaded) {
    Check_Store_Rule(Optimized_Mesh_Complete(store), "a loaded read's optimized mesh holds what its counters name");
    Check_Store_Rule(scope == Read_Scope::Optimized || Normal_Mesh_Complete(store),
                     "a loaded read's normal mesh holds what its counters name");
  }
}
