#pragma once
// What the two window test files share: a fresh window for each test with
// its dialogs scripted, its controls found by name, clicks that answer the
// file dialog, and files in a folder of the test's own.
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <iterator>
#include <memory>

#include "scripted_dialogs.h"
#include "ui/picture_box.h"

inline std::string Read_Whole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline int Black_Pixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == qRgb(0, 0, 0);
  return count;
}

class Window_Fixture {
 protected:
  std::unique_ptr<Main_Window> window_;
  std::deque<std::string> answers_;
  int files_asked_ = 0;                 // file dialogs the commands showed
  std::vector<std::string> proposals_;  // what the commands proposed to each dialog
  Recorded_Messages messages_;
  QTemporaryDir folder_;

  void Start_Window() {
    answers_.clear();
    messages_.clear();
    proposals_.clear();
    files_asked_ = 0;
    window_ = std::make_unique<Main_Window>();
    Script_Dialogs(*window_, answers_, messages_, &files_asked_, &proposals_);
  }
  template <typename T = QWidget>
  T* Find(const QString& name) {
    T* widget = window_->findChild<T*>(name);
    if (!widget) qFatal("no control %s", qPrintable(name));
    return widget;
  }
  QString Caption(const char* name) { return Find<QLabel>(name)->text(); }
  bool Enabled(const char* name) { return Find<QPushButton>(name)->isEnabled(); }
  void Click(const QString& name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }
  // Clicks an open or save button with the file dialog answering `path`.
  void Click_With_File(const QString& name, const std::string& path) {
    answers_.push_back(path);
    Click(name);
  }
  std::string Path(const QString& name) { return folder_.filePath(name).toStdString(); }
  std::string Write(const QString& name, const std::string& bytes) {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }
  const QImage& Picture() { return Find<Picture_Box>("Picture1")->Image(); }
  // A moved scroll bar redraws once the events waiting behind it are handled.
  static void Handle_Events() { QCoreApplication::processEvents(); }
};
