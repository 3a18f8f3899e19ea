// Micro-benchmarks of the core's hot paths: number parsing, point merging,
// coordinate formatting and reading a PLY file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/mesh_store.h"
#include "core/parse_number.h"
#include "export/coordinate_text.h"
#include "import/read_input.h"
#include "merge/optimize_points.h"

namespace {

void BM_Parse_Number(benchmark::State& state) {
  std::vector<std::string> texts;
  std::mt19937 random(1);
  std::uniform_real_distribution<float> value(-100.0f, 100.0f);
  char text[32];
  for (int i = 0; i < 4096; ++i) {
    std::snprintf(text, sizeof text, "%e", value(random));
    texts.emplace_back(text);
  }
  double sum = 0;
  for (auto _ : state)
    for (const std::string& t : texts) sum += Parse_Number(t);
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * texts.size());
}
BENCHMARK(BM_Parse_Number);

// A grid mesh written STL-style: every point repeated six times.
void BM_Optimize_Points(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  MeshStore store;
  std::vector<Point3> grid;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) grid.push_back({x * 0.5f, y * 0.25f, (x ^ y) * 0.1f});
  std::vector<Point3> points;
  for (int y = 0; y + 1 < side; ++y)
    for (int x = 0; x + 1 < side; ++x) {
      const Point3 a = grid[y * side + x], b = grid[y * side + x + 1], c = grid[(y + 1) * side + x + 1],
                   d = grid[(y + 1) * side + x];
      points.insert(points.end(), {a, b, c, a, c, d});
    }
  store.Pts_Normal = points;
  store.Nb_Pts_Normal = static_cast<int32_t>(points.size()) - 1;
  store.Nb_Faces = static_cast<int32_t>(points.size() / 3) - 1;
  Size_Array(store.Faces_Normal, store.Nb_Faces);
  for (int32_t f = 0; f <= store.Nb_Faces; ++f) store.Faces_Normal[f] = {3 * f, 3 * f + 1, 3 * f + 2};
  Size_Array(store.Faces_Optimized, store.Nb_Faces);
  Size_Array(store.Pts_Optimized, store.Nb_Pts_Normal);
  for (auto _ : state) Optimize_Points(store);
  state.SetItemsProcessed(state.iterations() * points.size());
}
BENCHMARK(BM_Optimize_Points)->Arg(100)->Arg(410)->Arg(708)->Unit(benchmark::kMillisecond);

void BM_Format_Coordinate(benchmark::State& state) {
  std::mt19937 random(2);
  std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
  std::vector<float> values(4096);
  for (float& v : values) v = value(random);
  char text[64];
  size_t total = 0;
  for (auto _ : state)
    for (float v : values) total += Format_Coordinate(v, text);
  benchmark::DoNotOptimize(total);
  state.SetItemsProcessed(state.iterations() * values.size());
}
BENCHMARK(BM_Format_Coordinate);

// Reading and merging an ASCII PLY grid of side x side points (two faces
// per grid cell), as a mesh writer lays it out.
void BM_Read_Ply(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("korvane_bench_" + std::to_string(::getpid()) + ".ply");
  {
    std::ofstream out(path);
    const int faces = 2 * (side - 1) * (side - 1);
    out << "ply\nformat ascii 1.0\nelement vertex " << side * side
        << "\nproperty float x\nproperty float y\nproperty float z\nelement face " << faces
        << "\nproperty list uchar int vertex_indices\nend_header\n";
    char line[96];
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        std::snprintf(line, sizeof line, "%f %f %f\n", x * 0.5, y * 0.25, ((x ^ y) & 7) * 0.1);
        out << line;
      }
    for (int y = 0; y + 1 < side; ++y)
      for (int x = 0; x + 1 < side; ++x) {
        int a = y * side + x, b = a + 1, c = a + side + 1, d = a + side;
        out << "3 " << a << ' ' << b << ' ' << c << "\n3 " << a << ' ' << c << ' ' << d << '\n';
      }
  }
  MeshStore store;
  store.File_Input = path.string();
  for (auto _ : state) {
    Outcome outcome = Read_Input(store, Input_Kind::Ply);
    if (!outcome.ok) state.SkipWithError(outcome.message.c_str());
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations() * (store.Nb_Faces + 1));
}
BENCHMARK(BM_Read_Ply)->Arg(708)->Unit(benchmark::kMillisecond);

}  // namespace
