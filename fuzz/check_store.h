#pragma once
// What the store must hold after a read, checked by the fuzz targets.
// Each check aborts through Require when a property fails.

#include "core/mesh_store.h"
#include "core/outcome.h"

// Object_Loaded is set exactly when the read succeeded; a failure says why.
void Check_Outcome(const MeshStore& store, const Outcome& outcome);

// After a successful STL or PLY read: every array sized to its counter,
// Nb_Pts_Optimized <= Nb_Pts_Normal, every corner of Faces_Normal within
// Pts_Normal and of Faces_Optimized within Pts_Optimized, every coordinate
// finite, and the optimized mesh exactly the merge of the normal mesh: each
// distinct point once, in order of first occurrence, a bit-for-bit copy of
// that occurrence; each face re-pointed to the equal point; the entries past
// Nb_Pts_Optimized still zero.
void Check_Mesh_Read(const MeshStore& store);

// After a successful BASIC data read: the optimized arrays, Faces_Visible
// and Pts_Screen sized to their counters, the counters at least -1 and not
// both below 1, every coordinate finite. Face corners are as the file wrote
// them and are not checked.
void Check_Bas_Read(const MeshStore& store);

// The same input read as a file and as a pipe gives the same outcome and the
// same store: counters, Object_Loaded, and every entry the counters name
// (the normal mesh's only when `normal` is the read's). A file refused for a
// count larger than its size is checked as it is read; a pipe's size is
// known only at its end, so it may meet another fault first: it must be
// refused too, for whatever reason.
bool Refused_For_Its_Size(const Outcome& outcome);
void Check_Same_Read(const MeshStore& file, const Outcome& from_file, const MeshStore& stream,
                     const Outcome& from_stream, bool normal);
