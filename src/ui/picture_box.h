#pragma once
// Picture1, the drawing area of the preview: a white picture with black
// lines, kept in a backing image so that it survives being covered. Its
// drawing area is the whole widget, one unit a pixel.

#include <span>

#include <QImage>
#include <QWidget>

#include "preview/wireframe.h"

class Picture_Box : public QWidget {
 public:
  explicit Picture_Box(QWidget* parent);

  // Erases the picture to white.
  void Clear();
  // Draws each segment as a one-pixel black line, both end points included;
  // what falls outside the picture is clipped.
  void Draw_Segments(std::span<const Segment> segments);

  // How many times segments were drawn since the box was made: one a redraw.
  int Drawings() const { return drawings_; }

  // The picture as drawn so far, the size of the widget.
  const QImage& Image() {
    Fit_Image();
    return image_;
  }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // A white picture the size of the widget, kept while the size holds: the
  // window has a fixed size, so this happens once, when it is laid out.
  void Fit_Image();

  QImage image_;  // Format_RGB32
  int drawings_ = 0;
};
