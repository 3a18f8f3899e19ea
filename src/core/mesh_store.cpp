#include "core/mesh_store.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>

void Advise_Huge_Pages(const void* memory, size_t bytes) {
  constexpr uintptr_t kHuge = uintptr_t{2} << 20;
  if (bytes < 2 * kHuge) return;
  const uintptr_t start = (reinterpret_cast<uintptr_t>(memory) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(memory) + bytes) & ~(kHuge - 1);
  if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

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
