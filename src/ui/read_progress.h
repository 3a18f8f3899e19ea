#pragma once
// The progress dialog of one long read: the stage, its percentage and a
// Cancel button. Opening a small file never flashes it: it appears only once
// the read has run for `delay` and, by its percentage, still has at least
// half of that to go. The read runs on the window's one thread, so Update
// also lets the window repaint and the dialog take its clicks; it never lets
// another command start: until the dialog appears no keyboard or mouse input
// is taken at all, and the dialog is modal.

#include <chrono>
#include <memory>
#include <string_view>

#include <QElapsedTimer>
#include <QString>

class QProgressDialog;
class QWidget;

class Read_Progress {
 public:
  // Starts timing the read; shows nothing yet.
  Read_Progress(QWidget* owner, std::chrono::milliseconds delay);
  ~Read_Progress();  // closes the dialog
  Read_Progress(const Read_Progress&) = delete;
  Read_Progress& operator=(const Read_Progress&) = delete;

  // Shows the stage and percent (held to 0..100) once the dialog is due.
  // False once the user has cancelled, and from then on.
  bool Update(std::string_view stage, int percent);

 private:
  bool Due(int percent) const;
  void Show();
  // Handles what is pending, at most every few hundredths of a second so
  // that the read is not slowed down; `now` does it at once.
  void Process_Events(bool now);

  QWidget* owner_;
  std::chrono::milliseconds delay_;
  QElapsedTimer started_;
  QElapsedTimer last_events_;
  std::unique_ptr<QProgressDialog> dialog_;  // none until it is due
  QString stage_;
  int percent_ = 0;
  bool cancelled_ = false;
};
