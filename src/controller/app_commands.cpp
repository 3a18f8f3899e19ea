#include "controller/app_commands.h"

#include <filesystem>
#include <new>
#include <string>

#include <fmt/format.h>

#include "core/line_numbering.h"
#include "core/progress.h"
#include "import/input_kind.h"
#include "model/load_model.h"
#include "model/model_report.h"
#include "model/save_model.h"
#include "shape/target_verdict.h"

namespace {

constexpr std::string_view kErrorTitle = "E.R.R.O.R";
constexpr std::string_view kNormalMesh = "Normal Meshe";
constexpr std::string_view kOptimizedMesh = "Optimized Meshe";
constexpr std::string_view kBasFilter = "BAS (*.bas)|*.bas";
constexpr std::string_view kBasExtension = ".bas";

// A counter as the window shows it: plain digits, "-" when negative.
std::string Counter_Text(int32_t value) { return std::to_string(value); }

// Passes a read's progress to the window's progress dialog, open for as long
// as this lives.
class Window_Progress final : public Progress {
 public:
  explicit Window_Progress(Window_Port& window) : window_(window) { window_.Begin_Progress(); }
  ~Window_Progress() override { window_.End_Progress(); }
  Window_Progress(const Window_Progress&) = delete;
  Window_Progress& operator=(const Window_Progress&) = delete;

  bool Update(std::string_view stage, int percent) override { return window_.Update_Progress(stage, percent); }

 private:
  Window_Port& window_;
};

// An angle as a 32-bit float shows: at most 7 significant digits, "." as the
// decimal point, no blanks. Whole degrees show as plain digits.
std::string Angle_Text(float angle) { return fmt::format("{:.7g}", angle); }

// What the save dialog proposes: the input's name with .bas, in the input's
// folder, so that a mesh is saved beside the file it came from; nothing
// when no input is named.
std::string Save_Proposal(const std::string& input) {
  std::filesystem::path path(input);
  if (!path.has_filename()) return {};
  path.replace_extension(kBasExtension);
  return path.string();
}

// The name to save under: a name typed without an extension gets .bas, which
// "Open BAS File" asks for; a name with another extension is kept as typed.
// A leading dot names a hidden file and is no extension; a trailing dot is
// an empty one and is completed.
std::string With_Bas_Extension(const std::string& chosen) {
  std::filesystem::path path(chosen);
  if (!path.has_filename()) return chosen;  // "" (cancelled) or a folder: refused later
  const std::filesystem::path extension = path.extension();
  if (!extension.empty() && extension != ".") return chosen;
  path.replace_extension(kBasExtension);
  return path.string();
}

}  // namespace

// What sets the three open commands apart.
struct App_Commands::Open_Command {
  std::string_view filter;
  std::string_view extension;
  Input_Kind kind;
  bool show_normal;
  std::string_view mesh_text;
};

void App_Commands::Start_Up() {
  store_.Object_Loaded = false;
  Set_View(store_, window_.Read_Value(Scroll_Bar::HScroll_X), window_.Read_Value(Scroll_Bar::HScroll_Y),
           window_.Read_Value(Scroll_Bar::HScroll_Z), window_.Read_Value(Scroll_Bar::HScroll_Zoom));
  Set_Drawing_Area(store_, window_.Drawing_Width(), window_.Drawing_Height());
  store_.Show_Normal = true;
}

const App_Commands::Open_Command* App_Commands::Open_Command_Of(Input_Kind kind) {
  static constexpr Open_Command kStl{"STL (*.stl)|*.stl", "STL", Input_Kind::Stl, true, kNormalMesh};
  static constexpr Open_Command kPly{"PLY (*.ply)|*.ply", "PLY", Input_Kind::Ply, true, kNormalMesh};
  static constexpr Open_Command kBas{kBasFilter, "BAS", Input_Kind::Bas, false, kOptimizedMesh};
  switch (kind) {
    case Input_Kind::Stl: return &kStl;
    case Input_Kind::Ply: return &kPly;
    case Input_Kind::Bas: return &kBas;
    case Input_Kind::Off:
    case Input_Kind::Unsupported: break;
  }
  return nullptr;
}

