#include "model/model_report.h"

#include <new>

#include "shape/tidy_mesh.h"

int32_t Points_Shown(const MeshStore& store, Input_Kind kind) {
  return kind == Input_Kind::Bas ? store.Nb_Pts_Optimized : store.Nb_Pts_Normal;
}

int64_t Faces_Losing_Area(const MeshStore& store) {
  try {
    return Count_Tidy_Losses(store.Valid_Pts_Optimized(), store.Valid_Faces_Optimized()).faces_degenerate;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

Target_Report Report_Store_Target(const MeshStore& store, const Bas_Format& format) {
  return Report_Target(store.Valid_Pts_Optimized(), store.Valid_Faces_Optimized(), store.Basic_Line,
                       store.Basic_Step, format);
}

Model_Report Report_Model(const MeshStore& store, const Model_Result& result, const Input_Choice& choice,
                          const Shape_Options& shape) {
  Model_Report report;
  report.loaded = result.outcome.ok && store.Object_Loaded;
  report.faces = store.Nb_Faces;
  report.points = Points_Shown(store, choice.kind);
  report.points_optimized = store.Nb_Pts_Optimized;
  if (!report.loaded) return report;
  report.known = true;
  report.start = store.Basic_Line;
  report.step = store.Basic_Step;
  report.shape = result.shape;
  try {
    report.target = Report_Store_Target(store, shape.format);
    if (shape.Any()) {
      report.points_collapsing = result.shape.points_collapsing;
      report.faces_degenerate = result.shape.faces_degenerate;
    } else {
      const Tidy_Result tidy = Count_Tidy_Losses(store.Valid_Pts_Optimized(), store.Valid_Faces_Optimized());
      report.points_collapsing = tidy.points_collapsing;
      report.faces_degenerate = tidy.faces_degenerate;
    }
  } catch (const std::bad_alloc&) {
    report.measured = Outcome::No_Memory("measuring the model");
  }
  return report;
}
