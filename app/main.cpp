// korvane-converter [FILE]: the converter's window, opening FILE at start as
// the Open button of its kind would.
#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "import/input_kind.h"
#include "ui/main_window.h"

namespace {

const char* const kUsage =
    "Usage: korvane-converter [FILE]\n"
    "The window \"STL Converter for Korvane 3D\": open an STL, PLY or BASIC data file, preview it,\n"
    "fit it for the Korvane 3D and save it as BASIC data lines.\n"
    "\n"
    "  FILE       an STL, PLY or BAS file to open at start, as its Open button would\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "The window needs a display; stl2bas converts without one (stl2bas --help).\n";

// What Qt said while the window system was being reached.
QString start_messages;

// Until the application is made: Qt ends a program that reaches no display
// with a fatal message and an abort. This says why in the program's own
// words instead and exits with 1.
void On_Start_Message(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    start_messages += message + "\n";
    return;
  }
  QString why;
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    why = " (DISPLAY is not set)";
  else if (start_messages.contains("could not connect to display"))
    why = " (DISPLAY=" + qEnvironmentVariable("DISPLAY") + " could not be reached)";
  std::fprintf(stderr,
               "korvane-converter: no display to open the window on%s\n"
               "stl2bas converts without one: stl2bas convert FILE -o FILE.bas (see stl2bas --help)\n",
               why.toLocal8Bit().constData());
  std::fflush(stderr);
  std::_Exit(1);
}

int Usage_Error(const std::string& text) {
  std::fprintf(stderr, "korvane-converter: %s\n%s", text.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before any window system is asked for.
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (argument == "--version") {
      std::puts("korvane-converter " KORVANE_VERSION);
      return 0;
    }
  }

  qInstallMessageHandler(On_Start_Message);
  QApplication app(argc, argv);  // takes Qt's own options (-platform, -style, ...) out of the arguments
  qInstallMessageHandler(nullptr);
  if (!start_messages.isEmpty()) std::fputs(start_messages.toLocal8Bit().constData(), stderr);

  QString file;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (arguments[i].startsWith('-') && arguments[i] != "-")
      return Usage_Error("unknown option " + arguments[i].toStdString());
    if (!file.isEmpty()) return Usage_Error("one FILE at most");
    file = arguments[i];
  }
  if (!file.isEmpty() && Kind_Of_Input(file.toStdString()) == Input_Kind::Unsupported)
    return Usage_Error(file.toStdString() +
                       ": the window opens STL, PLY and BAS files (stl2bas converts OBJ, OFF, glTF and others)");

  // Lets the desktop match the window with its entry (and that entry's icon).
  QGuiApplication::setDesktopFileName("korvane-converter");
  Main_Window window;
  window.show();
  if (!file.isEmpty()) {
    const std::string path = QFileInfo(file).absoluteFilePath().toStdString();
    QTimer::singleShot(0, &window, [&window, path] { window.Commands().Open_File(path); });
  }
  return app.exec();
}
