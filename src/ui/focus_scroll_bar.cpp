#include "ui/focus_scroll_bar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyleOptionSlider>

void Focus_Scroll_Bar::paintEvent(QPaintEvent* event) {
  QScrollBar::paintEvent(event);
  if (!hasFocus()) return;

  QStyleOptionSlider bar;
  initStyleOption(&bar);
  const QRect thumb = style()->subControlRect(QStyle::CC_ScrollBar, &bar, QStyle::SC_ScrollBarSlider, this);

  QPainter painter(this);
  const QColor highlight = palette().color(QPalette::Highlight);
  painter.setPen(highlight);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  // The mark on the thumb follows the value as the keys move it.
  QStyleOptionFocusRect mark;
  mark.initFrom(this);
  mark.rect = thumb.adjusted(3, 3, -3, -3);
  mark.backgroundColor = palette().color(QPalette::Button);
  if (mark.rect.isValid()) style()->drawPrimitive(QStyle::PE_FrameFocusRect, &mark, &painter, this);
}
