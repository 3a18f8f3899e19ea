#pragma once
// The preview's geometry, free of any window toolkit: the store and the view
// state in, the ordered list of screen segments out. The window paints
// exactly these segments; `stl2bas render` writes them as a picture.

#include <cstdint>
#include <vector>

#include "core/mesh_store.h"

struct Segment {
  ScreenPoint From;
  ScreenPoint To;
};

// The view as the scroll bars give it: angles in whole degrees, zoom 1..20.
// Writes Angle_X, Angle_Y, Angle_Z and Zoom; a value outside those ranges is
// held at the nearest end of its range.
void Set_View(MeshStore& store, int angle_x, int angle_y, int angle_z, int zoom);

// The centre of a drawing area of width x height pixels: Center_X =
// floor(width / 2) as a float, Center_Y = floor(height / 2). Writes
// Center_X and Center_Y; a negative size counts as 0.
void Set_Drawing_Area(MeshStore& store, int width, int height);

// Projects the shown mesh of the loaded object (Show_Normal: the normal
// mesh, else the optimized one), culls back faces for the optimized mesh,
// and fills `segments` with two segments per drawn face, A-B then B-C, in
// drawing order. Faces whose corners lie outside the mesh's points (only a
// faulty BASIC data file makes them) are skipped. Writes Pts_Screen (and for
// the optimized mesh Faces_Visible, Nb_Faces_Visible). Without a loaded
// object, `segments` stays empty.
void Build_Wireframe(MeshStore& store, std::vector<Segment>& segments);
