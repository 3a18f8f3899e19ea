#include "ui/read_progress.h"

#include <algorithm>

#include <QCoreApplication>
#include <QEvent>
#include <QProgressDialog>
#include <QWidget>

namespace {

// How often pending events are handled while a read runs: often enough for
// the dialog to follow the mouse, rarely enough to cost the read nothing.
constexpr qint64 kEventInterval_ms = 30;

// The dialog keeps its width whatever the stage's text.
constexpr int kDialogWidth = 340;

QString Text_Of(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Events by which the user could start a command.
bool Is_User_Input(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
      return true;
    default:
      return false;
  }
}

}  // namespace

Read_Progress::Read_Progress(QWidget* owner, std::chrono::milliseconds delay) : owner_(owner), delay_(delay) {
  started_.start();
  last_events_.start();
  QCoreApplication::instance()->installEventFilter(this);
}

Read_Progress::~Read_Progress() {
  QCoreApplication::instance()->removeEventFilter(this);
  dialog_.reset();
}

bool Read_Progress::eventFilter(QObject* target, QEvent* event) {
  if (!owner_ || !target->isWidgetType()) return false;
  QWidget* widget = static_cast<QWidget*>(target);
  if (widget->window() != owner_) return false;  // the dialog's own input passes
  if (event->type() == QEvent::Close && widget == owner_) {
    event->ignore();  // a close event that is not ignored closes the window even when filtered
    return true;
  }
  return Is_User_Input(event->type());
}

bool Read_Progress::Due(int percent) const {
  const qint64 elapsed = started_.elapsed();
  if (elapsed < delay_.count()) return false;
  if (percent <= 0) return true;  // nothing to go by: the read may well be long
  const qint64 remaining = elapsed * (100 - percent) / percent;
  return 2 * remaining >= delay_.count();
}

void Read_Progress::Show() {
  // A title and a close button, which cancels like the Cancel button.
  dialog_ = std::make_unique<QProgressDialog>(
      stage_, "Cancel", 0, 100, owner_,
      Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  dialog_->setObjectName("Progress_Dialog");
  dialog_->setWindowTitle(owner_ ? owner_->windowTitle() : QString());
  dialog_->setWindowModality(Qt::ApplicationModal);
  // Shown, kept and closed here alone: no timer of its own, no closing or
  // rewinding when the bar reaches 100.
  dialog_->setMinimumDuration(0);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setMinimumWidth(kDialogWidth);
  dialog_->setValue(percent_);
  dialog_->show();
}

void Read_Progress::Process_Events(bool now) {
  if (!now && last_events_.elapsed() < kEventInterval_ms) return;
  last_events_.start();
  QCoreApplication::processEvents();
}

bool Read_Progress::Update(std::string_view stage, int percent) {
  if (cancelled_) return false;
  percent = std::clamp(percent, 0, 100);
  const QString text = Text_Of(stage);
  const bool new_stage = text != stage_;
  stage_ = text;
  percent_ = percent;

  // A new stage is handled at once: before the dialog is due this lets the
  // window repaint where the file dialog was.
  bool now = new_stage;
  if (dialog_) {
    if (new_stage) dialog_->setLabelText(stage_);
    if (dialog_->value() != percent_) dialog_->setValue(percent_);
  } else if (Due(percent_)) {
    Show();
    now = true;
  }
  Process_Events(now);
  if (dialog_ && dialog_->wasCanceled()) cancelled_ = true;
  return !cancelled_;
}
