#pragma once
// The commands behind the dialog "Fit for the Korvane 3D", free of any
// window toolkit, as App_Commands are the window's. Fit_Commands holds the
// model as read (the optimized mesh, which is what a file holds), shapes it
// for the dialog's choice through Shape_Mesh, the library's one shaping
// call, exactly as stl2bas --up --fit --faces would, and tells the dialog
// what the target gets: the figures stl2bas info reports, and the preview
// drawn as the window draws it (the same projection, culling and segments,
// at the window's angles and zoom).
//
// Shaping a million faces takes a good part of a second, so it runs on a
// thread of its own and the dialog stays responsive. A choice made while
// one is being shaped waits, and a newer choice replaces a waiting one, so
// only the newest is shaped next: choices never pile up.
//
// Everything here is called on the window's event thread, except
// Fit_Port::Shaped_Ready, which the shaping thread calls.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "core/mesh_store.h"
#include "core/outcome.h"
#include "preview/wireframe.h"
#include "shape/shape_mesh.h"
#include "shape/target_verdict.h"

// What the dialog offers: which way is up, the largest side, the faces kept.
struct Fit_Choice {
  bool turn = false;  // false: up as read
  Up_Axis up = Up_Axis::Minus_Y;
  double size = 0.0;  // above 0: fit the largest side to this; 0: the size as read
  size_t faces = 0;   // keep at most this many faces
  // The faces as many as draw legibly within the line numbers
  // (Legible_Faces_That_Fit): `faces` is then an estimate, and the model
  // shaped for this choice says the number.
  bool legible = false;

  bool operator==(const Fit_Choice&) const = default;
  Shape_Options Options() const;
};

// What the target gets from a mesh, as stl2bas info reports it. Counts, not
// last indices.
struct Fit_Figures {
  int64_t faces = 0;
  int64_t points = 0;
  int64_t points_collapsing = 0;  // at one decimal
  int64_t faces_losing_area = 0;  // at one decimal
  int64_t lines_needed = 0;
  int64_t lines_available = -1;  // -1: no limit
};

// Why the dialog is shown.
enum class Fit_Moment { Opened, Saving, Asked };

// What the fit commands need of the dialog.
class Fit_Port {
 public:
  virtual ~Fit_Port() = default;
  // The fields' values as the dialog opens; `all_faces` bounds the faces.
  virtual void Show_Choice(const Fit_Choice& choice, size_t all_faces) = 0;
  // Why the dialog is shown, one sentence a line.
  virtual void Show_Reasons(std::string_view text) = 0;
  virtual void Show_As_Read(const Fit_Figures& figures) = 0;
  // The shaped model's figures; `current` false while a newer choice is
  // being shaped.
  virtual void Show_Fitted(const Fit_Figures& figures, bool current) = 0;
  // Clears the preview and draws the segments.
  virtual void Draw_Preview(std::span<const Segment> segments) = 0;
  virtual void Show_Failure(std::string_view message) = 0;
  // Called on the shaping thread once a shaped model is ready: the dialog
  // then calls Fit_Commands::Show_Shaped on its own thread.
  virtual void Shaped_Ready() = 0;
};

// One shaped model: the store holds it as its optimized mesh.
struct Fit_Shaped {
  Fit_Choice choice;  // as shaped: never `legible`
  bool proposal = false;  // shaped for a `legible` choice
  Outcome outcome;
  MeshStore store;
  Shape_Report report;
  Fit_Figures figures;
  std::vector<Segment> segments;
};

class Fit_Commands {
 public:
  // `points` and `faces` are the optimized mesh as read, which must stay as
  // they are while these commands live; `view` gives the numbering (Basic_Line,
  // Basic_Step) and the preview's angles, zoom and centre. `verdict` is what
  // Judge_Target found for them (the figures as read come from it);
  // `proposal` the fields' first values.
  Fit_Commands(std::span<const Point3> points, std::span<const Face3> faces, const MeshStore& view,
              Fit_Moment moment, const Target_Verdict& verdict, const Fit_Choice& proposal);
  ~Fit_Commands();  // waits for a shaping that runs
  Fit_Commands(const Fit_Commands&) = delete;
  Fit_Commands& operator=(const Fit_Commands&) = delete;

  // Shows the first values, the reasons and the figures as read on `port`,
  // and starts shaping the proposal.
  void Start(Fit_Port& port);
  // A field changed.
  void Choose(const Fit_Choice& choice);
  // After Fit_Port::Shaped_Ready: shows the newest shaped model, and starts
  // on the choice that waits, if any.
  void Show_Shaped();
  // The dialog closes: waits for a shaping that runs; the port is not used
  // again.
  void Stop();
  // The dialog closes with "Fit": Stop, then shapes the newest choice here
  // unless it is shaped already.
  void Finish();
  // After Finish (which it calls): the model shaped for the newest choice.
  // Failure when memory ran out.
  Outcome Take_Newest(Fit_Shaped& shaped);

 private:
  std::unique_ptr<Fit_Shaped> Shape(const Fit_Choice& choice) const;
  void Launch(const Fit_Choice& choice);
  void Join();

  std::span<const Point3> points_;
  std::span<const Face3> faces_;
  MeshStore view_;  // numbering and view only, no mesh
  Fit_Moment moment_;
  Target_Verdict verdict_;
  Fit_Choice newest_;
  Fit_Port* port_ = nullptr;

  std::thread worker_;
  bool busy_ = false;     // worker_ is shaping (or done and not yet joined)
  bool waiting_ = false;  // newest_ waits for worker_
  std::mutex done_lock_;
  std::unique_ptr<Fit_Shaped> done_;  // from the worker, under done_lock_
  std::unique_ptr<Fit_Shaped> shown_;  // the model the dialog shows
};

// The default choice: up as read, 400 units, and every face when the file
// as read keeps every face's area and fits the line numbers, otherwise as
// many as draw legibly within the line numbers (`legible`, estimated by
// Legible_Face_Count).
Fit_Choice Propose_Fit(std::span<const Point3> points, std::span<const Face3> faces,
                       const Target_Verdict& verdict);

// Why the dialog is shown: one line for each way the model as read fails the
// target, as the moment calls for, or that it serves as read.
std::string Fit_Reasons(Fit_Moment moment, const Target_Verdict& verdict, size_t all_faces);