void App_Commands::Open_Stl() { Open(*Open_Command_Of(Input_Kind::Stl)); }

void App_Commands::Open_Ply() { Open(*Open_Command_Of(Input_Kind::Ply)); }

void App_Commands::Open_Bas() { Open(*Open_Command_Of(Input_Kind::Bas)); }

bool App_Commands::Open_File(const std::string& path) {
  const Open_Command* command = Open_Command_Of(Kind_Of_Input(path));
  if (!command) return false;
  Open(*command, &path);
  return true;
}

void App_Commands::Open(const Open_Command& command, const std::string* path) {
  window_.Enable_Button(Button::Cmd_Save, false);
  const std::string earlier_input = store_.File_Input;
  store_.File_Input = path ? *path : window_.Choose_File(command.filter, Dialog_Mode::Open, {});
  if (!Has_Extension(store_.File_Input, command.extension)) return;
  const std::string earlier_caption = input_caption_;
  Set_Input_Caption(store_.File_Input);

  // A read that the user cancels, or that runs out of memory, never reaches
  // the store: the earlier object stays, with its file, counters, picture
  // and saving, as if the open had not started.
  auto as_if_not_started = [&] {
    store_.File_Input = earlier_input;
    Set_Input_Caption(earlier_caption);
    window_.Enable_Button(Button::Cmd_Save, store_.Object_Loaded);
  };
  Outcome read;
  {
    // The dialog closes before anything is drawn or shown. Only regular
    // files are opened: a FIFO without a writer would hold the window.
    Window_Progress progress(window_);
    Model_Request request;
    request.choice.kind = command.kind;
    request.streams = Input_Streams::Refuse;
    request.progress = &progress;
    read = Read_Model(store_, request);
  }
  if (read.out_of_memory) {
    const std::string chosen = store_.File_Input;
    as_if_not_started();
    window_.Show_Message("Not enough memory to read " + chosen, kErrorTitle);
    return;
  }
  if (read.cancelled) {
    as_if_not_started();
    return;
  }
  // Whatever a failed read had reached, it leaves no object to draw or save.
  if (!read.ok && read.shown) window_.Show_Message(read.message, kErrorTitle);
  // The read replaced the model: an earlier fit is gone with it.
  as_read_.reset();
  fitted_.reset();
  loaded_kind_ = store_.Object_Loaded ? command.kind : Input_Kind::Unsupported;

  window_.Set_Caption(Label::Lbl_Nb_Faces_Normal, Counter_Text(store_.Nb_Faces));
  window_.Set_Caption(Label::Lbl_Nb_Pts_Normal, Counter_Text(Points_Shown(store_, command.kind)));
  store_.Show_Normal = command.show_normal;
  if (store_.Object_Loaded)
    Redraw();
  else
    window_.Clear_Picture();  // the earlier object is gone
  // A read that failed before its points were merged made no optimized mesh:
  // the counter says so instead of showing the earlier mesh's.
  const bool merged = store_.Object_Loaded || command.kind == Input_Kind::Bas;
  window_.Set_Caption(Label::Lbl_Nb_Pts_Optimized, Counter_Text(merged ? store_.Nb_Pts_Optimized : -1));
  window_.Set_Caption(Label::Lbl_Meshe, command.mesh_text);
  window_.Enable_Button(Button::Cmd_Normal_Meshe, command.show_normal);
  window_.Enable_Button(Button::Cmd_Save, store_.Object_Loaded);

  if (!Can_Fit()) return;
  // The numbering typed so far, for the lines the file needs; a text out of
  // range leaves the numbering as it was, which Save will refuse.
  (void)Set_Line_Numbering(store_, window_.Read_Text(Text_Box::Txt_Basic_Start),
                           window_.Read_Text(Text_Box::Txt_Basic_Line_Step));
  const Target_Verdict verdict = Judge(true);
  if (!verdict.Serves()) Offer_Fit(Fit_Moment::Opened, verdict);
}

