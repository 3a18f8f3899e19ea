#pragma once
// What a loaded model gives the target, as `stl2bas info` reports it and the
// window's counters show it: the counts as last indices, the box the saved
// points fill, the BASIC lines the file needs against those the numbering
// leaves room for, and what one decimal costs the mesh (without shaping:
// what rounding would do to it as read; with shaping: what the tidy step
// merged and dropped).

#include <cstdint>

#include "core/mesh_store.h"
#include "model/load_model.h"
#include "shape/target_report.h"

struct Model_Report {
  bool loaded = false;
  // The window's three counters. "Number of Points" of a BASIC data file
  // shows its own points, its only points.
  int32_t faces = -1;
  int32_t points = -1;
  int32_t points_optimized = -1;
  // What the target gets; known only for a loaded model.
  bool known = false;
  Target_Report target;
  int16_t start = 0;
  int16_t step = 0;
  int64_t points_collapsing = 0;
  int64_t faces_degenerate = 0;
  Shape_Report shape;
  // Fails only when memory runs out while measuring.
  Outcome measured;
};

// The counter "Number of Points" shows after a read of this kind.
int32_t Points_Shown(const MeshStore& store, Input_Kind kind);

// What Load_Model left in the store, shaped as `shape` says (the losses are
// the tidy step's when any shaping was asked for; the lines are those of
// the file shape.format writes). Counts the lines and the losses afresh; catches memory running out
// while it counts (`measured` then says so).
Model_Report Report_Model(const MeshStore& store, const Model_Result& result, const Input_Choice& choice,
                          const Shape_Options& shape);

// How many faces of the optimized mesh lose their area at one decimal, the
// tenths the file holds; 0 when memory runs out counting them (a warning
// left out, not a failure).
int64_t Faces_Losing_Area(const MeshStore& store);

// The lines the optimized mesh's file in `format` needs, and those the
// store's numbering leaves room for (-1: no limit).
Target_Report Report_Store_Target(const MeshStore& store, const Bas_Format& format = {});
