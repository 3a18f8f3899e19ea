#include "controller/app_commands.h"

#include <filesystem>
#include <new>
#include <string>

#include <fmt/format.h>

#include "core/line_numbering.h"
#include "core/progress.h"
#include "export/write_bas.h"
#include "import/input_kind.h"
#include "import/read_input.h"

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

void App_Commands::Open_Stl() { Open({"STL (*.stl)|*.stl", "STL", Input_Kind::Stl, true, kNormalMesh}); }

void App_Commands::Open_Ply() { Open({"PLY (*.ply)|*.ply", "PLY", Input_Kind::Ply, true, kNormalMesh}); }

void App_Commands::Open_Bas() { Open({kBasFilter, "BAS", Input_Kind::Bas, false, kOptimizedMesh}); }

void App_Commands::Open(const Open_Command& command) {
  window_.Enable_Button(Button::Cmd_Save, false);
  const std::string earlier_input = store_.File_Input;
  store_.File_Input = window_.Choose_File(command.filter, Dialog_Mode::Open, {});
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
  try {
    // The dialog closes before anything is drawn or shown. Only regular
    // files are opened: a FIFO without a writer would hold the window.
    Window_Progress progress(window_);
    read = Read_Input(store_, command.kind, &progress, Input_Streams::Refuse);
  } catch (const std::bad_alloc&) {
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

  window_.Set_Caption(Label::Lbl_Nb_Faces_Normal, Counter_Text(store_.Nb_Faces));
  // A BASIC data file has no normal mesh: its points are its only points.
  int32_t points = command.kind == Input_Kind::Bas ? store_.Nb_Pts_Optimized : store_.Nb_Pts_Normal;
  window_.Set_Caption(Label::Lbl_Nb_Pts_Normal, Counter_Text(points));
  store_.Show_Normal = command.show_normal;
  if (store_.Object_Loaded)
    Redraw();
  else
    window_.Clear_Picture();  // the earlier object is gone
  window_.Set_Caption(Label::Lbl_Nb_Pts_Optimized, Counter_Text(store_.Nb_Pts_Optimized));
  window_.Set_Caption(Label::Lbl_Meshe, command.mesh_text);
  window_.Enable_Button(Button::Cmd_Normal_Meshe, command.show_normal);
  window_.Enable_Button(Button::Cmd_Save, store_.Object_Loaded);
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
  window_.Set_Caption(Label::Lbl_File_Output, store_.File_Output);

  Outcome numbering = Set_Line_Numbering(store_, window_.Read_Text(Text_Box::Txt_Basic_Start),
                                         window_.Read_Text(Text_Box::Txt_Basic_Line_Step));
  if (!numbering.ok) {
    window_.Show_Message(numbering.message, kErrorTitle);
    return;
  }
  Outcome written;
  try {
    written = Write_Bas(store_);
  } catch (const std::bad_alloc&) {
    written = Outcome::Failure("Not enough memory to save " + store_.File_Output);
  }
  if (!written.ok) {
    window_.Show_Message(written.message, kErrorTitle);
    return;
  }
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

void App_Commands::Set_Input_Caption(const std::string& text) {
  input_caption_ = text;
  window_.Set_Caption(Label::Lbl_File_Input, text);
}
