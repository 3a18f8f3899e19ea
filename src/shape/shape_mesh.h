#pragma once
// Fitting a loaded mesh for the Korvane 3D, after the read and the merge:
// turn it upright, fit it to a size, reduce its faces, then tidy it as the
// BASIC data file will hold it, each step only when asked for. The tidy
// step follows whenever any of the others is asked for. A reduced model is
// fitted after its reduction, by the box of the points it keeps, so that
// its largest side is the size asked for (Fit_And_Tidy).
//
// The turn and the fit move the normal and the optimized mesh alike, so
// either view shows the same model. Reducing and tidying change only the
// optimized mesh: Nb_Faces then counts its faces, and Faces_Normal no longer
// matches it (as after a BASIC data read), so a caller that shows the
// normal mesh applies the turn and the fit only (Turn_And_Fit).
//
// Reads and writes Pts_Normal(0..Nb_Pts_Normal), Pts_Optimized,
// Faces_Optimized, Nb_Pts_Optimized and Nb_Faces; reads Basic_Line and
// Basic_Step for a limit chosen to fit the line numbers. Does nothing
// unless Object_Loaded.

#include <cstddef>
#include <cstdint>

#include "core/mesh_store.h"
#include "core/outcome.h"
#include "export/bas_format.h"
#include "shape/turn_upright.h"

// No reduction; at most max_faces; the most faces whose file fits the line
// numbers; as many as draw legibly (Legible_Faces_That_Fit), within the line
// numbers too.
enum class Face_Limit { None, Count, Fit_Line_Numbers, Legible };

struct Shape_Options {
  bool turn = false;
  Up_Axis up = Up_Axis::Minus_Y;
  double fit_size = 0.0;  // above 0: fit to this size
  Face_Limit face_limit = Face_Limit::None;
  size_t max_faces = 0;  // with Face_Limit::Count
  bool clean = false;    // the tidy step alone
  Bas_Format format;     // how the file is written, for a limit that fits the line numbers

  bool Any() const { return turn || fit_size > 0 || face_limit != Face_Limit::None || clean; }
};

struct Shape_Report {
  // The reduction, when a face limit was given.
  bool reduced = false;
  int64_t faces_before = 0;
  int64_t faces_target = 0;
  int64_t faces_achieved = 0;  // after the tidy step
  double simplify_error = 0.0;  // relative to the model's size
  bool sloppy = false;
  // The tidy step, when it ran.
  bool tidied = false;
  int64_t points_collapsing = 0;
  int64_t faces_degenerate = 0;
  int64_t faces_outside = 0;
  int64_t points_unused = 0;
};

// Turns and fits both meshes as asked, and nothing else.
void Turn_And_Fit(MeshStore& store, const Shape_Options& options);

// All the steps. Fails only when memory runs out, or when not even one face fits the line
// numbers; the store then keeps the mesh as it was after the failed step.
Outcome Shape_Mesh(MeshStore& store, const Shape_Options& options, Shape_Report& report);
