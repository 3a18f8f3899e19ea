#pragma once
// The four horizontal scroll bars of "3D Control". They take the focus with
// the tab key and turn the view with the arrow keys, so a keyboard user has
// to see which one has it: the focused bar is drawn framed in the highlight
// colour, with a focus mark on its thumb. Apart from that it is the style's
// own scroll bar.

#include <QScrollBar>

class Focus_Scroll_Bar : public QScrollBar {
 public:
  explicit Focus_Scroll_Bar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {}

 protected:
  void paintEvent(QPaintEvent* event) override;
};
