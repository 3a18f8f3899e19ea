#include "png_picture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QLine>
#include <QPainter>
#include <QPen>

std::string Png_Picture(const std::vector<Segment>& segments, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return {};
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 0));  // width 0: one pixel whatever the scale
    for (const Segment& s : segments) painter.drawLine(QLine(s.From.X, s.From.Y, s.To.X, s.To.Y));
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return {};
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