void App_Commands::Show_Normal_Mesh() {
  store_.Show_Normal = true;
  window_.Set_Caption(Label::Lbl_Meshe, kNormalMesh);
  if (store_.Object_Loaded) Redraw();
}

void App_Commands::Show_Optimized_Mesh() {
  store_.Show_Normal = false;
  window_.Set_Caption(Label::Lbl_Meshe, kOptimizedMesh);
  if (store_.Object_Loaded) Redraw();
}

void App_Commands::Save() {
  store_.File_Output =
      With_Bas_Extension(window_.Choose_File(kBasFilter, Dialog_Mode::Save, Save_Proposal(store_.File_Input)));
  if (store_.File_Output.empty()) {
    window_.Show_Message("Wrong file name", kErrorTitle);
    return;
  }
  Outcome numbering = Set_Line_Numbering(store_, window_.Read_Text(Text_Box::Txt_Basic_Start),
                                         window_.Read_Text(Text_Box::Txt_Basic_Line_Step));
  if (!numbering.ok) {
    window_.Show_Message(numbering.message, kErrorTitle);
    return;
  }
  if (Can_Fit()) {
    const Target_Verdict verdict = Judge(false);
    // Without a fit in place, the mesh just judged is the model as read.
    if (!verdict.Keeps_Every_Face() || !verdict.Fits_Lines())
      Offer_Fit(Fit_Moment::Saving, as_read_ ? Judge(true) : verdict);
  }
  const Outcome written = Save_Model(store_, store_.File_Output, Shape_Options{});
  if (!written.ok) {
    window_.Show_Message(written.out_of_memory ? "Not enough memory to save " + store_.File_Output : written.message,
                         kErrorTitle);
    return;
  }
  // Only a file that was written is shown as the output.
  window_.Set_Caption(Label::Lbl_File_Output, store_.File_Output);
  window_.Show_Message("Basic File Saved", "Saving OK");
}

void App_Commands::View_Change() {
  if (store_.Object_Loaded) Redraw();
}

void App_Commands::Redraw() {
  Set_View(store_, window_.Read_Value(Scroll_Bar::HScroll_X), window_.Read_Value(Scroll_Bar::HScroll_Y),
           window_.Read_Value(Scroll_Bar::HScroll_Z), window_.Read_Value(Scroll_Bar::HScroll_Zoom));
  window_.Set_Caption(Label::Lbl_Angle_X, Angle_Text(store_.Angle_X));
  window_.Set_Caption(Label::Lbl_Angle_Y, Angle_Text(store_.Angle_Y));
  window_.Set_Caption(Label::Lbl_Angle_Z, Angle_Text(store_.Angle_Z));
  window_.Set_Caption(Label::Lbl_Zoom, Counter_Text(store_.Zoom));

  try {
    Build_Wireframe(store_, segments_);
    window_.Clear_Picture();
    window_.Draw_Segments(segments_);
  } catch (const std::bad_alloc&) {
    segments_ = {};
    window_.Clear_Picture();
    window_.Show_Message("Not enough memory to draw the preview", kErrorTitle);
  }
}

void App_Commands::Fit() {
  if (!Can_Fit()) return;
  (void)Set_Line_Numbering(store_, window_.Read_Text(Text_Box::Txt_Basic_Start),
                           window_.Read_Text(Text_Box::Txt_Basic_Line_Step));
  Offer_Fit(Fit_Moment::Asked, Judge(true));
}

bool App_Commands::Can_Fit() const {
  return store_.Object_Loaded && (loaded_kind_ == Input_Kind::Stl || loaded_kind_ == Input_Kind::Ply);
}

std::span<const Point3> App_Commands::As_Read_Points() const {
  if (as_read_) return Valid_Entries(as_read_->points, as_read_->last_point);
  return store_.Valid_Pts_Optimized();
}

std::span<const Face3> App_Commands::As_Read_Faces() const {
  if (as_read_) return Valid_Entries(as_read_->faces, as_read_->last_face);
  return store_.Valid_Faces_Optimized();
}

