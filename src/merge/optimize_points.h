#pragma once
// Point merging: Pts_Optimized receives each distinct point of Pts_Normal
// once, numbered in the order of first occurrence (a copy, bit for bit, of
// that first point), and Faces_Optimized the faces of Faces_Normal re-pointed
// into it. Points are equal when X, Y and Z are equal as 32-bit floats: no
// tolerance, 0.0 equal to -0.0, values one step apart kept apart.
//
// Reads Pts_Normal(0..Nb_Pts_Normal), Faces_Normal(0..Nb_Faces); writes
// Pts_Optimized, Nb_Pts_Optimized, Faces_Optimized, which the reader has
// sized (Pts_Optimized to Nb_Pts_Normal, Faces_Optimized to Nb_Faces).
// Linear time: one open-addressing table of point indices, grown as distinct
// points arrive. A face corner outside 0..Nb_Pts_Normal (which no reader lets
// through) is copied as is.
//
// Works on the store or on a read's own mesh alike. Returns false only when
// `progress` asked to stop.

#include "core/mesh_store.h"
#include "core/progress.h"

bool Optimize_Points(Mesh_Arrays& mesh, Progress* progress = nullptr);
