// The real window, headless: the form's layout, texts and settings, the tab
// order, and what the commands leave in the controls when they run through
// clicks, keys and scroll bars.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "import/read_input.h"
#include "preview/png_picture.h"
#include "preview/draw_lines.h"
#include "preview/wireframe.h"
#include "ui/dialog_filter.h"
#include "ui/main_window.h"
#include "ui/path_label.h"
#include "window_fixture.h"

namespace {

const char* const kSampleCube = KORVANE_SAMPLES "/cube.stl";

// One triangle seen from the front, a second seen from the back.
const char* const kTwoFacesBas =
    "10'Number of Faces and Number of Points\r\n11 data 1,2\r\n12'Points from the 3D Object\r\n"
    "13 data 0.0,0.0,0.0,0.0,5.0,0.0,5.0,0.0,0.0\r\n14'Faces from the 3D Object\r\n15 data 0,1,2,0,2,1\r\n";

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

class Window_Test : public QObject, Window_Fixture {
  Q_OBJECT

 private:
  QRect Place(const QString& name) { return Find(name)->geometry(); }

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
  void init() { Start_Window(); }
  void cleanup() { window_.reset(); }

  // The form on its grid: a fixed tool window with a close button only,
  // whose three frames leave even margins and gaps; every control inside its
  // frame below the caption, none covering another's contents; rows share
  // their top, columns their left edge and width, rows and the open buttons
  // evenly spaced; labels, buttons and bars one row high; the first column
  // and the full-width controls keep the frames' own margin.
  void formIsLaidOutOnItsGrid() {
    const Qt::WindowFlags flags = window_->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(window_->minimumSize(), window_->size());
    QCOMPARE(window_->maximumSize(), window_->size());

    const QRect f1 = Place("Frame1"), f2 = Place("Frame2"), f3 = Place("Frame3");
    const int margin = f1.left(), gap = f3.top() - f1.bottom() - 1;
    QVERIFY(margin > 0 && gap > 0);
    QCOMPARE(f1.top(), margin);
    QCOMPARE(f2.top(), margin);
    QCOMPARE(f3.left(), margin);
    QCOMPARE(f3.width(), f1.width());
    QCOMPARE(f2.left() - f1.right() - 1, gap);
    QCOMPARE(f2.bottom(), f3.bottom());
    const int right = window_->width() - f2.right() - 1;
    QCOMPARE(window_->height() - f2.bottom() - 1, right);
    QVERIFY(right > 0 && right <= margin);

    // What a control covers of its frame: a bordered label's border may lie
    // on its neighbour's edge, its text never.
    auto contents = [](QWidget* control) {
      auto* frame = qobject_cast<QFrame*>(control);
      return frame ? frame->contentsRect().translated(frame->pos()) : control->geometry();
    };
    for (QGroupBox* frame : window_->findChildren<QGroupBox*>()) {
      const QWidgetList controls = frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
      QVERIFY(!controls.isEmpty());
      for (QWidget* a : controls) {
        QVERIFY2(frame->contentsRect().contains(a->geometry()), qPrintable(a->objectName()));
        for (QWidget* b : controls)
          QVERIFY2(a == b || !contents(a).intersects(contents(b)), qPrintable(a->objectName() + " " + b->objectName()));
      }
    }
    for (QWidget* control : window_->findChildren<QWidget*>())
      if (qobject_cast<QLabel*>(control) || qobject_cast<QPushButton*>(control) || qobject_cast<QScrollBar*>(control))
        QVERIFY2(control->height() == Place("Cmd_Open").height(), qPrintable(control->objectName()));

    auto all = [this](const QStringList& names, auto part) {
      for (const QString& name : names)
        if (part(Place(name)) != part(Place(names[0]))) return false;
      return true;
    };
    auto top = [](QRect r) { return r.top(); };
    auto left_and_width = [](QRect r) { return std::pair(r.left(), r.width()); };
    auto size = [](QRect r) { return r.size(); };
    const QStringList rows[] = {{"Cmd_Open", "Cmd_Open_Ply", "Cmd_Open_Bas"}, {"Label1", "Lbl_Nb_Pts_Normal"},
                                {"Label2", "Lbl_Nb_Faces_Normal"},         {"Label3", "Lbl_Nb_Pts_Optimized"},
                                {"Label4", "Txt_Basic_Start"},             {"Label5", "Txt_Basic_Line_Step"},
                                {"Label6", "Lbl_Angle_X"},                 {"Label7", "Lbl_Angle_Y"},
                                {"Label8", "Lbl_Angle_Z"},                 {"Label9", "Lbl_Zoom"},
                                {"Cmd_Normal_Meshe", "Cmd_Optimized_Meshe"}};
    for (const QStringList& row : rows) QVERIFY2(all(row, top), qPrintable(row.join(" ")));
    const QStringList columns[] = {
        {"Label1", "Label2", "Label3", "Label4", "Label5"},
        {"Lbl_Nb_Pts_Normal", "Lbl_Nb_Faces_Normal", "Lbl_Nb_Pts_Optimized", "Txt_Basic_Start", "Txt_Basic_Line_Step"},
        {"Label6", "Label7", "Label8", "Label9"},
        {"Lbl_Angle_X", "Lbl_Angle_Y", "Lbl_Angle_Z", "Lbl_Zoom"}};
    for (const QStringList& column : columns) QVERIFY2(all(column, left_and_width), qPrintable(column.join(" ")));
    const QStringList sizes[] = {{"Cmd_Open", "Cmd_Open_Ply", "Cmd_Open_Bas", "Cmd_Save"},
                                 {"Cmd_Normal_Meshe", "Cmd_Optimized_Meshe"},
                                 {"Txt_Basic_Start", "Txt_Basic_Line_Step"}};
    for (const QStringList& same : sizes) QVERIFY2(all(same, size), qPrintable(same.join(" ")));

    // The first column starts as far inside its frame as the frames inside
    // the window; the full-width controls end as far from the frame's edge.
    for (const char* name : {"Cmd_Open", "Lbl_File_Input", "Label1", "Label2", "Label3", "Line1", "Label4", "Label5",
                             "Cmd_Save", "Lbl_File_Output", "Picture1", "HScroll_X", "HScroll_Y", "HScroll_Z",
                             "HScroll_Zoom", "Cmd_Normal_Meshe"})
      QVERIFY2(Place(name).left() == margin, name);
    for (const char* name : {"Lbl_File_Input", "Line1", "Lbl_File_Output", "HScroll_X", "HScroll_Y", "HScroll_Z",
                             "HScroll_Zoom", "Cmd_Optimized_Meshe"})
      QVERIFY2(Find(name)->parentWidget()->width() - Place(name).right() - 1 == margin, name);

    // Evenly spaced, by the top of each row or the left of each button.
    auto pitch = [this](const QStringList& names, auto part) {
      const int step = part(Place(names[1])) - part(Place(names[0]));
      for (qsizetype i = 1; i < names.size(); ++i)
        if (part(Place(names[i])) - part(Place(names[i - 1])) != step) return -1;
      return step;
    };
    auto left = [](QRect r) { return r.left(); };
    QVERIFY(pitch({"Cmd_Open", "Cmd_Open_Ply", "Cmd_Open_Bas"}, left) > 0);
    const int row_pitch = pitch({"Cmd_Open", "Lbl_File_Input", "Label1", "Label2", "Label3"}, top);
    QVERIFY(row_pitch > 0);
    QCOMPARE(pitch({"Label4", "Label5", "Cmd_Save", "Lbl_File_Output"}, top), row_pitch);
    QCOMPARE(pitch({"Cmd_Normal_Meshe", "Lbl_Meshe"}, top), row_pitch);
    QVERIFY(pitch({"HScroll_X", "HScroll_Y", "HScroll_Z", "HScroll_Zoom"}, top) > 0);

    // Line1 parts the counts from the numbering; the mesh's name is centred
    // under its two buttons; the picture keeps one margin right and below.
    QVERIFY(Place("Label3").bottom() < Place("Line1").top() && Place("Line1").bottom() < Place("Label4").top());
    QCOMPARE(Place("Lbl_Meshe").left() + Place("Lbl_Meshe").right(), f3.width() - 1);
    QCOMPARE(f2.width() - Place("Picture1").right(), f2.height() - Place("Picture1").bottom());
  }

