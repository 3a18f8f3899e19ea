#pragma once
// The preview over whatever a read left in the store, loaded or not, the
// normal and the optimized mesh alike: it must read nothing outside an array
// (the sanitizers watch) and draw at most two segments per face.

#include "core/mesh_store.h"

void Check_Preview(MeshStore& store);
