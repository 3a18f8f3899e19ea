#include "ui/picture_box.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include "preview/draw_lines.h"

Picture_Box::Picture_Box(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

void Picture_Box::Fit_Image() {
  if (image_.size() == size()) return;
  image_ = QImage(size(), QImage::Format_RGB32);
  image_.fill(Qt::white);
}

void Picture_Box::Clear() {
  Fit_Image();
  image_.fill(Qt::white);
  update();
}

void Picture_Box::Draw_Segments(std::span<const Segment> segments) {
  ++drawings_;
  Fit_Image();
  // Format_RGB32: one 32-bit pixel each, rows bytesPerLine() apart.
  Draw_Lines(reinterpret_cast<uint32_t*>(image_.bits()), image_.width(), image_.height(),
             image_.bytesPerLine() / 4, segments, qRgb(0, 0, 0));
  update();
}

void Picture_Box::paintEvent(QPaintEvent* event) {
  Fit_Image();
  QPainter painter(this);
  painter.drawImage(event->rect(), image_, event->rect());
}

void Picture_Box::resizeEvent(QResizeEvent* event) {
  Fit_Image();
  QWidget::resizeEvent(event);
}
