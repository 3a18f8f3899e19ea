#pragma once
// The preview over what a read left in the store, as the window draws it:
// nothing unless an object is loaded, the optimized mesh always and the
// normal mesh when it belongs to the object (after an STL or PLY read). It
// must read nothing outside an array (the sanitizers and the store's checks
// watch) and draw at most two segments per face.

#include "core/mesh_store.h"

void Check_Preview(MeshStore& store, bool normal_mesh_belongs);
