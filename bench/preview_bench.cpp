// The preview's work per redraw on a 1,000,000-face torus: projection,
// back-face culling and segment building, for the optimized view (500,000
// shared points, culled) and the normal view (3,000,000 points, every face).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/mesh_store.h"
#include "preview/draw_lines.h"
#include "preview/wireframe.h"

namespace {

constexpr int Rings = 500;
constexpr int Segments = 1000;  // 2 x 500 x 1000 = 1,000,000 faces

// Both meshes of one torus, as a reader and point merging would leave them.
MeshStore Torus_Store() {
  MeshStore store;
  const int32_t points = Rings * Segments;
  const int32_t faces = 2 * points;
  store.Nb_Pts_Optimized = points - 1;
  store.Nb_Faces = faces - 1;
  store.Nb_Pts_Normal = 3 * faces - 1;
  Size_Array(store.Pts_Optimized, store.Nb_Pts_Normal);
  Size_Array(store.Pts_Normal, store.Nb_Pts_Normal);
  Size_Array(store.Pts_Screen, store.Nb_Pts_Normal);
  Size_Array(store.Faces_Optimized, store.Nb_Faces);
  Size_Array(store.Faces_Normal, store.Nb_Faces);
  Size_Array(store.Faces_Visible, store.Nb_Faces);

  const double two_pi = 6.283185307179586;
  for (int r = 0; r < Rings; ++r)
    for (int s = 0; s < Segments; ++s) {
      const double u = two_pi * r / Rings, v = two_pi * s / Segments;
      const double radius = 8.0 + 3.0 * std::cos(v);
      store.Pts_Optimized[r * Segments + s] = {static_cast<float>(radius * std::cos(u)),
                                               static_cast<float>(radius * std::sin(u)),
                                               static_cast<float>(3.0 * std::sin(v))};
    }
  auto at = [](int r, int s) { return (r % Rings) * Segments + (s % Segments); };
  int32_t f = 0;
  for (int r = 0; r < Rings; ++r)
    for (int s = 0; s < Segments; ++s) {
      const int32_t a = at(r, s), b = at(r + 1, s), c = at(r + 1, s + 1), d = at(r, s + 1);
      store.Faces_Optimized[f++] = {a, b, c};
      store.Faces_Optimized[f++] = {a, c, d};
    }
  for (int32_t i = 0; i <= store.Nb_Faces; ++i) {
    const Face3 face = store.Faces_Optimized[i];
    store.Pts_Normal[3 * i] = store.Pts_Optimized[face.A];
    store.Pts_Normal[3 * i + 1] = store.Pts_Optimized[face.B];
    store.Pts_Normal[3 * i + 2] = store.Pts_Optimized[face.C];
    store.Faces_Normal[i] = {3 * i, 3 * i + 1, 3 * i + 2};
  }
  store.Object_Loaded = true;
  Set_Drawing_Area(store, 481, 473);
  Set_View(store, 30, 45, 60, 20);
  return store;
}

void Redraw_Geometry(benchmark::State& state, bool show_normal) {
  MeshStore store = Torus_Store();
  store.Show_Normal = show_normal;
  std::vector<Segment> segments;
  for (auto _ : state) {
    Build_Wireframe(store, segments);
    benchmark::DoNotOptimize(segments.data());
  }
  state.counters["segments"] = static_cast<double>(segments.size());
  state.SetItemsProcessed(state.iterations() * (int64_t{store.Nb_Faces} + 1));
}

void BM_Wireframe_Optimized(benchmark::State& state) { Redraw_Geometry(state, false); }
void BM_Wireframe_Normal(benchmark::State& state) { Redraw_Geometry(state, true); }
BENCHMARK(BM_Wireframe_Optimized)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_Wireframe_Normal)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The window's line drawing of the normal view's 2,000,000 segments into its
// 481 x 473 picture, the torus turned 30, 45, 60 degrees at the zoom given:
// at zoom 1 nearly every segment is a pixel or two long, at 20 the torus
// runs far past the picture's edges.
void BM_Draw_Lines(benchmark::State& state) {
  MeshStore store = Torus_Store();
  store.Show_Normal = true;
  Set_View(store, 30, 45, 60, static_cast<int>(state.range(0)));
  std::vector<Segment> segments;
  Build_Wireframe(store, segments);
  std::vector<uint32_t> picture(481 * 473);
  for (auto _ : state) {
    std::fill(picture.begin(), picture.end(), 0xffffffffu);
    Draw_Lines(picture.data(), 481, 473, 481, segments, 0xff000000u);
    benchmark::DoNotOptimize(picture.data());
  }
  state.counters["segments"] = static_cast<double>(segments.size());
}
BENCHMARK(BM_Draw_Lines)->ArgName("zoom")->Arg(1)->Arg(4)->Arg(20)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace
