#pragma once
// What the application commands need of the window, and nothing more: the
// captions, buttons, text boxes and scroll bars they touch, the drawing
// area, the one file dialog, the message box and the progress dialog of a
// long read. The Qt window implements it; the command tests implement it
// with a recording double.

#include <span>
#include <string>
#include <string_view>

#include "preview/wireframe.h"

class Fit_Commands;

// The labels whose captions the commands set.
enum class Label {
  Lbl_File_Input,
  Lbl_File_Output,
  Lbl_Nb_Pts_Normal,
  Lbl_Nb_Faces_Normal,
  Lbl_Nb_Pts_Optimized,
  Lbl_Meshe,
  Lbl_Angle_X,
  Lbl_Angle_Y,
  Lbl_Angle_Z,
  Lbl_Zoom,
};

// The buttons whose enabled state the commands change.
enum class Button { Cmd_Save, Cmd_Normal_Meshe };

enum class Text_Box { Txt_Basic_Start, Txt_Basic_Line_Step };

enum class Scroll_Bar { HScroll_X, HScroll_Y, HScroll_Z, HScroll_Zoom };

enum class Dialog_Mode { Open, Save };

class Window_Port {
 public:
  virtual ~Window_Port() = default;

  // The text shows at once.
  virtual void Set_Caption(Label label, std::string_view text) = 0;
  // A disabled button raises no Click.
  virtual void Enable_Button(Button button, bool enabled) = 0;
  // The current text, as typed.
  virtual std::string Read_Text(Text_Box box) = 0;
  // A value within the bar's range.
  virtual int Read_Value(Scroll_Bar bar) = 0;

  // The drawing area of Picture1, in pixels.
  virtual int Drawing_Width() = 0;
  virtual int Drawing_Height() = 0;
  // Erases the drawing area to its background.
  virtual void Clear_Picture() = 0;
  // Draws each segment as a line in the foreground colour, both end points
  // included, in the order given.
  virtual void Draw_Segments(std::span<const Segment> segments) = 0;

  // Shows the file dialog modally with one filter entry, written as a
  // description and a pattern joined by "|" ("STL (*.stl)|*.stl"). A
  // `proposed` full path opens the dialog in its folder with its name filled
  // in; "" leaves both to the window. Returns the full path chosen, or ""
  // when the user cancelled.
  virtual std::string Choose_File(std::string_view filter, Dialog_Mode mode, std::string_view proposed) = 0;
  // A modal message box with the text, the title and a single OK button;
  // returns once the user has closed it.
  virtual void Show_Message(std::string_view text, std::string_view title) = 0;

  // The progress of one read, from Begin_Progress to End_Progress. Update
  // shows the stage ("Reading facets") and its percentage, 0..100, in a modal
  // dialog with a Cancel button, which appears only once the read has taken
  // noticeable time; it returns false once the user has cancelled, and keeps
  // returning false until End_Progress. While it runs, no other command of
  // the window can start.
  virtual void Begin_Progress() = 0;
  virtual bool Update_Progress(std::string_view stage, int percent) = 0;
  virtual void End_Progress() = 0;

  // Shows the dialog "Fit for the Korvane 3D" modally over the fit
  // commands given, which it starts and stops; true when the user chose "Fit", false for "Keep as
  // read". A window without the dialog keeps the model as read.
  virtual bool Offer_Fit(Fit_Commands&) { return false; }
};
