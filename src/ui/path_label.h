#pragma once
// Lbl_File_Input and Lbl_File_Output: a label whose text is a full path.
// The text stays the whole path (the commands set it and read it back as
// such), but a path wider than the label is drawn elided in the middle, so
// that the start of the path and the file name stay in view
// ("/work/meshes/sc…/spider-noname.stl"). The window shows the whole path as
// the label's tooltip.

#include <QLabel>
#include <QString>

class Path_Label : public QLabel {
 public:
  explicit Path_Label(QWidget* parent) : QLabel(parent) {}

  // The text as drawn: the whole text when it fits; otherwise as much of the
  // folder as fits, "…" and the file name after the last separator; and when
  // not even "…" and the file name fit, the text elided in its middle.
  QString Shown_Text() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Where QLabel puts its text: inside the frame and margin, after the
  // indent that a framed label keeps from its border.
  QRect Text_Rect() const;
  int Indent() const;
};
