#pragma once
// The commands behind the window's events: start-up, the three open
// commands, the two mesh buttons, save and the view change of the scroll
// bars, with Redraw, the one entry point of the preview. The controller owns
// the mesh store and reaches the window only through Window_Port, so it runs
// the same under the real window and under a test double.
//
// Enabled states: Cmd_Save is disabled while an open is in progress and
// enabled only when the last open loaded an object; Cmd_Normal_Meshe is
// disabled after a BASIC data open, whose file carries no normal mesh, and
// after a fit, whose faces are no longer those of the normal mesh, and
// enabled by an STL or PLY open.
//
// Fitting for the Korvane 3D: the dialog "Fit for the Korvane 3D" is offered
// after an STL or PLY open when the model as read does not serve the target
// (Judge_Target), at a save that would write faces without area at one
// decimal or more lines than the numbering leaves, and on demand (Fit). It
// always starts from the model as read. "Fit" puts the shaped model in
// place of the optimized mesh: the counters, the preview (of the optimized
// mesh) and the saved file then show it. "Keep as read" leaves, or puts back,
// the model as read. Never for a BASIC data file, which is already what the
// target gets.

#include <optional>
#include <string>
#include <vector>

#include "controller/fit_commands.h"
#include "controller/window_port.h"
#include "core/mesh_store.h"
#include "import/input_kind.h"
#include "preview/wireframe.h"

class App_Commands {
 public:
  explicit App_Commands(Window_Port& window) : window_(window) {}
  App_Commands(const App_Commands&) = delete;
  App_Commands& operator=(const App_Commands&) = delete;

  // Once, after the window is laid out and before it is shown. Clears
  // Object_Loaded, copies the scroll bars into Angle_X, Angle_Y, Angle_Z and
  // Zoom, the centre of the drawing area into Center_X and Center_Y, and
  // selects the normal mesh. Draws nothing and sets no caption.
  void Start_Up();

  // The Click of Cmd_Open, Cmd_Open_Ply and Cmd_Open_Bas. Ask for a file and
  // read it when its name ends in the command's extension (any case); a
  // refused or cancelled name ends the command silently with Cmd_Save left
  // disabled. Only regular files are read: a FIFO or a device is refused
  // with a message, since reading one could hold the window. The read
  // reports its stages to the window's progress dialog. Writes File_Input,
  // the mesh (through the reader) and Show_Normal; a reader's shown failure
  // appears titled "E.R.R.O.R". A read that the user cancels, or that runs
  // out of memory (which a message then says), never reaches the store: the
  // earlier object stays with its file, counters, picture and saving, as if
  // the open had not started.
  void Open_Stl();
  void Open_Ply();
  void Open_Bas();
  // Opens `path` as the open command of its name's extension would, without
  // asking for a file (the program's command line); false, doing nothing,
  // when the name ends in none of STL, PLY and BAS.
  bool Open_File(const std::string& path);

  // The Click of Cmd_Normal_Meshe and Cmd_Optimized_Meshe: write Show_Normal,
  // name the mesh in Lbl_Meshe, and redraw when an object is loaded.
  void Show_Normal_Mesh();
  void Show_Optimized_Mesh();

  // The Click of Cmd_Save: ask for a file name, proposing the input's name
  // with .bas in the input's folder, and write the optimized mesh to it as
  // BASIC data, numbered from Txt_Basic_Start by Txt_Basic_Line_Step. A name
  // chosen without an extension gets .bas; any other extension is kept.
  // A numbering the target cannot read back (a step below 1, a number
  // outside -32768..32767) is refused titled "E.R.R.O.R" and nothing is
  // written. Lbl_File_Output names the file once it is written, and only
  // then. Writes File_Output, Basic_Line and Basic_Step.
  void Save();

  // Change and Scroll of the four scroll bars: redraw when an object is
  // loaded.
  void View_Change();

  // "Fit for the Korvane 3D..." of the preview's context menu: offers the
  // dialog for the loaded STL or PLY model, with the options of its last
  // fit when it has one.
  void Fit();
  // Whether Fit has a model to offer.
  bool Can_Fit() const;

  // Reads the four scroll bars into the view state and shows their values,
  // projects the shown mesh (culling back faces of the optimized mesh),
  // clears Picture1 and draws two segments per face. Callers make sure an
  // object is loaded. Writes Angle_X, Angle_Y, Angle_Z, Zoom, Pts_Screen and,
  // for the optimized mesh, Faces_Visible and Nb_Faces_Visible. When memory
  // runs out the picture is cleared and a message says so.
  void Redraw();

  const MeshStore& Store() const { return store_; }

 private:
  struct Open_Command;
  // The open command of a kind the window opens (STL, PLY, BAS); nullptr
  // for any other.
  static const Open_Command* Open_Command_Of(Input_Kind kind);
  // Asks for the file unless `path` names it.
  void Open(const Open_Command& command, const std::string* path = nullptr);
  void Set_Input_Caption(const std::string& text);

  // The optimized mesh as read, kept while a fitted one takes its place.
  struct As_Read_Mesh {
    Flat_Array<Point3> points;
    Flat_Array<Face3> faces;
    int32_t last_point = -1;
    int32_t last_face = -1;
  };
  std::span<const Point3> As_Read_Points() const;
  std::span<const Face3> As_Read_Faces() const;
  // Judges the optimized mesh as the window holds it, or the model as read.
  Target_Verdict Judge(bool as_read);
  void Offer_Fit(Fit_Moment moment, const Target_Verdict& verdict);
  void Apply_Fit(Fit_Shaped& shaped);
  void Restore_As_Read();
  // The counters, the mesh shown and its button after a fit or its undoing.
  void Show_Fit_State();

  Window_Port& window_;
  MeshStore store_;
  // What Lbl_File_Input shows, to be put back when an open ends as if it
  // had not started.
  std::string input_caption_;
  // Kept between redraws so that moving a scroll bar allocates nothing.
  std::vector<Segment> segments_;
  // The kind of the loaded object (Unsupported: none).
  Input_Kind loaded_kind_ = Input_Kind::Unsupported;
  std::optional<As_Read_Mesh> as_read_;  // while a fit is in place
  std::optional<Fit_Choice> fitted_;     // its choice
};
