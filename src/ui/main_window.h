#pragma once
// Form1, the converter's one window: three frames holding the file commands,
// the preview and the view controls, every control at its fixed place. The
// window forwards its events to the application commands and gives them the
// controls through Window_Port; it decides nothing itself.

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <QString>
#include <QWidget>

#include "controller/app_commands.h"
#include "controller/window_port.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class Picture_Box;
class Read_Progress;

class Main_Window : public QWidget, public Window_Port {
 public:
  // Builds the window with its initial values and runs the start-up command.
  explicit Main_Window(QWidget* parent = nullptr);
  ~Main_Window() override;

  // Answers the file dialog instead of showing it, for tests; an empty
  // function brings back the real dialog.
  using File_Chooser =
      std::function<std::string(std::string_view filter, Dialog_Mode mode, std::string_view proposed)>;
  void Set_File_Chooser(File_Chooser chooser) { chooser_ = std::move(chooser); }
  // Receives the messages instead of showing a message box, for tests.
  using Message_Sink = std::function<void(std::string_view text, std::string_view title)>;
  void Set_Message_Sink(Message_Sink sink) { message_sink_ = std::move(sink); }
  // How long a read runs before its progress dialog may appear; tests set 0
  // to see it on any read that reports progress.
  void Set_Progress_Delay(std::chrono::milliseconds delay) { progress_delay_ = delay; }
  // Answers the fit dialog instead of showing it ("Fit" when it returns
  // true), for tests and benchmarks; an empty function brings back the
  // real dialog.
  using Fit_Chooser = std::function<bool(Fit_Commands& fit)>;
  void Set_Fit_Chooser(Fit_Chooser chooser) { fit_chooser_ = std::move(chooser); }

  App_Commands& Commands() { return commands_; }

  // Window_Port
  void Set_Caption(Label label, std::string_view text) override;
  void Enable_Button(Button button, bool enabled) override;
  std::string Read_Text(Text_Box box) override;
  int Read_Value(Scroll_Bar bar) override;
  int Drawing_Width() override;
  int Drawing_Height() override;
  void Clear_Picture() override;
  void Draw_Segments(std::span<const Segment> segments) override;
  std::string Choose_File(std::string_view filter, Dialog_Mode mode, std::string_view proposed) override;
  void Show_Message(std::string_view text, std::string_view title) override;
  void Begin_Progress() override;
  bool Update_Progress(std::string_view stage, int percent) override;
  void End_Progress() override;
  bool Offer_Fit(Fit_Commands& fit) override;

 protected:
  // Closing the window ends the program.
  void closeEvent(QCloseEvent* event) override;

 private:
  // A scroll bar moved: the view change runs once the events already
  // waiting are handled, so that keys, clicks and drags that come faster
  // than a redraw are drawn once, at the bars' latest values.
  void Request_View_Change();
  void Run_View_Change();

  std::array<QLabel*, 10> labels_{};        // by Label
  std::array<QPushButton*, 2> buttons_{};   // by Button
  std::array<QLineEdit*, 2> text_boxes_{};  // by Text_Box
  std::array<QScrollBar*, 4> scroll_bars_{};  // by Scroll_Bar
  Picture_Box* picture_ = nullptr;
  QString dialog_folder_;  // where the file dialog opens next
  File_Chooser chooser_;
  Message_Sink message_sink_;
  Fit_Chooser fit_chooser_;
  // A read that lasts a fifth of a second shows its progress.
  std::chrono::milliseconds progress_delay_{200};
  std::unique_ptr<Read_Progress> progress_;  // while a read runs
  // A view change is waiting; any redraw or clearing of the picture meets it.
  bool view_change_pending_ = false;
  App_Commands commands_{*this};
};
