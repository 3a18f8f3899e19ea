// korvane-converter: the converter's window.
#include <QApplication>

#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Main_Window window;
  window.show();
  return app.exec();
}
