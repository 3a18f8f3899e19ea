#include "controller/fit_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>
#include <utility>

#include "model/model_report.h"
#include "shape/legible_faces.h"

namespace {

constexpr double kDefaultSize = 400.0;  // fills the preview at zoom 1

template <typename T>
void Copy_Into(Flat_Array<T>& array, std::span<const T> entries) {
  array.Size_Zeroed(entries.size());
  if (!entries.empty()) std::memcpy(array.data(), entries.data(), entries.size() * sizeof(T));
}

// The numbering and the preview's view of a store, nothing of its mesh.
void Copy_View(const MeshStore& from, MeshStore& to) {
  to.Basic_Line = from.Basic_Line;
  to.Basic_Step = from.Basic_Step;
  to.Angle_X = from.Angle_X;
  to.Angle_Y = from.Angle_Y;
  to.Angle_Z = from.Angle_Z;
  to.Zoom = from.Zoom;
  to.Center_X = from.Center_X;
  to.Center_Y = from.Center_Y;
}

std::string Number_Text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

}  // namespace

std::string Fit_Reasons(Fit_Moment moment, const Target_Verdict& verdict, size_t all_faces) {
  std::string text;
  const bool saving = moment == Fit_Moment::Saving;
  if (!verdict.Keeps_Every_Face())
    text += std::to_string(verdict.faces_losing_area) + " of its " + std::to_string(all_faces) +
            " faces lose their area at one decimal, the tenths the file holds.\n";
  if (!saving && verdict.too_small) {
    const double side = Largest_Extent(verdict.bounds);
    text += "It is " + Number_Text(side) + " units across: " + std::to_string(std::lround(side * kLargestZoom)) +
            " pixels at the largest zoom.\n";
  }
  if (!saving && verdict.overflows)
    text += "It reaches past the edge of the preview even at zoom " + std::to_string(kSmallestZoom) + ".\n";
  if (!verdict.Fits_Lines())
    text += "Its file needs " + std::to_string(verdict.lines_needed) + " BASIC lines; the line numbers leave room for " +
            std::to_string(verdict.lines_available) + ".\n";
  if (text.empty()) return "The model serves the Korvane 3D as read; it can still be turned, fitted or reduced.";
  return (saving ? std::string("As read, the file would not serve the Korvane 3D:\n")
                 : std::string("As read, the model does not serve the Korvane 3D:\n")) +
         text;
}

Shape_Options Fit_Choice::Options() const {
  Shape_Options options;
  options.turn = turn;
  options.up = up;
  options.fit_size = size > 0 ? size : 0.0;
  options.face_limit = legible ? Face_Limit::Legible : Face_Limit::Count;
  options.max_faces = faces;
  return options;
}

Fit_Choice Propose_Fit(std::span<const Point3> points, std::span<const Face3> faces,
                       const Target_Verdict& verdict) {
  Fit_Choice choice;
  choice.size = kDefaultSize;
  choice.legible = !verdict.Keeps_All_Faces();
  choice.faces = choice.legible ? Legible_Face_Count(points, faces) : faces.size();
  return choice;
}

Fit_Commands::Fit_Commands(std::span<const Point3> points, std::span<const Face3> faces, const MeshStore& view,
                         Fit_Moment moment, const Target_Verdict& verdict, const Fit_Choice& proposal)
    : points_(points), faces_(faces), moment_(moment), verdict_(verdict), newest_(proposal) {
  Copy_View(view, view_);
}

Fit_Commands::~Fit_Commands() { Join(); }

void Fit_Commands::Start(Fit_Port& port) {
  port_ = &port;
  port.Show_Choice(newest_, faces_.size());
  port.Show_Reasons(Fit_Reasons(moment_, verdict_, faces_.size()));
  Fit_Figures as_read;
  as_read.faces = static_cast<int64_t>(faces_.size());
  as_read.points = static_cast<int64_t>(points_.size());
  as_read.points_collapsing = verdict_.points_collapsing;
  as_read.faces_losing_area = verdict_.faces_losing_area;
  as_read.lines_needed = verdict_.lines_needed;
  as_read.lines_available = verdict_.lines_available;
  port.Show_As_Read(as_read);
  Launch(newest_);
}

void Fit_Commands::Choose(const Fit_Choice& choice) {
  newest_ = choice;
  if (!port_) return;
  if (busy_) {
    waiting_ = true;
    if (shown_) port_->Show_Fitted(shown_->figures, false);
    return;
  }
  if (shown_ && shown_->choice == choice) {
    port_->Show_Fitted(shown_->figures, true);
    return;
  }
  Launch(choice);
}