Target_Verdict App_Commands::Judge(bool as_read) {
  const std::span<const Point3> points = as_read ? As_Read_Points() : store_.Valid_Pts_Optimized();
  const std::span<const Face3> faces = as_read ? As_Read_Faces() : store_.Valid_Faces_Optimized();
  try {
    return Judge_Target(points, faces, store_.Basic_Line, store_.Basic_Step, window_.Drawing_Width(),
                        window_.Drawing_Height());
  } catch (const std::bad_alloc&) {
    return {};  // not judged: nothing is offered
  }
}

void App_Commands::Offer_Fit(Fit_Moment moment, const Target_Verdict& verdict) {
  const std::span<const Point3> points = As_Read_Points();
  const std::span<const Face3> faces = As_Read_Faces();
  bool fit = false;
  Fit_Shaped shaped;
  Outcome outcome;
  // The last fit's options, when there was one; at a save its faces did not
  // fit the numbering, so the count is chosen anew.
  Fit_Choice proposal = fitted_ ? *fitted_ : Propose_Fit(points, faces, verdict);
  if (fitted_ && moment == Fit_Moment::Saving) {
    const Fit_Choice faces_anew = Propose_Fit(points, faces, verdict);
    proposal.faces = faces_anew.faces;
    proposal.legible = faces_anew.legible;
  }
  {
    Fit_Commands fitting(points, faces, store_, moment, verdict, proposal);
    fit = window_.Offer_Fit(fitting);
    if (fit) outcome = fitting.Take_Newest(shaped);
  }
  if (!fit) {
    if (as_read_) Restore_As_Read();
    return;
  }
  if (!outcome.ok) {
    window_.Show_Message(outcome.message, kErrorTitle);
    return;
  }
  Apply_Fit(shaped);
}

void App_Commands::Apply_Fit(Fit_Shaped& shaped) {
  if (!as_read_)
    as_read_ = As_Read_Mesh{std::move(store_.Pts_Optimized), std::move(store_.Faces_Optimized),
                            store_.Nb_Pts_Optimized, store_.Nb_Faces};
  // Never larger than the model as read, so the preview's arrays, sized
  // for that, hold it.
  store_.Pts_Optimized = std::move(shaped.store.Pts_Optimized);
  store_.Faces_Optimized = std::move(shaped.store.Faces_Optimized);
  store_.Nb_Pts_Optimized = shaped.store.Nb_Pts_Optimized;
  store_.Nb_Faces = shaped.store.Nb_Faces;
  fitted_ = shaped.choice;
  Show_Fit_State();
}

void App_Commands::Restore_As_Read() {
  store_.Pts_Optimized = std::move(as_read_->points);
  store_.Faces_Optimized = std::move(as_read_->faces);
  store_.Nb_Pts_Optimized = as_read_->last_point;
  store_.Nb_Faces = as_read_->last_face;
  as_read_.reset();
  fitted_.reset();
  Show_Fit_State();
}

void App_Commands::Show_Fit_State() {
  const bool fitted = as_read_.has_value();
  store_.Nb_Faces_Visible = -1;  // culled again at the redraw
  window_.Set_Caption(Label::Lbl_Nb_Faces_Normal, Counter_Text(store_.Nb_Faces));
  // A fitted model, like a BASIC data file, has only its own points.
  window_.Set_Caption(Label::Lbl_Nb_Pts_Normal, Counter_Text(fitted ? store_.Nb_Pts_Optimized : store_.Nb_Pts_Normal));
  window_.Set_Caption(Label::Lbl_Nb_Pts_Optimized, Counter_Text(store_.Nb_Pts_Optimized));
  store_.Show_Normal = !fitted;
  window_.Set_Caption(Label::Lbl_Meshe, fitted ? kOptimizedMesh : kNormalMesh);
  window_.Enable_Button(Button::Cmd_Normal_Meshe, !fitted);
  Redraw();
}

void App_Commands::Set_Input_Caption(const std::string& text) {
  input_caption_ = text;
  window_.Set_Caption(Label::Lbl_File_Input, text);
}
