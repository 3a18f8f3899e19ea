// Micro-benchmarks of the core's hot paths: number parsing, point merging,
// coordinate formatting, reading a PLY file, reading binary STL and PLY
// records, and the tidy step.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
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
#include "shape/tidy_mesh.h"

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

// A side x side grid of points and its two triangles per cell.
void Grid(int side, std::vector<Point3>& points, std::vector<Face3>& faces) {
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) points.push_back({x * 0.37f, y * 0.29f, ((x ^ y) & 7) * 0.13f});
  for (int y = 0; y + 1 < side; ++y)
    for (int x = 0; x + 1 < side; ++x) {
      const int32_t a = y * side + x, b = a + 1, c = a + side + 1, d = a + side;
      faces.push_back({a, b, c});
      faces.push_back({a, c, d});
    }
}

// Appends a 32-bit value in the byte order asked for.
void Put_Bytes(std::string& out, uint32_t bits, bool big_endian) {
  for (int k = 0; k < 4; ++k) out += static_cast<char>(bits >> (8 * (big_endian ? 3 - k : k)));
}
uint32_t Bits_Of(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Reading and merging a 708 x 708 grid from memory: 0 a binary STL,
// 1 a little-endian binary PLY, 2 a big-endian one.
void BM_Read_Binary(benchmark::State& state) {
  std::vector<Point3> points;
  std::vector<Face3> faces;
  Grid(708, points, faces);
  const int kind = static_cast<int>(state.range(0));
  std::string bytes;
  if (kind == 0) {
    bytes.assign(80, ' ');
    Put_Bytes(bytes, static_cast<uint32_t>(faces.size()), false);
    for (const Face3& f : faces) {
      bytes.append(12, '\0');
      for (int32_t corner : {f.A, f.B, f.C})
        for (float v : {points[corner].X, points[corner].Y, points[corner].Z}) Put_Bytes(bytes, Bits_Of(v), false);
      bytes.append(2, '\0');
    }
  } else {
    const bool big = kind == 2;
    bytes = std::string("ply\nformat ") + (big ? "binary_big_endian" : "binary_little_endian") +
            " 1.0\nelement vertex " + std::to_string(points.size()) +
            "\nproperty float x\nproperty float y\nproperty float z\nelement face " + std::to_string(faces.size()) +
            "\nproperty list uchar int vertex_indices\nend_header\n";
    for (const Point3& p : points)
      for (float v : {p.X, p.Y, p.Z}) Put_Bytes(bytes, Bits_Of(v), big);
    for (const Face3& f : faces) {
      bytes += '\3';
      for (int32_t corner : {f.A, f.B, f.C}) Put_Bytes(bytes, static_cast<uint32_t>(corner), big);
    }
  }
  MeshStore store;
  store.File_Input = kind == 0 ? "grid.stl" : "grid.ply";
  for (auto _ : state) {
    Memory_Source source(bytes);
    Outcome outcome = Read_Input(store, kind == 0 ? Input_Kind::Stl : Input_Kind::Ply, source);
    if (!outcome.ok) state.SkipWithError(outcome.message.c_str());
  }
  state.SetItemsProcessed(state.iterations() * faces.size());
}
BENCHMARK(BM_Read_Binary)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The tidy step over a 708 x 708 grid whose points round to tenths.
void BM_Tidy_Mesh(benchmark::State& state) {
  std::vector<Point3> points;
  std::vector<Face3> faces;
  Grid(708, points, faces);
  for (auto _ : state) benchmark::DoNotOptimize(Tidy_Mesh(points, faces).faces.size());
  state.SetItemsProcessed(state.iterations() * faces.size());
}
BENCHMARK(BM_Tidy_Mesh)->Unit(benchmark::kMillisecond);

}  // namespace