void Fit_Commands::Show_Shaped() {
  if (!busy_) return;  // met already (by Stop)
  Join();
  {
    std::lock_guard<std::mutex> lock(done_lock_);
    shown_ = std::move(done_);
  }
  // The proposal's faces, now counted, become the field's value.
  if (shown_ && shown_->proposal && newest_.legible && port_) {
    newest_ = shown_->choice;
    port_->Show_Choice(newest_, faces_.size());
  }
  const bool again = waiting_ && !(shown_ && shown_->choice == newest_);
  waiting_ = false;
  if (again) Launch(newest_);
  if (!shown_ || !port_) return;
  if (!shown_->outcome.ok) {
    port_->Show_Failure(shown_->outcome.message);
    return;
  }
  port_->Show_Fitted(shown_->figures, shown_->choice == newest_);
  port_->Draw_Preview(shown_->segments);
}

void Fit_Commands::Stop() {
  Join();
  {
    std::lock_guard<std::mutex> lock(done_lock_);
    if (done_) shown_ = std::move(done_);
  }
  waiting_ = false;
  port_ = nullptr;
}

void Fit_Commands::Finish() {
  Stop();
  if (shown_ && shown_->proposal && newest_.legible) newest_ = shown_->choice;
  if (!shown_ || !(shown_->choice == newest_)) shown_ = Shape(newest_);
  if (shown_) newest_ = shown_->choice;
}

Outcome Fit_Commands::Take_Newest(Fit_Shaped& shaped) {
  Finish();
  if (!shown_) return Outcome::Failure("Not enough memory to fit the mesh for the Korvane 3D");
  shaped = std::move(*shown_);
  shown_.reset();
  return shaped.outcome;
}

void Fit_Commands::Launch(const Fit_Choice& choice) {
  busy_ = true;
  auto shape = [this, choice] {
    std::unique_ptr<Fit_Shaped> shaped = Shape(choice);
    {
      std::lock_guard<std::mutex> lock(done_lock_);
      done_ = std::move(shaped);
    }
    if (port_) port_->Shaped_Ready();
  };
  try {
    worker_ = std::thread(shape);
  } catch (const std::system_error&) {
    shape();  // no thread to be had: shaped here, shown all the same
  }
}

void Fit_Commands::Join() {
  if (worker_.joinable()) worker_.join();
  busy_ = false;
}

std::unique_ptr<Fit_Shaped> Fit_Commands::Shape(const Fit_Choice& choice) const {
  std::unique_ptr<Fit_Shaped> shaped;
  try {
    shaped = std::make_unique<Fit_Shaped>();
    shaped->choice = choice;
    MeshStore& store = shaped->store;
    // The optimized mesh alone, as a BASIC data file holds it: the turn and
    // the fit find the same box as stl2bas finds in a store with both meshes.
    Copy_Into(store.Pts_Optimized, points_);
    Copy_Into(store.Faces_Optimized, faces_);
    store.Nb_Pts_Optimized = static_cast<int32_t>(points_.size()) - 1;
    store.Nb_Faces = static_cast<int32_t>(faces_.size()) - 1;
    store.Nb_Pts_Normal = -1;
    Copy_View(view_, store);
    store.Object_Loaded = true;
    shaped->outcome = Shape_Mesh(store, choice.Options(), shaped->report);
    if (!shaped->outcome.ok) return shaped;
    // Exactly the model shaped for the number of faces found.
    if (choice.legible) {
      shaped->proposal = true;
      shaped->choice.legible = false;
      shaped->choice.faces = static_cast<size_t>(shaped->report.faces_target);
    }

    Fit_Figures& figures = shaped->figures;
    figures.faces = static_cast<int64_t>(store.Valid_Faces_Optimized().size());
    figures.points = static_cast<int64_t>(store.Valid_Pts_Optimized().size());
    figures.points_collapsing = shaped->report.points_collapsing;
    figures.faces_losing_area = shaped->report.faces_degenerate;
    const Target_Report target = Report_Store_Target(store);
    figures.lines_needed = target.lines_needed;
    figures.lines_available = target.lines_available;

    // The preview's arrays, then the optimized view as the window draws it.
    Size_Array(store.Faces_Visible, store.Nb_Faces);
    Size_Array(store.Pts_Screen, store.Nb_Pts_Optimized);
    store.Show_Normal = false;
    Build_Wireframe(store, shaped->segments);
  } catch (const std::bad_alloc&) {
    if (!shaped) return nullptr;
    shaped->outcome = Outcome::Failure("Not enough memory to fit the mesh for the Korvane 3D");
  }
  return shaped;
}
