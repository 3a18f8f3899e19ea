// The real window, headless: the place, size and settings of every control,
// the initial captions and states, the tab order, and what the commands
// leave in the controls when they run through clicks and scroll bars.
#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <deque>
#include <functional>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "import/read_input.h"
#include "preview/png_picture.h"
#include "preview/draw_lines.h"
#include "preview/wireframe.h"
#include "ui/dialog_filter.h"
#include "ui/main_window.h"
#include "ui/path_label.h"
#include "ui/picture_box.h"
#include "scripted_dialogs.h"

namespace {

const char* const kSampleCube = KORVANE_SAMPLES "/cube.stl";

// One triangle seen from the front, a second seen from the back.
const char* const kTwoFacesBas =
    "10'Number of Faces and Number of Points\r\n11 data 1,2\r\n12'Points from the 3D Object\r\n"
    "13 data 0.0,0.0,0.0,0.0,5.0,0.0,5.0,0.0,0.0\r\n14'Faces from the 3D Object\r\n15 data 0,1,2,0,2,1\r\n";

int Black_Pixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == qRgb(0, 0, 0);
  return count;
}

// Black lines into a Format_RGB32 picture, as the window draws them.
void Draw_Into(QImage& picture, std::span<const Segment> segments) {
  Draw_Lines(reinterpret_cast<uint32_t*>(picture.bits()), picture.width(), picture.height(),
             picture.bytesPerLine() / 4, segments, qRgb(0, 0, 0));
}

// The pixels where a PNG picture differs from `expected`; -1 when it does
// not decode or its size differs.
int Png_Differences(const std::string& png, const QImage& expected) {
  QImage decoded;
  if (!decoded.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<qsizetype>(png.size()), "PNG"))
    return -1;
  if (decoded.size() != expected.size()) return -1;
  decoded = decoded.convertToFormat(QImage::Format_RGB32);
  int count = 0;
  for (int y = 0; y < expected.height(); ++y)
    for (int x = 0; x < expected.width(); ++x) count += decoded.pixel(x, y) != expected.pixel(x, y);
  return count;
}

// A strip of `facets` triangles along X, as ASCII STL: with some thousands
// of facets the reader reports its progress a few times.
std::string Strip_Stl(int facets) {
  std::string text = "solid strip\n";
  for (int i = 0; i < facets; ++i) {
    std::string x = std::to_string(i), next = std::to_string(i + 1);
    text += "facet normal 0 0 1\nouter loop\nvertex " + x + " 0 0\nvertex " + next + " 0 0\nvertex " + x +
            " 1 0\nendloop\nendfacet\n";
  }
  return text + "endsolid strip\n";
}

// Counts the progress dialogs that are shown, however briefly.
class Dialog_Counter : public QObject {
 public:
  int shown = 0;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::Show && qobject_cast<QProgressDialog*>(object)) ++shown;
    return false;
  }
};

// What the progress dialog showed, sampled while a read runs.
struct Progress_Sample {
  QString stage;
  int percent;
  bool visible;
  Qt::WindowModality modality;
  bool active_modal;  // the application's active modal widget
};

}  // namespace

