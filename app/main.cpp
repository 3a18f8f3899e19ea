// korvane-converter: the converter's window.
#include <QApplication>

#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Lets the desktop match the window with its entry (and that entry's icon).
  QGuiApplication::setDesktopFileName("korvane-converter");
  Main_Window window;
  window.show();
  return app.exec();
}