  // The window's own texts as it starts, every control's; labels bordered,
  // only the two paths left-aligned; no access keys; every caption fits its
  // control; only "Save Basic File" disabled.
  void controlsStartWithTheirTexts() {
    QCOMPARE(window_->windowTitle(), QString("STL Converter for Korvane 3D"));
    const std::pair<const char*, const char*> texts[] = {
        {"Frame1", "File Convertion"},          {"Frame2", "3D Preview"},
        {"Frame3", "3D Control"},               {"Cmd_Open", "Open STL File"},
        {"Cmd_Open_Ply", "Open PLY File"},      {"Cmd_Open_Bas", "Open BAS File"},
        {"Cmd_Save", "Save Basic File"},        {"Cmd_Normal_Meshe", "Normal Meshe"},
        {"Cmd_Optimized_Meshe", "Optimized Meshe"}, {"Label1", "Number of Points"},
        {"Label2", "Number of Faces"},          {"Label3", "Number of Points Optimized"},
        {"Label4", "Basic Line Start"},         {"Label5", "Basic Line Step"},
        {"Label6", "Rotate on X Axis"},         {"Label7", "Rotate on Y Axis"},
        {"Label8", "Rotate on Z Axis"},         {"Label9", "Zoom"},
        {"Lbl_Meshe", "Normal Meshe"},          {"Txt_Basic_Start", "10"},
        {"Txt_Basic_Line_Step", "1"},           {"Lbl_File_Input", ""},
        {"Lbl_File_Output", ""},                {"Lbl_Nb_Pts_Normal", "0"},
        {"Lbl_Nb_Faces_Normal", "0"},           {"Lbl_Nb_Pts_Optimized", "0"},
        {"Lbl_Angle_X", "0"},                   {"Lbl_Angle_Y", "0"},
        {"Lbl_Angle_Z", "0"},                   {"Lbl_Zoom", "0"}};  // until the first redraw, although the zoom is 1
    qsizetype shown = 0;
    for (QWidget* control : window_->findChildren<QWidget*>()) {
      QString text;
      if (auto* label = qobject_cast<QLabel*>(control)) {
        text = label->text();
        const bool path = label->objectName().startsWith("Lbl_File_");
        QCOMPARE(int(label->alignment()), int(path ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter));
        QCOMPARE(label->frameShape(), QFrame::Box);
        QCOMPARE(label->frameShadow(), QFrame::Plain);
        QCOMPARE(label->lineWidth(), 1);
        QFontMetrics metrics(label->font());
        QVERIFY2(metrics.horizontalAdvance(text) <= label->contentsRect().width(), qPrintable(text));
        QVERIFY2(metrics.height() <= label->contentsRect().height(), qPrintable(text));
      } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
        text = box->text();
        QCOMPARE(int(box->alignment()), int(Qt::AlignCenter));
        QVERIFY(box->maxLength() > 32767);
      } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        text = button->text();
        QVERIFY2(QFontMetrics(button->font()).horizontalAdvance(text) + 8 <= button->width(), qPrintable(text));
        QCOMPARE(button->isEnabled(), button->objectName() != "Cmd_Save");
      } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
        text = frame->title();
      } else {
        continue;
      }
      ++shown;
      QVERIFY(!text.contains('&'));
      const auto* entry = std::find_if(std::begin(texts), std::end(texts),
                                       [&](const auto& entry) { return control->objectName() == entry.first; });
      QVERIFY2(entry != std::end(texts), qPrintable(control->objectName()));
      QCOMPARE(text, QString(entry->second));
    }
    QCOMPARE(shown, qsizetype(std::size(texts)));
    // Line1, a black rule across the file frame whatever the system's colours.
    const QPalette system = QApplication::palette();
    QPalette red = system;
    red.setColor(QPalette::WindowText, Qt::red);
    QApplication::setPalette(red);
    Main_Window themed;
    auto* line = themed.findChild<QFrame*>("Line1");
    QVERIFY(line);
    QCOMPARE(line->frameShape(), QFrame::HLine);
    QCOMPARE(line->palette().color(QPalette::WindowText), QColor(Qt::black));
    QApplication::setPalette(system);
  }

  void closingTheWindowEndsTheProgram() {
    window_->show();
    QTimer::singleShot(0, window_.get(), [this] { window_->close(); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });  // not ended: fail, do not hang
    QCOMPARE(QApplication::exec(), 0);
  }

  // The drawing area the preview is computed for, white until drawn on. The
  // widget shows its backing picture, so an uncovered window shows the same
  // wireframe without a redraw.
  void pictureStartsBlankWhiteAndSurvivesARepaint() {
    QCOMPARE(window_->Drawing_Width(), 481);
    QCOMPARE(window_->Drawing_Height(), 473);
    QCOMPARE(Picture().size(), QSize(481, 473));
    QCOMPARE(Picture().pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(Black_Pixels(Picture()), 0);
    Click_With_File("Cmd_Open", kSampleCube);
    auto* picture = Find<Picture_Box>("Picture1");
    QCOMPARE(picture->grab().toImage().convertToFormat(QImage::Format_RGB32), picture->Image());
  }

  // Whole degrees 0..359 about each axis and a zoom of 1..20, each bar at
  // its minimum to start with; an arrow moves it by 1 (the right arrow key
  // up), a click in the trough by 10.
  void scrollBarsCoverTheirRanges() {
    const std::tuple<const char*, int, int> bars[] = {
        {"HScroll_X", 0, 359}, {"HScroll_Y", 0, 359}, {"HScroll_Z", 0, 359}, {"HScroll_Zoom", 1, 20}};
    for (const auto& [name, minimum, maximum] : bars) {
      auto* bar = Find<QScrollBar>(name);
      QCOMPARE(bar->orientation(), Qt::Horizontal);
      QCOMPARE(QList<int>({bar->minimum(), bar->maximum(), bar->value(), bar->singleStep(), bar->pageStep()}),
               QList<int>({minimum, maximum, minimum, 1, 10}));
      QTest::keyClick(bar, Qt::Key_Right);
      QCOMPARE(bar->value(), minimum + 1);
    }
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

  // Clicks in turn, each followed by what the window shows: the input's
  // path, the counts (a BASIC data file's points are its only points), the
  // mesh named, and whether the normal mesh and saving are offered. A
  // cancelled dialog or a name of another kind keeps the object and its
  // picture, which the bars still turn, but leaves saving off.
  void clicksSetPathCountsAndButtons() {
    const std::string cube = kSampleCube, bas = Write("two.bas", kTwoFacesBas),
                      data = KORVANE_TEST_DATA "/";
    struct Step {
      const char* button;
      std::string file;  // the dialog's answer
      std::string input;
      QString counts;  // faces, points, optimized points
      const char* mesh;
      bool normal, save;
    };
    const Step steps[] = {
        {"Cmd_Open", cube, cube, "11 35 7", "Normal Meshe", true, true},
        {"Cmd_Optimized_Meshe", "", cube, "11 35 7", "Optimized Meshe", true, true},
        {"Cmd_Open_Bas", bas, bas, "1 2 2", "Optimized Meshe", false, true},
        {"Cmd_Open", data + "unit_cube-solid-header.stl", data + "unit_cube-solid-header.stl", "11 35 7",
         "Normal Meshe", true, true},
        {"Cmd_Open_Ply", data + "cube_binary.ply", data + "cube_binary.ply", "11 7 7", "Normal Meshe", true, true},
        {"Cmd_Open_Bas", bas, bas, "1 2 2", "Optimized Meshe", false, true},
        {"Cmd_Open_Ply", data + "platonic_shelf_big_endian.ply", data + "platonic_shelf_big_endian.ply", "79 49 49",
         "Normal Meshe", true, true},
        {"Cmd_Open_Ply", data + "suzanne-quads-tris.ply", data + "suzanne-quads-tris.ply", "967 1965 504",
         "Normal Meshe", true, true},
        {"Cmd_Open", cube, cube, "11 35 7", "Normal Meshe", true, true},
        {"Cmd_Open_Ply", "", cube, "11 35 7", "Normal Meshe", true, false},
        {"Cmd_Open_Bas", cube, cube, "11 35 7", "Normal Meshe", true, false},
        {"Cmd_Open", cube, cube, "11 35 7", "Normal Meshe", true, true},
    };
    for (const Step& step : steps) {
      const QImage before = Picture().copy();
      if (QString(step.button).startsWith("Cmd_Open")) answers_.push_back(step.file);
      Click(step.button);
      QCOMPARE(Caption("Lbl_File_Input"), QString::fromStdString(step.input));
      QCOMPARE(Caption("Lbl_Nb_Faces_Normal") + " " + Caption("Lbl_Nb_Pts_Normal") + " " +
                   Caption("Lbl_Nb_Pts_Optimized"),
               step.counts);
      QCOMPARE(Caption("Lbl_Meshe"), QString(step.mesh));
      QCOMPARE(Enabled("Cmd_Normal_Meshe"), step.normal);
      QCOMPARE(Enabled("Cmd_Save"), step.save);
      QVERIFY(Enabled("Cmd_Optimized_Meshe"));
      QVERIFY(Black_Pixels(Picture()) > 0);
      QVERIFY(messages_.empty());
      if (step.save) continue;
      QCOMPARE(Picture(), before);
      auto* bar = Find<QScrollBar>("HScroll_X");
      bar->setValue(bar->value() + 30);
      Handle_Events();
      QCOMPARE(Caption("Lbl_Angle_X"), QString::number(bar->value()));
      QVERIFY(Picture() != before);
    }
  }

  void scrollBarsRedrawAndShowTheirValues() {
    // Before a load the bars and the mesh buttons draw nothing.
    Find<QScrollBar>("HScroll_X")->setValue(10);
    Handle_Events();
    Click("Cmd_Optimized_Meshe");
    QCOMPARE(Caption("Lbl_Angle_X"), QString("0"));
    QCOMPARE(Caption("Lbl_Meshe"), QString("Optimized Meshe"));
    QCOMPARE(Black_Pixels(Picture()), 0);

    // Once loaded, each bar redraws and shows its value in its own label.
    Click_With_File("Cmd_Open", kSampleCube);
    const std::tuple<const char*, const char*, int> bars[] = {
        {"HScroll_X", "Lbl_Angle_X", 45}, {"HScroll_Y", "Lbl_Angle_Y", 10}, {"HScroll_Z", "Lbl_Angle_Z", 300},
        {"HScroll_Zoom", "Lbl_Zoom", 5}};
    for (const auto& [bar, label, value] : bars) {
      const QImage before = Picture().copy();
      Find<QScrollBar>(bar)->setValue(value);
      Handle_Events();
      QCOMPARE(Caption(label), QString::number(value));
      QVERIFY2(Picture() != before, bar);
    }
  }

  // Save proposes the input's name with .bas in the input's folder (an open
  // proposes nothing), adds .bas to a name typed without an extension and
  // keeps any other, and numbers the file from the two text boxes; saving
  // through a link keeps the link. What is saved as .bas opens again with
  // "Open BAS File". A cancelled save says so and changes nothing.
  void saveProposesCompletesAndNumbersTheFile_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QDir(folder_.path()).mkpath("v1.2");
    const std::string cube = Read_Whole(kSampleCube);
    Write("my cube.stl", cube);
    Write("mystl", cube);
    Write("two.bas", kTwoFacesBas);
    Write("real.bas", "old");
    QFile::link("real.bas", QString::fromStdString(Path("link.bas")));
    auto row = [](const char* name, const char* button, const char* input, const char* proposed, const char* typed,
                  const char* saved) { QTest::newRow(name) << button << input << proposed << typed << saved; };
    row("no extension", "Cmd_Open", "my cube.stl", "my cube.bas", "spider", "spider.bas");
    row("bas", "Cmd_Open", "my cube.stl", "my cube.bas", "spider.bas", "spider.bas");
    row("bas in capitals", "Cmd_Open_Bas", "two.bas", "two.bas", "SPIDER.BAS", "SPIDER.BAS");
    row("other extension", "Cmd_Open", "mystl", "mystl.bas", "spider.txt", "spider.txt");
    row("two dots", "Cmd_Open", "my cube.stl", "my cube.bas", "spider.v2.data", "spider.v2.data");
    row("trailing dot", "Cmd_Open_Bas", "two.bas", "two.bas", "spider.", "spider.bas");
    row("hidden file", "Cmd_Open", "my cube.stl", "my cube.bas", ".spider", ".spider.bas");
    row("dot in the folder only", "Cmd_Open", "mystl", "mystl.bas", "v1.2/spider", "v1.2/spider.bas");
    row("blank in the name", "Cmd_Open", "my cube.stl", "my cube.bas", "my spider", "my spider.bas");
    row("through a link", "Cmd_Open", "my cube.stl", "my cube.bas", "link.bas", "link.bas");
  }
  void saveProposesCompletesAndNumbersTheFile() {
    QFETCH(QString, button);
    QFETCH(QString, input);
    QFETCH(QString, proposed);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    Click_With_File(button, Path(input));
    QCOMPARE(proposals_.back(), std::string());
    const QString faces = Caption("Lbl_Nb_Faces_Normal"), points = Caption("Lbl_Nb_Pts_Optimized");
    Find<QLineEdit>("Txt_Basic_Start")->setText("100");
    Find<QLineEdit>("Txt_Basic_Line_Step")->setText("5");
    const bool link = QFileInfo(QString::fromStdString(Path(saved))).isSymLink();
    if (!link) QFile::remove(QString::fromStdString(Path(saved)));
    Click_With_File("Cmd_Save", Path(typed));
    QCOMPARE(proposals_.back(), Path(proposed));
    QCOMPARE(messages_.back(), (std::pair<std::string, std::string>{"Basic File Saved", "Saving OK"}));
    QCOMPARE(Caption("Lbl_File_Output"), QString::fromStdString(Path(saved)));
    const std::string head = "100'Number of Faces and Number of Points\r\n105 data " + faces.toStdString() + "," +
                             points.toStdString() + "\r\n";
    QCOMPARE(Read_Whole(Path(saved)).substr(0, head.size()), head);
    if (typed != saved) QVERIFY(!QFileInfo::exists(QString::fromStdString(Path(typed))));
    QCOMPARE(QFileInfo(QString::fromStdString(Path(saved))).isSymLink(), link);

    Click_With_File("Cmd_Save", "");
    QCOMPARE(messages_.back(), (std::pair<std::string, std::string>{"Wrong file name", "E.R.R.O.R"}));
    QCOMPARE(Caption("Lbl_File_Output"), QString::fromStdString(Path(saved)));
    QVERIFY(Enabled("Cmd_Save"));

    Click_With_File("Cmd_Open_Bas", Path(saved));
    const bool bas = saved.endsWith(".bas", Qt::CaseInsensitive);
    QCOMPARE(Enabled("Cmd_Save"), bas);
    if (bas) QCOMPARE(Caption("Lbl_Nb_Pts_Optimized"), points);
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

  // Lines of one pixel, both ends included, clipped to the picture, drawn
  // into the window's picture and gone when it is cleared.
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
    auto at = [](int v) { return static_cast<int16_t>(v); };
    Segment segment{{at(line.x1()), at(line.y1())}, {at(line.x2()), at(line.y2())}};
    window_->Clear_Picture();
    window_->Draw_Segments({&segment, 1});
    const QImage picture = Picture().copy();
    window_->Clear_Picture();
    QCOMPARE(Black_Pixels(Picture()), 0);
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

  // stl2bas render's PNG pictures decode to exactly the pixels drawn, at
  // any size: rows from one pixel to thousands, so that white runs go from
  // none to far beyond the longest repeat a deflate code carries (258),
  // across row ends and around the star's lines.
  void pngPictureDecodesToTheDrawnPixels() {
    const QSize sizes[] = {{1, 1}, {256, 255}, {255, 256}, {300, 7}, {7, 300}, {1000, 300}, {8192, 1}, {1, 8192}};
    for (QSize size : sizes) {
      const int w = size.width(), h = size.height();
      auto at = [](int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); };
      // A star from the centre past every corner and side, the corners, and
      // a line from far to far.
      std::vector<Segment> segments;
      for (int x : {-7, w / 2, w + 6})
        for (int y : {-5, h / 2, h + 4}) segments.push_back({{at(w / 2), at(h / 2)}, {at(x), at(y)}});
      segments.push_back({{0, 0}, {0, 0}});
      segments.push_back({{at(w - 1), at(h - 1)}, {at(w - 1), at(h - 1)}});
      segments.push_back({{-32768, -32768}, {32767, 32767}});
      QImage expected(w, h, QImage::Format_RGB32);
      expected.fill(Qt::white);
      Draw_Into(expected, segments);
      const QByteArray name = QByteArray::number(w) + "x" + QByteArray::number(h);
      QVERIFY2(Black_Pixels(expected) > 0, name.constData());
      QVERIFY2(Png_Differences(Png_Picture(segments, w, h), expected) == 0, name.constData());
    }
    QImage white(5, 3, QImage::Format_RGB32);  // no segment: a white picture
    white.fill(Qt::white);
    QCOMPARE(Png_Differences(Png_Picture({}, 5, 3), white), 0);
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

  // A read that takes a while shows its stage and percentage in a modal
  // dialog, which blocks the window's buttons and is gone once the read ends.
  // Cancel leaves the window as it was before the open: the earlier object
  // with its path, counts, picture and saving, and no message.
  void progressDialogShowsTheReadAndCancelsIt() {
    window_->show();
    window_->Set_Progress_Delay(std::chrono::milliseconds(0));
    const std::string strip = Write("strip.stl", Strip_Stl(12000));
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
    QVERIFY(messages_.empty());

    const QImage before = Picture().copy();
    QVERIFY(Black_Pixels(before) > 0);
    bool cancelled = false;
    samples = Open_Watching_Progress("Cmd_Open", Write("other.stl", Strip_Stl(12000)),
                                     [&](QProgressDialog* dialog, const Progress_Sample& s) {
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
    QCOMPARE(Caption("Lbl_File_Input"), QString::fromStdString(strip));
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), QString("11999"));
    QCOMPARE(Picture(), before);
    QVERIFY(Enabled("Cmd_Save"));
    Find<QScrollBar>("HScroll_X")->setValue(90);  // the bars go on turning it
    Handle_Events();
    QCOMPARE(Caption("Lbl_Angle_X"), QString("90"));
    QVERIFY(Picture() != before);
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

  // The file dialog's filter entry and the save dialog's suffix, from the
  // commands' filter texts; a suffix only from a pattern of one extension.
  void dialogFiltersAndSuffixes() {
    const std::pair<const char*, const char*> filters[] = {
        {"STL (*.stl)|*.stl", "STL (*.stl)"}, {"Meshes|*.stl", "Meshes (*.stl)"}, {"All (*)", "All (*)"}};
    for (const auto& [text, filter] : filters) QCOMPARE(Dialog_Filter(text), QString(filter));
    QCOMPARE(Dialog_Suffix("BAS (*.bas)|*.bas"), QString("bas"));
    for (const char* none : {"All (*)|*", "Two|*.stl;*.ply", "No bar (*.bas)", "Any|*.*", "Name|cube.*", "Empty|"})
      QVERIFY2(Dialog_Suffix(none).isEmpty(), none);
  }
};

QTEST_MAIN(Window_Test)
#include "window_test.moc"
