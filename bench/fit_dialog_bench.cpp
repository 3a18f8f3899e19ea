// The fit dialog's shaping, timed on a mesh opened as the window opens it
// (bench/fit_dialog runs it beside stl2bas convert with the same options).
//
//   fit_dialog_bench MESH UP SIZE FACES [RUNS]
//
// For each run: "shape", the fit commands shaping the choice on the caller's
// thread (what "Fit" waits for when nothing is shaped yet), and "follow",
// from a changed choice until the shaping thread says the preview is ready
// (what the dialog shows after a key). Prints the medians in milliseconds.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "controller/fit_commands.h"
#include "core/line_numbering.h"
#include "import/read_input.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A dialog that shows nothing and says when a shaped model is ready.
class Waiting_Port final : public Fit_Port {
 public:
  void Show_Choice(const Fit_Choice&, size_t) override {}
  void Show_Reasons(std::string_view) override {}
  void Show_As_Read(const Fit_Figures&) override {}
  void Show_Fitted(const Fit_Figures&, bool) override {}
  void Draw_Preview(std::span<const Segment>) override {}
  void Show_Failure(std::string_view) override {}
  void Shaped_Ready() override {
    std::lock_guard<std::mutex> lock(lock_);
    ready_ = true;
    wake_.notify_all();
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(lock_);
    wake_.wait(lock, [this] { return ready_; });
    ready_ = false;
  }

 private:
  std::mutex lock_;
  std::condition_variable wake_;
  bool ready_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: fit_dialog_bench MESH UP SIZE FACES [RUNS]\n");
    return 2;
  }
  MeshStore store;
  store.File_Input = argv[1];
  const Outcome read = Read_Input(store, Kind_Of_Input(store.File_Input));
  if (!read.ok || !store.Object_Loaded) {
    std::fprintf(stderr, "%s: %s\n", argv[1], read.message.c_str());
    return 1;
  }
  (void)Set_Line_Numbering(store, "10", "1");
  Set_View(store, 0, 0, 0, 1);
  Set_Drawing_Area(store, 481, 473);
  Fit_Choice choice;
  choice.turn = Parse_Up_Axis(argv[2], choice.up);
  choice.size = std::atof(argv[3]);
  choice.faces = static_cast<size_t>(std::atoll(argv[4]));
  const int runs = argc > 5 ? std::atoi(argv[5]) : 7;
  const std::span<const Point3> points(store.Pts_Optimized.data(), size_t(store.Nb_Pts_Optimized + 1));
  const std::span<const Face3> faces(store.Faces_Optimized.data(), size_t(store.Nb_Faces + 1));
  const Target_Verdict verdict{};

  std::vector<double> shape, follow;
  int64_t kept = 0;
  for (int run = 0; run < runs; ++run) {
    {
      Fit_Commands fitting(points, faces, store, Fit_Moment::Asked, verdict, choice);
      Fit_Shaped shaped;
      const auto start = Clock::now();
      if (!fitting.Take_Newest(shaped).ok) return 1;
      shape.push_back(Milliseconds(start));
      kept = shaped.figures.faces;
    }
    {
      // From the proposal of all faces, shaped once, to the choice.
      Fit_Choice first = choice;
      first.faces = faces.size();
      Fit_Commands fitting(points, faces, store, Fit_Moment::Asked, verdict, first);
      Waiting_Port port;
      fitting.Start(port);
      port.Wait();
      fitting.Show_Shaped();
      const auto start = Clock::now();
      fitting.Choose(choice);
      port.Wait();
      follow.push_back(Milliseconds(start));
      fitting.Show_Shaped();
      fitting.Stop();
    }
  }
  std::printf("faces %zu -> %lld: shape median %.0f ms, follow median %.0f ms (%d runs)\n", faces.size(),
              static_cast<long long>(kept), Median(shape), Median(follow), runs);
  return 0;
}
