// Timing of the preview's redraw in the real window, headless: a scroll bar
// moves and the window projects the mesh, culls back faces (optimized view),
// clears the picture and paints every segment into its backing image.
//
//   redraw_bench [--benchmark_repetitions=N ...]
//
// The mesh is a closed torus of about 100,000 faces, opened through the
// window's STL command.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ui/main_window.h"

namespace {

// Writes a torus of rings x segments x 2 facets, 40 units across the ring.
bool Write_Torus_Stl(const std::string& path, int rings, int segments) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const double two_pi = 6.283185307179586;
  auto point = [&](int r, int s, float p[3]) {
    double u = two_pi * (r % rings) / rings, v = two_pi * (s % segments) / segments;
    double radius = 40.0 + 12.0 * std::cos(v);
    p[0] = static_cast<float>(radius * std::cos(u));
    p[1] = static_cast<float>(radius * std::sin(u));
    p[2] = static_cast<float>(12.0 * std::sin(v));
  };
  std::fprintf(out, "solid torus\n");
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < segments; ++s) {
      float a[3], b[3], c[3], d[3];
      point(r, s, a);
      point(r + 1, s, b);
      point(r + 1, s + 1, c);
      point(r, s + 1, d);
      const float* facets[2][3] = {{a, b, c}, {a, c, d}};
      for (auto& facet : facets) {
        std::fprintf(out, "facet normal 0 0 1\nouter loop\n");
        for (const float* p : facet) std::fprintf(out, "vertex %.6e %.6e %.6e\n", p[0], p[1], p[2]);
        std::fprintf(out, "endloop\nendfacet\n");
      }
    }
  std::fprintf(out, "endsolid torus\n");
  return std::fclose(out) == 0;
}

Main_Window* window = nullptr;

// Arg 0: 1 shows the normal mesh, 0 the optimized one; arg 1: the zoom.
void BM_Redraw(benchmark::State& state) {
  if (state.range(0))
    window->Commands().Show_Normal_Mesh();
  else
    window->Commands().Show_Optimized_Mesh();
  window->findChild<QScrollBar*>("HScroll_Zoom")->setValue(static_cast<int>(state.range(1)));
  QScrollBar* turn = window->findChild<QScrollBar*>("HScroll_Y");
  int angle = 0;
  for (auto _ : state) {
    angle = (angle + 7) % 360;
    turn->setValue(angle);  // the window redraws on every value change
  }
  state.counters["faces"] = window->Commands().Store().Nb_Faces + 1;
}
BENCHMARK(BM_Redraw)->ArgsProduct({{1, 0}, {1, 4, 20}})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);

  std::filesystem::path stl = std::filesystem::temp_directory_path() / "korvane_redraw_bench.stl";
  if (!Write_Torus_Stl(stl.string(), 111, 450)) {  // 99,900 faces
    std::fprintf(stderr, "cannot write %s\n", stl.c_str());
    return 1;
  }
  Main_Window main_window;
  window = &main_window;
  main_window.Set_File_Chooser([&](std::string_view, Dialog_Mode) { return stl.string(); });
  main_window.Set_Message_Sink([](std::string_view text, std::string_view) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
  });
  main_window.Commands().Open_Stl();
  std::filesystem::remove(stl);
  if (!main_window.Commands().Store().Object_Loaded) {
    std::fprintf(stderr, "the torus did not load\n");
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
