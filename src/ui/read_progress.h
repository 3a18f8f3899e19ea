#pragma once
// The progress dialog of one long read: the stage, its percentage and a
// Cancel button. Opening a small file never flashes it: it appears only once
// the read has run for `delay` and, by its percentage, still has at least
// half of that to go.
//
// The read runs on the window's one thread, so Update also lets pending
// events through now and then: the window repaints and the dialog takes its
// clicks. No other command can start meanwhile: from construction to
// destruction every keyboard and mouse event aimed at the owner window is
// dropped, before the dialog appears as much as after a cancel, and the
// dialog itself is modal.

#include <chrono>
#include <memory>
#include <string_view>

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QProgressDialog;
class QWidget;

class Read_Progress : public QObject {
 public:
  // Starts timing the read and holds off input to `owner`; shows nothing yet.
  Read_Progress(QWidget* owner, std::chrono::milliseconds delay);
  ~Read_Progress() override;  // closes the dialog and lets input through again
  Read_Progress(const Read_Progress&) = delete;
  Read_Progress& operator=(const Read_Progress&) = delete;

  // Shows the stage and percent (held to 0..100) once the dialog is due.
  // False once the user has cancelled, and from then on.
  bool Update(std::string_view stage, int percent);

 protected:
  // Drops the owner window's keyboard and mouse input and its closing.
  bool eventFilter(QObject* target, QEvent* event) override;

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
