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
// enabled by an STL or PLY open.

#include <string>
#include <vector>

#include "controller/window_port.h"
#include "core/mesh_store.h"
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
  void Open(const Open_Command& command);
  void Set_Input_Caption(const std::string& text);

  Window_Port& window_;
  MeshStore store_;
  // What Lbl_File_Input shows, to be put back when an open ends as if it
  // had not started.
  std::string input_caption_;
  // Kept between redraws so that moving a scroll bar allocates nothing.
  std::vector<Segment> segments_;
};
