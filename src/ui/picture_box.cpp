#include "ui/picture_box.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

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
  Fit_Image();
  lines_.clear();
  lines_.reserve(segments.size());
  for (const Segment& s : segments) lines_.emplace_back(s.From.X, s.From.Y, s.To.X, s.To.Y);
  QPainter painter(&image_);
  painter.setPen(QPen(Qt::black, 0));  // cosmetic: one pixel whatever the transform
  painter.drawLines(lines_.data(), static_cast<int>(lines_.size()));
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
