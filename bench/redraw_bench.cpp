// Timing of the preview's redraw in the real window: a scroll bar moves, the
// window projects the mesh, culls back faces (optimized view), clears the
// picture, paints every segment into its backing image and shows it. The
// redraw runs at every move of a scroll bar, so it has to stay well inside
// 100 ms for the bars to follow a drag.
//
//   redraw_bench [--faces=N] [--benchmark_repetitions=N ...]
//
// With a display (DISPLAY set, for example under xvfb-run) the window is shown
// and each move is timed until its picture is painted and the display server
// has it; without one the window runs offscreen. Each iteration also times,
// on a second copy of the mesh and the same view, the geometry alone
// (projection, culling and segments: geometry_ms), and the window's redraw
// into its picture without painting it on the screen (picture_ms), and
// reports the window's time as a ratio of each (vs_geometry, vs_picture).
//
// The mesh is a closed torus of N faces (default 1,000,000; rounded to the
// grid), written as ASCII STL and opened through the window's STL command.
// Each case is repeated and reported as mean, median and spread.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "import/read_input.h"
#include "preview/wireframe.h"
#include "ui/main_window.h"
#include "ui/picture_box.h"

namespace {

// Writes a torus of rings x segments x 2 facets, 104 units across.
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
MeshStore* geometry_store = nullptr;  // the same mesh, read apart from the window

// Counts the paint events of the window's picture.
class Paint_Counter : public QObject {
 public:
  int painted = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++painted;
    return false;
  }
};
Paint_Counter* paints = nullptr;

// Handles events until the picture has been painted once more, then waits
// for the display server to have taken everything sent so far.
void Until_Shown(int painted_before) {
  QElapsedTimer waited;
  waited.start();
  while (paints->painted == painted_before) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (waited.elapsed() > 5000) {
      std::fprintf(stderr, "the picture was not painted within 5 s\n");
      std::exit(1);
    }
  }
  QGuiApplication::sync();
}

double Seconds_Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Arg 0: 1 shows the normal mesh, 0 the optimized one; arg 1: the zoom.
// The time reported is the window's, from the move to the picture shown.
void BM_Redraw(benchmark::State& state) {
  const bool normal = state.range(0) != 0;
  const int zoom = static_cast<int>(state.range(1));
  if (normal)
    window->Commands().Show_Normal_Mesh();
  else
    window->Commands().Show_Optimized_Mesh();
  QScrollBar* turn = window->findChild<QScrollBar*>("HScroll_Y");
  window->findChild<QScrollBar*>("HScroll_Zoom")->setValue(zoom);
  Until_Shown(paints->painted);
  geometry_store->Show_Normal = normal;
  std::vector<Segment> segments;
  double geometry = 0, picture = 0, shown = 0;
  int angle = 0;
  for (auto _ : state) {
    angle = (angle + 7) % 360;
    // The geometry alone, for the same view.
    Set_View(*geometry_store, 0, angle, 0, zoom);
    auto start = std::chrono::steady_clock::now();
    Build_Wireframe(*geometry_store, segments);
    benchmark::DoNotOptimize(segments.data());
    geometry += Seconds_Since(start);

    // The window's redraw into its picture, not yet painted on the screen.
    turn->blockSignals(true);
    turn->setValue((angle + 3) % 360);
    turn->blockSignals(false);
    start = std::chrono::steady_clock::now();
    window->Commands().Redraw();
    picture += Seconds_Since(start);
    Until_Shown(paints->painted);

    // The move as the user makes it: the bar changes, the window redraws,
    // paints and shows the picture.
    const int painted_before = paints->painted;
    start = std::chrono::steady_clock::now();
    turn->setValue(angle);
    Until_Shown(painted_before);
    const double seconds = Seconds_Since(start);
    shown += seconds;
    state.SetIterationTime(seconds);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["geometry_ms"] = 1000 * geometry / n;
  state.counters["picture_ms"] = 1000 * picture / n;
  state.counters["vs_geometry"] = shown / geometry;
  state.counters["vs_picture"] = shown / picture;
}
BENCHMARK(BM_Redraw)
    ->ArgNames({"normal", "zoom"})
    ->ArgsProduct({{1, 0}, {1, 4, 20}})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

// Takes --faces=N out of the arguments; the rest go to the benchmark library.
long Take_Faces_Flag(int& argc, char** argv) {
  long faces = 1000000;
  int kept = 0;
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && std::strncmp(argv[i], "--faces=", 8) == 0)
      faces = std::atol(argv[i] + 8);
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  return faces;
}

}  // namespace

int main(int argc, char** argv) {
  const bool on_screen = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !on_screen) qputenv("QT_QPA_PLATFORM", "offscreen");
  const long faces = Take_Faces_Flag(argc, argv);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;

  // Twice as many segments round the tube as rings round the hole.
  const int rings = std::max(3, static_cast<int>(std::sqrt(faces / 4.0)));
  const int segments = std::max(3, static_cast<int>(faces / 2 / rings));
  std::filesystem::path stl = std::filesystem::temp_directory_path() / "korvane_redraw_bench.stl";
  if (!Write_Torus_Stl(stl.string(), rings, segments)) {
    std::fprintf(stderr, "cannot write %s\n", stl.c_str());
    return 1;
  }
  Main_Window main_window;
  window = &main_window;
  main_window.Set_File_Chooser([&](std::string_view, Dialog_Mode, std::string_view) { return stl.string(); });
  main_window.Set_Fit_Chooser([](Fit_Commands&) { return false; });  // the torus as read
  main_window.Set_Message_Sink([](std::string_view text, std::string_view) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
  });
  Paint_Counter counter;
  paints = &counter;
  main_window.findChild<Picture_Box*>("Picture1")->installEventFilter(&counter);
  main_window.show();
  Until_Shown(0);

  const auto start = std::chrono::steady_clock::now();
  main_window.Commands().Open_Stl();
  const double open_time = Seconds_Since(start);
  MeshStore store;
  store.File_Input = stl.string();
  const bool read = Read_Input(store, Input_Kind::Stl).ok;
  std::filesystem::remove(stl);
  if (!main_window.Commands().Store().Object_Loaded || !read) {
    std::fprintf(stderr, "the torus did not load\n");
    return 1;
  }
  Set_Drawing_Area(store, main_window.Drawing_Width(), main_window.Drawing_Height());
  geometry_store = &store;
  std::fprintf(stderr, "%d faces opened in %.2f s (read, merge and first redraw), %s\n",
               main_window.Commands().Store().Nb_Faces + 1, open_time,
               on_screen ? "window on the display" : "window offscreen");
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
