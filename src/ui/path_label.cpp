#include "ui/path_label.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace {

const QString kEllipsis = QStringLiteral("\u2026");

}  // namespace

int Path_Label::Indent() const {
  // As QLabel: a framed label without an indent of its own keeps half an "x".
  int pixels = indent();
  if (pixels < 0 && frameWidth() > 0) pixels = fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin();
  return std::max(pixels, 0);
}

QRect Path_Label::Text_Rect() const {
  QRect rect = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
  const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
  if (align & Qt::AlignLeft) rect.setLeft(rect.left() + Indent());
  if (align & Qt::AlignRight) rect.setRight(rect.right() - Indent());
  return rect;
}

QString Path_Label::Shown_Text() const {
  const QString path = text();
  const QFontMetrics metrics = fontMetrics();
  // The same distance from the border on the right as on the left.
  const int room = Text_Rect().width() - Indent();
  if (metrics.horizontalAdvance(path) <= room) return path;

  const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  const QString tail = kEllipsis + path.mid(slash);  // "…/name"
  if (slash < 0 || metrics.horizontalAdvance(tail) > room) return metrics.elidedText(path, Qt::ElideMiddle, room);
  // The longest start of the folder that fits before the tail.
  qsizetype fits = 0, beyond = slash + 1;
  while (beyond - fits > 1) {
    const qsizetype middle = (fits + beyond) / 2;
    if (metrics.horizontalAdvance(path.left(middle) + tail) <= room)
      fits = middle;
    else
      beyond = middle;
  }
  return path.left(fits) + tail;
}

void Path_Label::paintEvent(QPaintEvent* event) {
  const QString shown = Shown_Text();
  if (shown == text()) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  drawFrame(&painter);
  style()->drawItemText(&painter, Text_Rect(), QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                        isEnabled(), shown, foregroundRole());
}