class Window_Test : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Main_Window> window_;
  std::deque<std::string> answers_;
  int files_asked_ = 0;  // file dialogs the commands showed
  std::vector<std::string> proposals_;  // what the commands proposed to each dialog
  std::vector<std::pair<std::string, std::string>> messages_;
  QTemporaryDir folder_;

  template <typename T>
  T* Find(const char* name) {
    T* widget = window_->findChild<T*>(name);
    if (!widget) qFatal("no control %s", name);
    return widget;
  }
  QString Caption(const char* name) { return Find<QLabel>(name)->text(); }
  bool Enabled(const char* name) { return Find<QPushButton>(name)->isEnabled(); }
  void Click(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }
  // Clicks an open or save button with the file dialog answering `path`.
  void Click_With_File(const char* name, const std::string& path) {
    answers_.push_back(path);
    Click(name);
  }
  std::string Write(const char* name, const char* text) {
    std::string path = folder_.filePath(name).toStdString();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  const QImage& Picture() { return Find<Picture_Box>("Picture1")->Image(); }
  // A moved scroll bar redraws once the events waiting behind it are handled.
  static void Handle_Events() { QCoreApplication::processEvents(); }
  std::string Write(const char* name, const std::string& text) { return Write(name, text.c_str()); }

  // Runs an open command while a timer looks at the progress dialog each
  // time the read lets events through; `on_sample` may act on the dialog.
  std::vector<Progress_Sample> Open_Watching_Progress(
      const char* button, const std::string& path,
      const std::function<void(QProgressDialog*, const Progress_Sample&)>& on_sample = {}) {
    std::vector<Progress_Sample> samples;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      auto* dialog = window_->findChild<QProgressDialog*>();
      if (!dialog) return;
      samples.push_back({dialog->labelText(), dialog->value(), dialog->isVisible(), dialog->windowModality(),
                         QApplication::activeModalWidget() == dialog});
      if (on_sample) on_sample(dialog, samples.back());
    });
    watch.start();
    Click_With_File(button, path);
    watch.stop();
    return samples;
  }

 private slots:
  void init() {
    answers_.clear();
    messages_.clear();
    window_ = std::make_unique<Main_Window>();
    files_asked_ = 0;
    proposals_.clear();
    Script_Dialogs(*window_, answers_, messages_, &files_asked_, &proposals_);
  }
  void cleanup() { window_.reset(); }

  void windowIsAFixedToolWindowWithACloseButtonOnly() {
    QCOMPARE(window_->windowTitle(), QString("STL Converter for Korvane 3D"));
    QCOMPARE(window_->size(), QSize(882, 514));
    QCOMPARE(window_->minimumSize(), QSize(882, 514));
    QCOMPARE(window_->maximumSize(), QSize(882, 514));
    Qt::WindowFlags flags = window_->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
  }

  void controlsSitAtTheirPlace_data() {
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");  // twips / 15
    auto row = [](const char* name, const char* container, int l, int t, int w, int h) {
      QTest::newRow(name) << QString(container) << QRect(l / 15, t / 15, w / 15, h / 15);
    };
    row("Frame1", "Form1", 120, 120, 5415, 3735);
    row("Frame2", "Form1", 5640, 120, 7500, 7500);
    row("Frame3", "Form1", 120, 3960, 5415, 3660);
    row("Cmd_Open", "Frame1", 120, 360, 1335, 255);
    row("Lbl_File_Input", "Frame1", 120, 720, 5175, 255);
    row("Label1", "Frame1", 120, 1080, 2295, 255);
    row("Label2", "Frame1", 120, 1440, 2295, 255);
    row("Lbl_Nb_Pts_Normal", "Frame1", 2520, 1080, 855, 255);
    row("Lbl_Nb_Faces_Normal", "Frame1", 2520, 1440, 855, 255);
    row("Label3", "Frame1", 120, 1800, 2295, 255);
    row("Lbl_Nb_Pts_Optimized", "Frame1", 2520, 1800, 855, 255);
    row("Label4", "Frame1", 120, 2280, 2295, 255);
    row("Txt_Basic_Start", "Frame1", 2520, 2280, 855, 285);
    row("Label5", "Frame1", 120, 2640, 2295, 255);
    row("Txt_Basic_Line_Step", "Frame1", 2520, 2640, 855, 285);
    row("Cmd_Save", "Frame1", 120, 3000, 1335, 255);
    row("Lbl_File_Output", "Frame1", 120, 3360, 5175, 255);
    row("Cmd_Open_Bas", "Frame1", 3000, 360, 1335, 255);
    row("Cmd_Open_Ply", "Frame1", 1560, 360, 1335, 255);
    row("Picture1", "Frame2", 120, 240, 7215, 7095);
    row("HScroll_X", "Frame3", 120, 600, 5175, 255);
    row("Label6", "Frame3", 1800, 360, 1575, 255);
    row("HScroll_Y", "Frame3", 120, 1200, 5175, 255);
    row("Label7", "Frame3", 1800, 960, 1575, 255);
    row("HScroll_Z", "Frame3", 120, 1800, 5175, 255);
    row("Label8", "Frame3", 1800, 1560, 1575, 255);
    row("HScroll_Zoom", "Frame3", 120, 2400, 5175, 255);
    row("Label9", "Frame3", 1800, 2160, 1575, 255);
    row("Cmd_Normal_Meshe", "Frame3", 120, 2880, 2415, 255);
    row("Cmd_Optimized_Meshe", "Frame3", 2880, 2880, 2415, 255);
    row("Lbl_Meshe", "Frame3", 1920, 3240, 1575, 255);
    row("Lbl_Angle_X", "Frame3", 3480, 360, 735, 255);
    row("Lbl_Angle_Y", "Frame3", 3480, 960, 735, 255);
    row("Lbl_Angle_Z", "Frame3", 3480, 1560, 735, 255);
    row("Lbl_Zoom", "Frame3", 3480, 2160, 735, 255);
  }
  void controlsSitAtTheirPlace() {
    QFETCH(QString, container);
    QFETCH(QRect, geometry);
    QWidget* control = Find<QWidget>(QTest::currentDataTag());
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(control->geometry(), geometry);
  }

  void line1RunsAcrossTheFileFrame() {
    auto* line = Find<QFrame>("Line1");
    QCOMPARE(line->parentWidget()->objectName(), QString("Frame1"));
    QCOMPARE(line->geometry(), QRect(8, 144, 345, 1));  // (120, 2160) to (5280, 2160), both ends
    QCOMPARE(line->frameShape(), QFrame::HLine);
    QCOMPARE(line->palette().color(QPalette::WindowText), QColor(Qt::black));
  }

  void initialCaptions_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("alignment");
    const int centred = Qt::AlignCenter;
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    auto row = [](const char* name, const char* text, int alignment) {
      QTest::newRow(name) << QString(text) << alignment;
    };
    row("Frame1", "File Convertion", 0);
    row("Frame2", "3D Preview", 0);
    row("Frame3", "3D Control", 0);
    row("Cmd_Open", "Open STL File", 0);
    row("Cmd_Open_Ply", "Open PLY File", 0);
    row("Cmd_Open_Bas", "Open BAS File", 0);
    row("Cmd_Save", "Save Basic File", 0);
    row("Cmd_Normal_Meshe", "Normal Meshe", 0);
    row("Cmd_Optimized_Meshe", "Optimized Meshe", 0);
    row("Lbl_File_Input", "", left);
    row("Lbl_File_Output", "", left);
    row("Label1", "Number of Points", centred);
    row("Label2", "Number of Faces", centred);
    row("Label3", "Number of Points Optimized", centred);
    row("Label4", "Basic Line Start", centred);
    row("Label5", "Basic Line Step", centred);
    row("Label6", "Rotate on X Axis", centred);
    row("Label7", "Rotate on Y Axis", centred);
    row("Label8", "Rotate on Z Axis", centred);
    row("Label9", "Zoom", centred);
    row("Lbl_Nb_Pts_Normal", "0", centred);
    row("Lbl_Nb_Faces_Normal", "0", centred);
    row("Lbl_Nb_Pts_Optimized", "0", centred);
    row("Lbl_Meshe", "Normal Meshe", centred);
    row("Lbl_Angle_X", "0", centred);
    row("Lbl_Angle_Y", "0", centred);
    row("Lbl_Angle_Z", "0", centred);
    row("Lbl_Zoom", "0", centred);  // until the first redraw, although the zoom is 1
    row("Txt_Basic_Start", "10", centred);
    row("Txt_Basic_Line_Step", "1", centred);
  }
  void initialCaptions() {
    QFETCH(QString, text);
    QFETCH(int, alignment);
    QWidget* control = Find<QWidget>(QTest::currentDataTag());
    if (auto* label = qobject_cast<QLabel*>(control)) {
      QCOMPARE(label->text(), text);
      QCOMPARE(int(label->alignment()), alignment);
      QCOMPARE(label->frameShape(), QFrame::Box);  // a single-line border
      QCOMPARE(label->frameShadow(), QFrame::Plain);
      QCOMPARE(label->lineWidth(), 1);
    } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
      QCOMPARE(box->text(), text);
      QCOMPARE(int(box->alignment()), alignment);
      QVERIFY(box->maxLength() > 32767);
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
      QCOMPARE(button->text(), text);
    } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
      QCOMPARE(frame->title(), text);
    } else {
      QFAIL("unexpected kind of control");
    }
    QVERIFY(!text.contains('&'));  // no access keys
  }

  // Captions are never cut: each fits inside its control's border.
  void everyCaptionFitsItsControl() {
    for (auto* label : window_->findChildren<QLabel*>()) {
      QFontMetrics metrics(label->font());
      QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->contentsRect().width(),
               qPrintable(label->objectName()));
      QVERIFY2(metrics.height() <= label->contentsRect().height(), qPrintable(label->objectName()));
    }
    for (auto* button : window_->findChildren<QPushButton*>())
      QVERIFY2(QFontMetrics(button->font()).horizontalAdvance(button->text()) + 8 <= button->width(),
               qPrintable(button->objectName()));
  }

  void closingTheWindowEndsTheProgram() {
    window_->show();
    QTimer::singleShot(0, window_.get(), [this] { window_->close(); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });  // not ended: fail, do not hang
    QCOMPARE(QApplication::exec(), 0);
  }

  void onlySaveIsDisabledAtStart() {
    for (auto* button : window_->findChildren<QPushButton*>())
      QCOMPARE(button->isEnabled(), button->objectName() != "Cmd_Save");
    QCOMPARE(window_->findChildren<QPushButton*>().size(), 6);
  }

  void pictureStartsBlankWhite() {
    QCOMPARE(window_->Drawing_Width(), 481);
    QCOMPARE(window_->Drawing_Height(), 473);
    const QImage& picture = Picture();
    QCOMPARE(picture.size(), QSize(481, 473));
    QCOMPARE(Black_Pixels(picture), 0);
    QCOMPARE(picture.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(picture.pixel(480, 472), qRgb(255, 255, 255));
  }

  void scrollBars_data() {
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::newRow("HScroll_X") << 0 << 359;
    QTest::newRow("HScroll_Y") << 0 << 359;
    QTest::newRow("HScroll_Z") << 0 << 359;
    QTest::newRow("HScroll_Zoom") << 1 << 20;
  }
  void scrollBars() {
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    auto* bar = Find<QScrollBar>(QTest::currentDataTag());
    QCOMPARE(bar->orientation(), Qt::Horizontal);
    QCOMPARE(bar->minimum(), minimum);
    QCOMPARE(bar->maximum(), maximum);
    QCOMPARE(bar->value(), minimum);
    QCOMPARE(bar->singleStep(), 1);
    QCOMPARE(bar->pageStep(), 10);

    // A click on an arrow moves by 1, a click in the trough by 10, never
    // past the ends; so do the arrow keys.
    window_->show();
    auto click = [&](QStyle::SubControl part) {
      QStyleOptionSlider option;
      option.initFrom(bar);
      option.orientation = bar->orientation();
      option.minimum = bar->minimum();
      option.maximum = bar->maximum();
      option.sliderPosition = bar->sliderPosition();
      option.sliderValue = bar->value();
      option.singleStep = bar->singleStep();
      option.pageStep = bar->pageStep();
      option.upsideDown = bar->invertedAppearance();
      QRect rect = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
      QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, rect.center());
    };
    click(QStyle::SC_ScrollBarAddLine);
    QCOMPARE(bar->value(), minimum + 1);
    click(QStyle::SC_ScrollBarAddPage);
    QCOMPARE(bar->value(), minimum + 11);
    click(QStyle::SC_ScrollBarSubLine);
    QCOMPARE(bar->value(), minimum + 10);
    click(QStyle::SC_ScrollBarSubPage);
    QCOMPARE(bar->value(), minimum);
    click(QStyle::SC_ScrollBarSubLine);
    click(QStyle::SC_ScrollBarSubPage);
    QCOMPARE(bar->value(), minimum);
    QTest::keyClick(bar, Qt::Key_Right);
    QCOMPARE(bar->value(), minimum + 1);
    QTest::keyClick(bar, Qt::Key_Left);
    QTest::keyClick(bar, Qt::Key_Left);
    QCOMPARE(bar->value(), minimum);
    bar->setValue(maximum);
    click(QStyle::SC_ScrollBarAddLine);
    click(QStyle::SC_ScrollBarAddPage);
    QTest::keyClick(bar, Qt::Key_Right);
    QCOMPARE(bar->value(), maximum);
    bar->setValue(maximum + 1);
    QCOMPARE(bar->value(), maximum);
  }

  void tabVisitsTheControlsInTheirOrder() {
    window_->show();
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("Cmd_Open"));

    auto visit = [&](int presses) {
      QStringList names;
      for (int i = 0; i < presses; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        names << QApplication::focusWidget()->objectName();
      }
      return names;
    };
    // Cmd_Save is skipped while it is disabled.
    QCOMPARE(visit(12), QStringList({"Txt_Basic_Start", "Txt_Basic_Line_Step", "HScroll_X", "HScroll_Y",
                                     "HScroll_Z", "HScroll_Zoom", "Cmd_Normal_Meshe", "Cmd_Optimized_Meshe",
                                     "Cmd_Open_Bas", "Cmd_Open_Ply", "Cmd_Open", "Txt_Basic_Start"}));
    Find<QPushButton>("Cmd_Save")->setEnabled(true);
    QCOMPARE(visit(3), QStringList({"Txt_Basic_Line_Step", "Cmd_Save", "HScroll_X"}));
  }

  void openCommandsSetCountsAndButtons() {
    Click_With_File("Cmd_Open", kSampleCube);
    QCOMPARE(Caption("Lbl_File_Input"), QString(kSampleCube));
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), QString("11"));
    QCOMPARE(Caption("Lbl_Nb_Pts_Normal"), QString("35"));
    QCOMPARE(Caption("Lbl_Nb_Pts_Optimized"), QString("7"));
    QCOMPARE(Caption("Lbl_Meshe"), QString("Normal Meshe"));
    QCOMPARE(Caption("Lbl_Zoom"), QString("1"));
    QVERIFY(Enabled("Cmd_Save"));
    QVERIFY(Enabled("Cmd_Normal_Meshe"));
    QVERIFY(Black_Pixels(Picture()) > 0);

    Click("Cmd_Optimized_Meshe");
    QCOMPARE(Caption("Lbl_Meshe"), QString("Optimized Meshe"));

    // A cancelled dialog keeps the object but leaves Cmd_Save disabled.
    QImage before = Picture().copy();
    Click_With_File("Cmd_Open_Ply", "");
    QVERIFY(!Enabled("Cmd_Save"));
    QCOMPARE(Caption("Lbl_File_Input"), QString(kSampleCube));
    QCOMPARE(Picture(), before);

    std::string bas = Write("two.bas", kTwoFacesBas);
    Click_With_File("Cmd_Open_Bas", bas);
    QCOMPARE(Caption("Lbl_File_Input"), QString::fromStdString(bas));
    QCOMPARE(Caption("Lbl_Meshe"), QString("Optimized Meshe"));
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), QString("1"));
    QCOMPARE(Caption("Lbl_Nb_Pts_Normal"), QString("2"));
    QCOMPARE(Caption("Lbl_Nb_Pts_Optimized"), QString("2"));
    QVERIFY(!Enabled("Cmd_Normal_Meshe"));
    QVERIFY(Enabled("Cmd_Save"));
    QVERIFY(Enabled("Cmd_Optimized_Meshe"));
    QVERIFY(messages_.empty());

    Click_With_File("Cmd_Open", kSampleCube);
    QVERIFY(Enabled("Cmd_Normal_Meshe"));
    QCOMPARE(Caption("Lbl_Meshe"), QString("Normal Meshe"));
  }

  // Binary files open through the same buttons; a PLY's polygons are
  // counted as the triangles they become.
  void binaryAndPolygonFilesOpen_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("faces");
    QTest::addColumn<QString>("points");
    QTest::addColumn<QString>("optimized");
    QTest::newRow("binary STL, solid header") << "Cmd_Open" << "unit_cube-solid-header.stl" << "11" << "35" << "7";
    QTest::newRow("binary PLY, little-endian") << "Cmd_Open_Ply" << "cube_binary.ply" << "11" << "7" << "7";
    QTest::newRow("binary PLY, big-endian pentagons") << "Cmd_Open_Ply" << "platonic_shelf_big_endian.ply" << "79"
                                                      << "49" << "49";
    QTest::newRow("ASCII PLY, quads") << "Cmd_Open_Ply" << "suzanne-quads-tris.ply" << "967" << "1965" << "504";
  }

  void binaryAndPolygonFilesOpen() {
    QFETCH(QString, button);
    QFETCH(QString, file);
    Click_With_File(button.toUtf8().constData(), std::string(KORVANE_TEST_DATA "/") + file.toStdString());
    QVERIFY(messages_.empty());
    QFETCH(QString, faces);
    QFETCH(QString, points);
    QFETCH(QString, optimized);
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), faces);
    QCOMPARE(Caption("Lbl_Nb_Pts_Normal"), points);
    QCOMPARE(Caption("Lbl_Nb_Pts_Optimized"), optimized);
    QVERIFY(Enabled("Cmd_Save"));
    QVERIFY(Black_Pixels(Picture()) > 0);
  }

  void failedReadClearsThePictureAndKeepsSaveDisabled() {
    Click_With_File("Cmd_Open", kSampleCube);
    QVERIFY(Black_Pixels(Picture()) > 0);
    std::string bad = Write("bad.bas", "10'Number of Faces and Number of Points\r\n11 data 0,0\r\n");
    Click_With_File("Cmd_Open_Bas", bad);
    QCOMPARE(messages_.size(), size_t(1));
    QCOMPARE(messages_[0].first, std::string("Wrong number of Faces or Points"));
    QCOMPARE(messages_[0].second, std::string("E.R.R.O.R"));
    QCOMPARE(Black_Pixels(Picture()), 0);
    QVERIFY(!Enabled("Cmd_Save"));

    Find<QScrollBar>("HScroll_X")->setValue(90);
    Handle_Events();
    Click("Cmd_Optimized_Meshe");
    QCOMPARE(Black_Pixels(Picture()), 0);
    QCOMPARE(Caption("Lbl_Angle_X"), QString("0"));
  }

  void scrollBarsRedrawAndShowTheirValues() {
    // Before a load the bars change nothing.
    Find<QScrollBar>("HScroll_X")->setValue(10);
    Handle_Events();
    QCOMPARE(Caption("Lbl_Angle_X"), QString("0"));

    Click_With_File("Cmd_Open", kSampleCube);
    QImage front = Picture().copy();
    Find<QScrollBar>("HScroll_X")->setValue(45);
    Find<QScrollBar>("HScroll_Y")->setValue(0);
    Find<QScrollBar>("HScroll_Z")->setValue(300);
    Find<QScrollBar>("HScroll_Zoom")->setValue(5);
    Handle_Events();
    QCOMPARE(Caption("Lbl_Angle_X"), QString("45"));
    QCOMPARE(Caption("Lbl_Angle_Y"), QString("0"));
    QCOMPARE(Caption("Lbl_Angle_Z"), QString("300"));
    QCOMPARE(Caption("Lbl_Zoom"), QString("5"));
    QVERIFY(Picture() != front);

    // A drag redraws as it moves, not only on release.
    auto* bar = Find<QScrollBar>("HScroll_Y");
    QSignalSpy moves(bar, &QScrollBar::valueChanged);
    bar->setSliderDown(true);
    bar->setSliderPosition(20);
    Handle_Events();
    QCOMPARE(Caption("Lbl_Angle_Y"), QString("20"));
    bar->setSliderPosition(21);
    Handle_Events();
    QCOMPARE(Caption("Lbl_Angle_Y"), QString("21"));
    bar->setSliderDown(false);
    QCOMPARE(moves.count(), 2);
  }

  void saveReportsThroughMessages() {
    Click_With_File("Cmd_Open", kSampleCube);
    Click_With_File("Cmd_Save", "");
    QCOMPARE(messages_.back(), (std::pair<std::string, std::string>{"Wrong file name", "E.R.R.O.R"}));
    QCOMPARE(Caption("Lbl_File_Output"), QString());

    std::string out = folder_.filePath("cube.bas").toStdString();
    Find<QLineEdit>("Txt_Basic_Start")->setText("100");
    Find<QLineEdit>("Txt_Basic_Line_Step")->setText("5");
    Click_With_File("Cmd_Save", out);
    QCOMPARE(messages_.back(), (std::pair<std::string, std::string>{"Basic File Saved", "Saving OK"}));
    QCOMPARE(Caption("Lbl_File_Output"), QString::fromStdString(out));
    std::ifstream file(out, std::ios::binary);
    std::string first;
    std::getline(file, first);
    QCOMPARE(first, std::string("100'Number of Faces and Number of Points\r"));
    QVERIFY(Enabled("Cmd_Save"));
  }

  // The save button writes through the same path as stl2bas: the mesh file
  // the window opened is never replaced, by its own name or a link to it,
  // and saving through a link keeps the link and replaces its target.
  void saveNeverReplacesTheOpenedMeshAndKeepsLinks() {
    std::ifstream sample(kSampleCube, std::ios::binary);
    const std::string mesh((std::istreambuf_iterator<char>(sample)), std::istreambuf_iterator<char>());
    const std::string input = Write("opened.stl", mesh);
    Click_With_File("Cmd_Open", input);
    QVERIFY(Enabled("Cmd_Save"));
    const std::string link_to_input = folder_.filePath("opened-link.bas").toStdString();
    QVERIFY(QFile::link("opened.stl", QString::fromStdString(link_to_input)));
    for (const std::string& out : {input, link_to_input}) {
      Click_With_File("Cmd_Save", out);
      QCOMPARE(messages_.back(), (std::pair<std::string, std::string>{"Cannot write file: " + out, "E.R.R.O.R"}));
    }
    std::ifstream after(input, std::ios::binary);
    QVERIFY(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()) == mesh);

    const std::string real = Write("real.bas", "old");
    const std::string link = folder_.filePath("link.bas").toStdString();
    QVERIFY(QFile::link("real.bas", QString::fromStdString(link)));
    Click_With_File("Cmd_Save", link);
    QCOMPARE(messages_.back(), (std::pair<std::string, std::string>{"Basic File Saved", "Saving OK"}));
    QVERIFY(QFileInfo(QString::fromStdString(link)).isSymLink());
    std::ifstream saved(real, std::ios::binary);
    std::string first;
    std::getline(saved, first);
    QCOMPARE(first, std::string("10'Number of Faces and Number of Points\r"));
  }

  // The real file dialog and message box, answered by a timer: the filter
  // is built from the command's filter text, the box has a title, a text and
  // a single OK button.
  void realDialogAndMessageBox() {
    window_->Set_File_Chooser(nullptr);
    window_->Set_Message_Sink(nullptr);
    window_->show();
    QStringList filters;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
    QTimer::singleShot(0, this, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      filters = dialog->nameFilters();
      mode = dialog->acceptMode();
      dialog->selectFile(kSampleCube);
      QMetaObject::invokeMethod(dialog, "accept");
    });
    Click("Cmd_Open");
    QCOMPARE(filters, QStringList({"STL (*.stl)"}));
    QCOMPARE(mode, QFileDialog::AcceptOpen);
    QCOMPARE(Caption("Lbl_File_Input"), QString(kSampleCube));
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), QString("11"));

    QString title, text, folder, suffix;
    QStringList selected;
    int buttons = 0;
    QTimer::singleShot(0, this, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      filters = dialog->nameFilters();
      mode = dialog->acceptMode();
      folder = dialog->directory().absolutePath();
      selected = dialog->selectedFiles();
      suffix = dialog->defaultSuffix();
      // The message box follows the dialog.
      QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        title = box->windowTitle();
        text = box->text();
        buttons = int(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
      });
      dialog->reject();
    });
    Click("Cmd_Save");
    QCOMPARE(filters, QStringList({"BAS (*.bas)"}));
    QCOMPARE(mode, QFileDialog::AcceptSave);
    QCOMPARE(folder, QFileInfo(kSampleCube).absolutePath());  // where the input came from
    QCOMPARE(selected, QStringList({QFileInfo(kSampleCube).absolutePath() + "/cube.bas"}));
    QCOMPARE(suffix, QString("bas"));
    QCOMPARE(title, QString("E.R.R.O.R"));
    QCOMPARE(text, QString("Wrong file name"));
    QCOMPARE(buttons, 1);
  }

  void segmentsPaintIntoThePicture() {
    Segment segments[] = {{{10, 20}, {110, 20}}, {{470, 5}, {600, 5}}};
    window_->Clear_Picture();
    window_->Draw_Segments(segments);
    QCOMPARE(Picture().pixel(10, 20), qRgb(0, 0, 0));
    QCOMPARE(Black_Pixels(Picture()), 101 + 11);
    window_->Clear_Picture();
    QCOMPARE(Black_Pixels(Picture()), 0);
  }

  // Lines of one pixel, both ends included, clipped to the picture.
  void drawLines_data() {
    QTest::addColumn<QLine>("line");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<QPoint>("first");  // a pixel that must be drawn
    QTest::addColumn<QPoint>("last");   // another
    QTest::newRow("across") << QLine(10, 20, 110, 20) << 101 << QPoint(10, 20) << QPoint(110, 20);
    QTest::newRow("backwards") << QLine(110, 20, 10, 20) << 101 << QPoint(10, 20) << QPoint(110, 20);
    QTest::newRow("diagonal") << QLine(0, 0, 9, 9) << 10 << QPoint(0, 0) << QPoint(9, 9);
    QTest::newRow("steep") << QLine(5, 5, 7, 15) << 11 << QPoint(5, 5) << QPoint(7, 15);
    QTest::newRow("one point") << QLine(3, 4, 3, 4) << 1 << QPoint(3, 4) << QPoint(3, 4);
    QTest::newRow("corners") << QLine(480, 0, 0, 472) << 481 << QPoint(480, 0) << QPoint(0, 472);
    QTest::newRow("wholly outside") << QLine(-50, -50, -10, -10) << 0 << QPoint(-1, -1) << QPoint(-1, -1);
    QTest::newRow("beyond the right edge") << QLine(481, 0, 481, 472) << 0 << QPoint(-1, -1) << QPoint(-1, -1);
    QTest::newRow("out at the right") << QLine(470, 5, 600, 5) << 11 << QPoint(470, 5) << QPoint(480, 5);
    QTest::newRow("row from far to far") << QLine(-32768, 10, 32767, 10) << 481 << QPoint(0, 10) << QPoint(480, 10);
    QTest::newRow("column from far to far") << QLine(100, 32767, 100, -32768) << 473 << QPoint(100, 0)
                                            << QPoint(100, 472);
    QTest::newRow("diagonal from far to far") << QLine(-1000, -1000, 1000, 1000) << 473 << QPoint(0, 0)
                                              << QPoint(472, 472);
  }
  void drawLines() {
    QFETCH(QLine, line);
    QFETCH(int, pixels);
    QFETCH(QPoint, first);
    QFETCH(QPoint, last);
    QImage picture(481, 473, QImage::Format_RGB32);
    picture.fill(Qt::white);
    auto at = [](int v) { return static_cast<int16_t>(v); };
    Segment segment{{at(line.x1()), at(line.y1())}, {at(line.x2()), at(line.y2())}};
    Draw_Into(picture, {&segment, 1});
    QCOMPARE(Black_Pixels(picture), pixels);
    if (pixels == 0) return;
    QCOMPARE(picture.pixel(first), qRgb(0, 0, 0));
    QCOMPARE(picture.pixel(last), qRgb(0, 0, 0));
    // Every pixel drawn lies on the line: within half a pixel of it.
    const double dx = line.dx(), dy = line.dy(), length = std::hypot(dx, dy);
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x)
        if (picture.pixel(x, y) == qRgb(0, 0, 0) && length > 0)
          QVERIFY(std::abs(dy * (x - line.x1()) - dx * (y - line.y1())) / length <= 0.75);
  }

  // stl2bas render's PNG pictures decode to exactly the pixels the window
  // draws for the same segments.
  void pngPictureHoldsTheWindowsPixels() {
    struct Case {
      const char* name;
      std::vector<Segment> segments;
      bool drawn;  // whether any pixel turns black
    };
    const Case cases[] = {
        {"inside", {{{10, 20}, {110, 20}}, {{5, 5}, {7, 15}}, {{300, 400}, {20, 30}}, {{0, 472}, {480, 0}}}, true},
        {"crossing the border",
         {{{470, 5}, {600, 5}}, {{-20, 100}, {50, 130}}, {{240, -100}, {260, 600}}, {{-5, -5}, {480, 472}}},
         true},
        {"far outside", {{{-32768, -32768}, {-10, -10}}, {{481, 0}, {481, 472}}, {{32767, 32767}, {500, 32767}}},
         false},
        {"far to far, across",
         {{{-32768, 10}, {32767, 10}}, {{-1000, -1000}, {1000, 1000}}, {{32767, -32768}, {-32768, 32767}}},
         true},
        {"single points", {{{0, 0}, {0, 0}}, {{480, 472}, {480, 472}}, {{240, 236}, {240, 236}}, {{-1, 0}, {-1, 0}}},
         true},
        {"no segment", {}, false},
    };
    for (const Case& c : cases) {
      window_->Clear_Picture();
      window_->Draw_Segments(c.segments);
      QVERIFY2((Black_Pixels(Picture()) > 0) == c.drawn, c.name);
      QVERIFY2(Png_Differences(Png_Picture(c.segments, 481, 473), Picture()) == 0, c.name);
    }
  }

  // The cube's wireframe as stl2bas render draws it, from its own reading of
  // the file, is the window's preview pixel for pixel, in both meshes.
  void pngPictureOfAMeshIsTheWindowsPreview() {
    Click_With_File("Cmd_Open", kSampleCube);
    Find<QScrollBar>("HScroll_X")->setValue(30);
    Find<QScrollBar>("HScroll_Y")->setValue(45);
    Find<QScrollBar>("HScroll_Zoom")->setValue(20);
    MeshStore store;
    store.File_Input = kSampleCube;
    QVERIFY(Read_Input(store, Input_Kind::Stl).ok);
    Set_View(store, 30, 45, 0, 20);
    Set_Drawing_Area(store, 481, 473);
    for (bool normal : {true, false}) {
      Click(normal ? "Cmd_Normal_Meshe" : "Cmd_Optimized_Meshe");
      store.Show_Normal = normal;
      std::vector<Segment> segments;
      Build_Wireframe(store, segments);
      // Every facet, or the three sides turned toward the viewer: six facets.
      QCOMPARE(segments.size(), size_t(normal ? 24 : 12));
      QVERIFY(Black_Pixels(Picture()) > 0);
      QCOMPARE(Png_Differences(Png_Picture(segments, 481, 473), Picture()), 0);
    }
  }

  // Pictures of other sizes: rows from one pixel to thousands, so white
  // runs from none to far beyond the longest repeat a deflate code carries
  // (258), across row ends and around the star's lines.
  void pngPictureOfAnySizeDecodesToTheDrawnPixels() {
    const QSize sizes[] = {{1, 1}, {256, 255}, {255, 256}, {300, 7}, {7, 300}, {1000, 300}, {8192, 1}, {1, 8192}};
    for (QSize size : sizes) {
      const int w = size.width(), h = size.height();
      auto at = [](int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); };
      // A star from the centre past every corner and side, and the corners.
      std::vector<Segment> segments;
      for (int x : {-7, w / 2, w + 6})
        for (int y : {-5, h / 2, h + 4}) segments.push_back({{at(w / 2), at(h / 2)}, {at(x), at(y)}});
      segments.push_back({{0, 0}, {0, 0}});
      segments.push_back({{at(w - 1), at(h - 1)}, {at(w - 1), at(h - 1)}});
      QImage expected(w, h, QImage::Format_RGB32);
      expected.fill(Qt::white);
      Draw_Into(expected, segments);
      const QByteArray name = QByteArray::number(w) + "x" + QByteArray::number(h);
      QVERIFY2(Black_Pixels(expected) > 0, name.constData());
      QVERIFY2(Png_Differences(Png_Picture(segments, w, h), expected) == 0, name.constData());
    }
  }

  // No picture is made for a size without pixels or beyond 8192 x 8192
  // pixels, whatever the product of the sides would overflow to.
  void pngPictureRefusesImpossibleSizes() {
    const std::vector<Segment> segments = {{{0, 0}, {10, 10}}};
    const QSize refused[] = {{0, 10},    {10, 0},         {-1, 5},       {5, -1},           {8193, 8192},
                             {8192, 8193}, {65536, 1025}, {2147483647, 2147483647}, {-65536, -65536}};
    for (QSize size : refused)
      QVERIFY2(Png_Picture(segments, size.width(), size.height()).empty(),
               (QByteArray::number(size.width()) + "x" + QByteArray::number(size.height())).constData());
    QVERIFY(!Png_Picture(segments, 65536, 1).empty());  // long, but few pixels
  }

  // The widget shows its backing picture, so an uncovered window shows the
  // same wireframe without a redraw.
  void pictureSurvivesARepaint() {
    Click_With_File("Cmd_Open", kSampleCube);
    auto* picture = Find<Picture_Box>("Picture1");
    QImage shown = picture->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown, picture->Image());
  }

  // A read that takes a while shows its stage and percentage in a modal
  // dialog, which blocks the window's buttons and is gone once the read ends.
  void progressDialogShowsWhileAReadRuns() {
    window_->show();
    window_->Set_Progress_Delay(std::chrono::milliseconds(0));
    std::string strip = Write("strip.stl", Strip_Stl(12000));
    int clicks_tried = 0;
    auto samples = Open_Watching_Progress("Cmd_Open", strip, [&](QProgressDialog*, const Progress_Sample&) {
      // A click on Open PLY File as the window system delivers it.
      if (clicks_tried++ == 0) {
        QPushButton* open_ply = Find<QPushButton>("Cmd_Open_Ply");
        QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, {},
                          open_ply->mapTo(window_.get(), open_ply->rect().center()));
      }
    });
    QVERIFY(!samples.empty());
    bool reading_seen = false;
    for (const Progress_Sample& sample : samples) {
      QVERIFY(sample.visible);
      QCOMPARE(sample.modality, Qt::ApplicationModal);
      QVERIFY(sample.active_modal);
      QVERIFY(sample.stage == "Reading facets" || sample.stage == "Merging points");
      if (sample.stage == "Reading facets") {
        reading_seen = true;
        QVERIFY2(sample.percent >= 0 && sample.percent <= 80, qPrintable(QString::number(sample.percent)));
      }
    }
    QVERIFY(reading_seen);
    QCOMPARE(files_asked_, 1);  // the click on Open PLY File did not get through
    QVERIFY(window_->findChildren<QProgressDialog*>().isEmpty());
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), QString("11999"));
    QVERIFY(Enabled("Cmd_Save"));
    QVERIFY(Black_Pixels(Picture()) > 0);
    QVERIFY(messages_.empty());
  }

  // Before the dialog appears the read already lets events through, but no
  // click, key or close reaches the window until the read is over.
  void windowTakesNoInputWhileAReadRuns() {
    window_->show();
    std::string strip = Write("strip.stl", Strip_Stl(12000));
    bool poked = false, while_reading = false;
    QTimer poke;
    poke.setInterval(0);
    QObject::connect(&poke, &QTimer::timeout, [&] {
      if (poked) return;
      poked = true;
      while_reading = Caption("Lbl_File_Input") == QString::fromStdString(strip) &&
                      Caption("Lbl_Nb_Faces_Normal") == "0" && !window_->findChild<QProgressDialog*>();
      QTest::mouseClick(Find<QPushButton>("Cmd_Open_Ply"), Qt::LeftButton);
      QTest::keyClick(Find<QScrollBar>("HScroll_X"), Qt::Key_Right);
      window_->close();
    });
    poke.start();
    Click_With_File("Cmd_Open", strip);
    poke.stop();
    QVERIFY(poked);
    QVERIFY(while_reading);
    QCOMPARE(files_asked_, 1);
    QCOMPARE(Find<QScrollBar>("HScroll_X")->value(), 0);
    QVERIFY(window_->isVisible());
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), QString("11999"));

    // Once the read is over the window takes input again.
    QTest::keyClick(Find<QScrollBar>("HScroll_X"), Qt::Key_Right);
    Handle_Events();
    QCOMPARE(Find<QScrollBar>("HScroll_X")->value(), 1);
    QCOMPARE(Caption("Lbl_Angle_X"), QString("1"));
  }

  // A read that ends within the delay never shows the dialog, not even for
  // an instant.
  void quickReadShowsNoProgressDialog() {
    Dialog_Counter counter;
    qApp->installEventFilter(&counter);
    // Long enough to report its progress once while reading.
    Click_With_File("Cmd_Open", Write("strip.stl", Strip_Stl(6000)));
    Click_With_File("Cmd_Open", kSampleCube);
    qApp->removeEventFilter(&counter);
    QCOMPARE(counter.shown, 0);
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), QString("11"));

    // The same read with no delay does show it: the counter sees it.
    window_->Set_Progress_Delay(std::chrono::milliseconds(0));
    qApp->installEventFilter(&counter);
    Click_With_File("Cmd_Open", Write("strip.stl", Strip_Stl(6000)));
    qApp->removeEventFilter(&counter);
    QCOMPARE(counter.shown, 1);
  }

  // Cancel leaves the window as it was before the open: the earlier cube
  // with its path, counts, picture and saving, and no message.
  void cancellingTheProgressDialogKeepsTheEarlierObject() {
    Click_With_File("Cmd_Open", kSampleCube);
    const QImage before = Picture();
    QVERIFY(Black_Pixels(before) > 0);
    const QString faces = Caption("Lbl_Nb_Faces_Normal");
    window_->Set_Progress_Delay(std::chrono::milliseconds(0));
    std::string strip = Write("strip.stl", Strip_Stl(12000));
    bool cancelled = false;
    auto samples = Open_Watching_Progress("Cmd_Open", strip, [&](QProgressDialog* dialog, const Progress_Sample& s) {
      if (s.stage != "Reading facets" || cancelled) return;
      cancelled = true;
      QPushButton* cancel = dialog->findChild<QPushButton*>();
      QVERIFY(cancel);
      QCOMPARE(cancel->text(), QString("Cancel"));
      QTest::mouseClick(cancel, Qt::LeftButton);
      // The dialog is gone at once; a click that follows in the window
      // before the read has stopped starts nothing.
      QTest::mouseClick(Find<QPushButton>("Cmd_Open_Ply"), Qt::LeftButton);
    });
    QVERIFY(cancelled);
    QCOMPARE(files_asked_, 2);
    QCOMPARE(samples.back().stage, QString("Reading facets"));  // the read stopped there
    QVERIFY(window_->findChildren<QProgressDialog*>().isEmpty());
    QVERIFY(messages_.empty());
    QCOMPARE(Caption("Lbl_File_Input"), QString(kSampleCube));
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), faces);
    QCOMPARE(Picture(), before);
    QVERIFY(Enabled("Cmd_Save"));

    // The bars go on turning the cube.
    Find<QScrollBar>("HScroll_X")->setValue(90);
    Handle_Events();
    QCOMPARE(Caption("Lbl_Angle_X"), QString("90"));
    QVERIFY(Picture() != before);
    QVERIFY(Black_Pixels(Picture()) > 0);
  }

  // Twenty key presses waiting for the window, as a held key leaves them,
  // move the bar twenty times and redraw once, at the last value; the
  // picture is the one that drawing every step would have left. A drag's
  // moves and clicks in the trough are merged the same way, and a redraw for
  // another reason meets a waiting view change.
  void waitingViewChangesAreDrawnOnce() {
    window_->show();
    Click_With_File("Cmd_Open", kSampleCube);
    Find<QScrollBar>("HScroll_Zoom")->setValue(20);
    Handle_Events();
    auto* picture = Find<Picture_Box>("Picture1");
    auto* bar = Find<QScrollBar>("HScroll_Y");

    // Each way of moving the bar, done `moves` times before the window gets
    // to handle its events.
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"right key", [&] { QTest::keyClick(bar, Qt::Key_Right); }},
        {"page up key", [&] { QTest::keyClick(bar, Qt::Key_PageUp); }},
        {"drag", [&] { bar->setSliderPosition(bar->sliderPosition() + 3); }},
        {"trough", [&] { bar->triggerAction(QAbstractSlider::SliderPageStepAdd); }},
    };
    for (const auto& [name, move] : ways) {
      for (int moves : {1, 2, 20}) {
        bar->setValue(0);
        Handle_Events();
        const bool drag = std::string(name) == "drag";
        if (drag) bar->setSliderDown(true);
        const int drawn = picture->Drawings();
        for (int i = 0; i < moves; ++i) move();
        QCOMPARE(picture->Drawings(), drawn);  // nothing yet: more may be waiting
        Handle_Events();
        if (drag) bar->setSliderDown(false);
        QVERIFY2(picture->Drawings() == drawn + 1, name);
        QVERIFY2(bar->value() > 0, name);
        QCOMPARE(Caption("Lbl_Angle_Y"), QString::number(bar->value()));
        const QImage merged = Picture().copy();

        // Drawing every value on the way ends in the same picture.
        const int last = bar->value();
        bar->blockSignals(true);
        for (int value = 0; value <= last; ++value) {
          bar->setValue(value);
          window_->Commands().Redraw();
        }
        bar->blockSignals(false);
        QVERIFY2(Picture() == merged, name);
      }
    }

    // A mesh button redraws at once from the bars' values; the view change
    // still waiting then has nothing left to draw.
    const int drawn = picture->Drawings();
    QTest::keyClick(bar, Qt::Key_Right);
    Click("Cmd_Optimized_Meshe");
    Handle_Events();
    QCOMPARE(picture->Drawings(), drawn + 1);
    QCOMPARE(Caption("Lbl_Angle_Y"), QString::number(bar->value()));
  }

  // Save proposes the input's name with .bas, in the input's folder, and
  // adds .bas to a name typed without an extension; a name with another
  // extension is saved as typed. What is saved opens with "Open BAS File".
  void saveProposesAndCompletesTheBasName_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension") << "spider" << "spider.bas";
    QTest::newRow("bas") << "spider.bas" << "spider.bas";
    QTest::newRow("bas in capitals") << "SPIDER.BAS" << "SPIDER.BAS";
    QTest::newRow("other extension") << "spider.txt" << "spider.txt";
    QTest::newRow("two dots") << "spider.v2.data" << "spider.v2.data";
    QTest::newRow("trailing dot") << "spider." << "spider.bas";
    QTest::newRow("hidden file") << ".spider" << ".spider.bas";
    QTest::newRow("dot in the folder only") << "v1.2/spider" << "v1.2/spider.bas";
    QTest::newRow("blank in the name") << "my spider" << "my spider.bas";
  }
  void saveProposesAndCompletesTheBasName() {
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QVERIFY(QDir(folder_.path()).mkpath("v1.2"));
    std::ifstream cube(kSampleCube, std::ios::binary);
    const std::string input =
        Write("my cube.stl", std::string(std::istreambuf_iterator<char>(cube), std::istreambuf_iterator<char>()));
    Click_With_File("Cmd_Open", input);
    QCOMPARE(proposals_.back(), std::string());  // an open proposes nothing

    const std::string typed_path = folder_.filePath(typed).toStdString();
    const std::string saved_path = folder_.filePath(saved).toStdString();
    QFile::remove(QString::fromStdString(saved_path));
    Click_With_File("Cmd_Save", typed_path);
    QCOMPARE(proposals_.back(), folder_.filePath("my cube.bas").toStdString());
    QCOMPARE(messages_.back().first, std::string("Basic File Saved"));
    QCOMPARE(Caption("Lbl_File_Output"), QString::fromStdString(saved_path));
    QVERIFY(QFileInfo::exists(QString::fromStdString(saved_path)));
    if (typed != saved) QVERIFY(!QFileInfo::exists(QString::fromStdString(typed_path)));

    // The saved mesh opens again with the BASIC command when it ends in .bas.
    Click_With_File("Cmd_Open_Bas", saved_path);
    const bool bas = saved.endsWith(".bas", Qt::CaseInsensitive);
    QCOMPARE(Enabled("Cmd_Save"), bas);
    if (bas) QCOMPARE(Caption("Lbl_Nb_Pts_Optimized"), QString("7"));
  }

  // The proposal follows the input, whichever command opened it.
  void saveProposalFollowsTheInput() {
    const std::string bas = Write("two.bas", kTwoFacesBas);
    const std::string no_dot = Write("mystl", Strip_Stl(2));
    const std::pair<const char*, std::string> opened[] = {
        {"Cmd_Open", kSampleCube}, {"Cmd_Open_Bas", bas}, {"Cmd_Open", no_dot}};
    const std::string expected[] = {QFileInfo(kSampleCube).absolutePath().toStdString() + "/cube.bas", bas,
                                    no_dot + ".bas"};
    for (size_t i = 0; i < std::size(opened); ++i) {
      Click_With_File(opened[i].first, opened[i].second);
      QVERIFY(Enabled("Cmd_Save"));
      Click_With_File("Cmd_Save", "");  // cancelled: nothing saved
      QCOMPARE(proposals_.back(), expected[i]);
      QCOMPARE(messages_.back().first, std::string("Wrong file name"));
    }
  }

  // A path label keeps the whole path as its text and tooltip and draws as
  // much of it as fits: the start of the folder, "…" and the file name.
  void pathLabelsDrawLongPathsElidedInTheMiddle() {
    window_->show();
    for (const char* name : {"Lbl_File_Input", "Lbl_File_Output"}) {
      auto* label = Find<Path_Label>(name);
      const Label which = std::string(name) == "Lbl_File_Input" ? Label::Lbl_File_Input : Label::Lbl_File_Output;
      QFontMetrics metrics(label->font());
      bool elided_seen = false, whole_seen = false;
      // Folders from none to far too many for the label, and file names up
      // to longer than the label itself.
      for (int depth = 0; depth <= 12; ++depth) {
        for (int name_length : {1, 17, 90}) {
          QString folder;
          for (int i = 0; i < depth; ++i) folder += "/folder-" + QString::number(i);
          const QString file = QString(name_length, QChar('m')) + ".stl";
          const QString path = folder + "/" + file;
          window_->Set_Caption(which, path.toStdString());
          QCOMPARE(label->text(), path);
          QCOMPARE(label->toolTip(), path);

          const QString shown = label->Shown_Text();
          QVERIFY2(metrics.horizontalAdvance(shown) < label->contentsRect().width(), qPrintable(shown));
          if (shown == path) {
            whole_seen = true;
            continue;
          }
          elided_seen = true;
          const qsizetype cut = shown.indexOf(QChar(0x2026));
          QVERIFY2(cut >= 0, qPrintable(shown));
          QCOMPARE(shown.left(cut), path.left(cut));  // the path's own start
          const QString rest = shown.mid(cut + 1);
          QVERIFY2(path.endsWith(rest), qPrintable(shown));  // and its own end
          // The file name is kept whole whenever "…/" and it fit.
          if (metrics.horizontalAdvance(QChar(0x2026) + ("/" + file)) < label->contentsRect().width() - 8)
            QCOMPARE(rest, "/" + file);

          // Drawn as a plain label holding the shown text would be.
          QLabel plain(shown, label->parentWidget());
          plain.setGeometry(label->geometry());
          plain.setFont(label->font());
          plain.setFrameStyle(label->frameStyle());
          plain.setLineWidth(label->lineWidth());
          plain.setAlignment(label->alignment());
          QCOMPARE(label->grab().toImage(), plain.grab().toImage());
        }
      }
      QVERIFY(whole_seen);
      QVERIFY(elided_seen);
      window_->Set_Caption(which, "");
      QCOMPARE(label->toolTip(), QString());
    }

    // Through the open command, from a folder too deep to show.
    QString deep = folder_.path();
    for (int i = 0; i < 6; ++i) deep += "/meshes-from-the-shared-corpus-" + QString::number(i);
    QVERIFY(QDir().mkpath(deep));
    const std::string cube = (deep + "/cube.stl").toStdString();
    QVERIFY(QFile::copy(kSampleCube, QString::fromStdString(cube)));
    Click_With_File("Cmd_Open", cube);
    auto* input = Find<Path_Label>("Lbl_File_Input");
    QCOMPARE(input->text(), QString::fromStdString(cube));
    QCOMPARE(input->toolTip(), QString::fromStdString(cube));
    QVERIFY(input->Shown_Text().endsWith(QString(QChar(0x2026)) + "/cube.stl"));
  }

  // Keyboard users see which scroll bar has the focus; without it a bar
  // looks as the style draws it.
  void focusedScrollBarLooksDifferent() {
    window_->show();
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    for (const char* name : {"HScroll_X", "HScroll_Y", "HScroll_Z", "HScroll_Zoom"}) {
      auto* bar = Find<QScrollBar>(name);
      Find<QPushButton>("Cmd_Open")->setFocus();
      const QImage unfocused = bar->grab().toImage();
      QScrollBar plain(Qt::Horizontal, bar->parentWidget());
      plain.setRange(bar->minimum(), bar->maximum());
      plain.setPageStep(bar->pageStep());
      plain.setValue(bar->value());
      plain.setGeometry(bar->geometry());
      QCOMPARE(unfocused, plain.grab().toImage());

      bar->setFocus();
      QVERIFY(bar->hasFocus());
      const QImage focused = bar->grab().toImage();
      QVERIFY2(focused != unfocused, name);
      int differing = 0;
      for (int y = 0; y < focused.height(); ++y)
        for (int x = 0; x < focused.width(); ++x) differing += focused.pixel(x, y) != unfocused.pixel(x, y);
      // A frame round the bar at least.
      QVERIFY2(differing >= focused.width(), name);
    }
  }

  void dialogFilters_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("filter");
    QTest::newRow("stl") << "STL (*.stl)|*.stl" << "STL (*.stl)";
    QTest::newRow("ply") << "PLY (*.ply)|*.ply" << "PLY (*.ply)";
    QTest::newRow("bas") << "BAS (*.bas)|*.bas" << "BAS (*.bas)";
    QTest::newRow("bare description") << "Meshes|*.stl" << "Meshes (*.stl)";
    QTest::newRow("no bar") << "All (*)" << "All (*)";
  }
  void dialogFilters() {
    QFETCH(QString, text);
    QFETCH(QString, filter);
    QCOMPARE(Dialog_Filter(text.toStdString()), filter);
  }

  // The save dialog's suffix comes from a pattern of one extension only.
  void dialogSuffixes() {
    QCOMPARE(Dialog_Suffix("BAS (*.bas)|*.bas"), QString("bas"));
    QCOMPARE(Dialog_Suffix("STL (*.stl)|*.stl"), QString("stl"));
    for (const char* none : {"All (*)|*", "Two|*.stl;*.ply", "No bar (*.bas)", "Any|*.*", "Name|cube.*", "Empty|"})
      QVERIFY2(Dialog_Suffix(none).isEmpty(), none);
  }
};

QTEST_MAIN(Window_Test)
#include "window_test.moc"
