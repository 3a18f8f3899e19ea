// The dialog "Fit for the Korvane 3D" in the real window, headless: when it
// appears (after opening a model that does not serve the target, at a save
// that would not serve it, from the preview's context menu, and never for a
// model that serves or a BASIC data file), what "Fit" and "Keep as read"
// leave in the window and in the saved file, and its preview following the
// fields.
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "export/write_bas.h"
#include "import/read_input.h"
#include "preview/draw_lines.h"
#include "scripted_dialogs.h"
#include "shape/fit_to_size.h"
#include "shape/tidy_mesh.h"
#include "ui/fit_dialog.h"
#include "ui/main_window.h"
#include "ui/picture_box.h"

namespace {

const char* const kSampleCube = KORVANE_SAMPLES "/cube.stl";

// A closed torus of 2 x 40 x 30 faces around the Z axis, radii 0.8 and 0.3
// times `scale`, as ASCII PLY.
std::string Torus_Ply(double scale) {
  const int rings = 40, segments = 30;
  const double two_pi = 6.283185307179586;
  std::ostringstream out;
  out << "ply\nformat ascii 1.0\nelement vertex " << rings * segments
      << "\nproperty float x\nproperty float y\nproperty float z\nelement face " << 2 * rings * segments
      << "\nproperty list uchar int vertex_indices\nend_header\n";
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < segments; ++s) {
      const double u = two_pi * r / rings, v = two_pi * s / segments, radius = 0.8 + 0.3 * std::cos(v);
      out << scale * radius * std::cos(u) << " " << scale * radius * std::sin(u) << " " << scale * 0.3 * std::sin(v)
          << "\n";
    }
  auto at = [&](int r, int s) { return (r % rings) * segments + s % segments; };
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < segments; ++s) {
      out << "3 " << at(r, s) << " " << at(r + 1, s) << " " << at(r + 1, s + 1) << "\n";
      out << "3 " << at(r, s) << " " << at(r + 1, s + 1) << " " << at(r, s + 1) << "\n";
    }
  return out.str();
}

std::string Read_File(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A saved BASIC data file, read back.
struct Saved {
  MeshStore store;
  std::span<const Point3> points() const { return {store.Pts_Optimized.data(), size_t(store.Nb_Pts_Optimized + 1)}; }
  std::span<const Face3> faces() const { return {store.Faces_Optimized.data(), size_t(store.Nb_Faces + 1)}; }
};

bool Read_Saved(const std::string& path, Saved& saved) {
  saved.store.File_Input = path;
  return Read_Input(saved.store, Input_Kind::Bas).ok && saved.store.Object_Loaded;
}

int Number(const QLabel* label) { return label->text().toInt(); }

}  // namespace

class Fit_Dialog_Test : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Main_Window> window_;
  std::deque<std::string> answers_;
  Recorded_Messages messages_;
  QTemporaryDir folder_;
  QTimer watch_;
  // What the next dialog is to do; without it the dialog is kept as read.
  std::function<void(Fit_Dialog&)> on_dialog_;
  QPointer<Fit_Dialog> handled_;
  int dialogs_ = 0;

  template <typename T>
  static T* Find(QObject* parent, const char* name) {
    T* widget = parent->findChild<T*>(name);
    if (!widget) qFatal("no control %s", name);
    return widget;
  }
  QString Caption(const char* name) { return Find<QLabel>(window_.get(), name)->text(); }
  bool Enabled(const char* name) { return Find<QPushButton>(window_.get(), name)->isEnabled(); }
  void Click_With_File(const char* name, const std::string& path) {
    answers_.push_back(path);
    QTest::mouseClick(Find<QPushButton>(window_.get(), name), Qt::LeftButton);
  }
  std::string Write(const char* name, const std::string& text) {
    const std::string path = folder_.filePath(name).toStdString();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string Path(const char* name) { return folder_.filePath(name).toStdString(); }

  // The dialog is modal: a timer meets it inside its own event loop.
  void Look_For_Dialog() {
    auto* dialog = dynamic_cast<Fit_Dialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog == handled_) return;
    handled_ = dialog;
    ++dialogs_;
    auto act = std::move(on_dialog_);
    on_dialog_ = nullptr;
    if (act) act(*dialog);
    if (handled_ && handled_->isVisible()) handled_->reject();  // a failed check must not hold the test
  }

  // Waits until the fitted figures show the fields' choice.
  static bool Shaped(Fit_Dialog& dialog) {
    auto* faces = Find<QLabel>(&dialog, "Lbl_Fit_0_Fitted");
    return QTest::qWaitFor([&] { return faces->isEnabled() && !faces->text().isEmpty(); }, 20000);
  }

  static void Choose_Up(Fit_Dialog& dialog, const char* axis) {
    auto* up = Find<QComboBox>(&dialog, "Cmb_Fit_Up");
    up->setCurrentIndex(up->findText(axis));
  }

 private slots:
  void initTestCase() { connect(&watch_, &QTimer::timeout, this, [this] { Look_For_Dialog(); }); }
  void init() {
    answers_.clear();
    messages_.clear();
    dialogs_ = 0;
    on_dialog_ = nullptr;
    window_ = std::make_unique<Main_Window>();
    Script_Dialogs(*window_, answers_, messages_);
    window_->Set_Fit_Chooser(nullptr);  // the real dialog
    watch_.start(5);
  }
  void cleanup() {
    watch_.stop();
    window_.reset();
  }

  // A model a sixth of a unit across loses its faces at one decimal and is
  // a blob in the preview: the dialog appears as it opens, and "Fit" makes
  // the file stl2bas makes with the same options.
  void openingASmallModelOffersFitAndFitSavesWhatStl2basSaves() {
    const std::string tiny = Write("tiny.ply", Torus_Ply(0.1));
    int proposed = 0;
    QImage preview;
    on_dialog_ = [&](Fit_Dialog& dialog) {
      QCOMPARE(dialog.windowTitle(), QString("Fit for the Korvane 3D"));
      QVERIFY(dialog.isModal());
      QVERIFY(Find<QLabel>(&dialog, "Lbl_Fit_Reasons")->text().contains("lose their area"));
      QVERIFY(Find<QPushButton>(&dialog, "Cmd_Fit")->isDefault());
      QCOMPARE(Find<QDoubleSpinBox>(&dialog, "Spn_Fit_Size")->value(), 400.0);
      QVERIFY(Shaped(dialog));
      proposed = Find<QSpinBox>(&dialog, "Spn_Fit_Faces")->value();
      auto* picture = Find<Picture_Box>(&dialog, "Pic_Fit_Preview");
      const int drawn = picture->Drawings();
      Choose_Up(dialog, "z");
      QVERIFY(QTest::qWaitFor([&] { return picture->Drawings() > drawn; }, 20000));  // shaped anew
      QVERIFY(Shaped(dialog));
      QCOMPARE(Number(Find<QLabel>(&dialog, "Lbl_Fit_3_Fitted")), 0);  // no face loses its area
      preview = picture->Image().copy();
      QTest::mouseClick(Find<QPushButton>(&dialog, "Cmd_Fit"), Qt::LeftButton);
    };
    Click_With_File("Cmd_Open_Ply", tiny);
    QCOMPARE(dialogs_, 1);
    QVERIFY(proposed > 0 && proposed < 2400);
    // The window shows the fitted model: its own counts, the optimized mesh, the dialog's preview.
    QCOMPARE(Caption("Lbl_Meshe"), QString("Optimized Meshe"));
    QVERIFY(!Enabled("Cmd_Normal_Meshe"));
    QCOMPARE(Caption("Lbl_Nb_Pts_Normal"), Caption("Lbl_Nb_Pts_Optimized"));
    QCOMPARE(Find<Picture_Box>(window_.get(), "Picture1")->Image(), preview);

    const std::string saved_path = Path("tiny.bas");
    Click_With_File("Cmd_Save", saved_path);
    QCOMPARE(dialogs_, 1);  // the fitted model serves: no second offer
    QCOMPARE(messages_.back().first, std::string("Basic File Saved"));
    Saved saved;
    QVERIFY(Read_Saved(saved_path, saved));
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal").toInt(), saved.store.Nb_Faces);
    const Tidy_Result losses = Count_Tidy_Losses(saved.points(), saved.faces());
    QCOMPARE(losses.points_collapsing + losses.faces_degenerate, int64_t{0});
    QVERIFY(std::fabs(Largest_Extent(Bounds_Of(saved.points())) - 400) <= 0.1);
    QVERIFY(saved.store.Nb_Faces + 1 <= proposed);

    QProcess stl2bas;
    const std::string cli_path = Path("cli.bas");
    stl2bas.start(KORVANE_STL2BAS, {"convert", QString::fromStdString(tiny), "-o", QString::fromStdString(cli_path),
                                    "--up", "z", "--fit", "400", "--faces", QString::number(proposed)});
    QVERIFY(stl2bas.waitForFinished(60000));
    QCOMPARE(stl2bas.exitCode(), 0);
    QVERIFY(Read_File(cli_path) == Read_File(saved_path));
  }

  // "Keep as read" (Escape) leaves the model as read; saving it offers the
  // dialog again, and keeping it then saves the file as read.
  void keepAsReadLeavesTheModelAndSaveOffersFitAgain() {
    const std::string tiny = Write("tiny.ply", Torus_Ply(0.1));
    on_dialog_ = [](Fit_Dialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); };
    Click_With_File("Cmd_Open_Ply", tiny);
    QCOMPARE(dialogs_, 1);
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), QString("2399"));
    QCOMPARE(Caption("Lbl_Nb_Pts_Normal"), QString("1199"));
    QCOMPARE(Caption("Lbl_Meshe"), QString("Normal Meshe"));
    QVERIFY(Enabled("Cmd_Normal_Meshe"));

    QString reasons;
    on_dialog_ = [&](Fit_Dialog& dialog) {
      reasons = Find<QLabel>(&dialog, "Lbl_Fit_Reasons")->text();
      QTest::mouseClick(Find<QPushButton>(&dialog, "Cmd_Keep_As_Read"), Qt::LeftButton);
    };
    const std::string saved_path = Path("tiny.bas");
    Click_With_File("Cmd_Save", saved_path);
    QCOMPARE(dialogs_, 2);
    QVERIFY(reasons.contains("lose their area"));
    QCOMPARE(messages_.back().first, std::string("Basic File Saved"));
    Saved saved;
    QVERIFY(Read_Saved(saved_path, saved));
    QCOMPARE(saved.store.Nb_Faces, 2399);
  }

  // A model that serves at the default numbering opens without the dialog;
  // numbered from 32700 its file needs more lines than remain, and Save
  // offers the dialog with both figures instead of the bare error. "Fit"
  // saves a file within the numbers.
  void saveOffersFitWhenTheLinesDoNotFitAndFitSavesWithinThem() {
    const std::string big = Write("big.ply", Torus_Ply(30));
    Click_With_File("Cmd_Open_Ply", big);
    QCOMPARE(dialogs_, 0);
    Find<QLineEdit>(window_.get(), "Txt_Basic_Start")->setText("32700");
    int needed = 0, available = 0;
    on_dialog_ = [&](Fit_Dialog& dialog) {
      QVERIFY(Find<QLabel>(&dialog, "Lbl_Fit_Reasons")->text().contains("lines"));
      needed = Number(Find<QLabel>(&dialog, "Lbl_Fit_4_As_Read"));
      available = Number(Find<QLabel>(&dialog, "Lbl_Fit_5_As_Read"));
      QVERIFY(Shaped(dialog));
      QVERIFY(Number(Find<QLabel>(&dialog, "Lbl_Fit_4_Fitted")) <= Number(Find<QLabel>(&dialog, "Lbl_Fit_5_Fitted")));
      QTest::keyClick(&dialog, Qt::Key_Return);  // "Fit", the default button
    };
    const std::string saved_path = Path("big.bas");
    Click_With_File("Cmd_Save", saved_path);
    QCOMPARE(dialogs_, 1);
    QCOMPARE(available, int(Available_Bas_Lines(32700, 1)));
    QVERIFY(needed > available);
    QCOMPARE(messages_.back().first, std::string("Basic File Saved"));
    Saved saved;
    QVERIFY(Read_Saved(saved_path, saved));
    QVERIFY(Count_Bas_Lines(saved.points(), saved.faces(), 32700, 1) <= available);
  }

  // The preview's context menu offers the dialog for any STL or PLY model,
  // with the last fit's options; never for a BASIC data file, and the cube,
  // which serves, opens without it.
  void previewMenuOffersFitOnDemandWithTheLastOptions() {
    auto* menu = Find<QMenu>(window_.get(), "Picture1_Menu");
    QAction* fit = menu->findChild<QAction*>("Act_Fit");
    QVERIFY(fit && menu->actions().contains(fit));
    QCOMPARE(fit->text(), QString("Fit for the Korvane 3D..."));
    auto* picture = Find<Picture_Box>(window_.get(), "Picture1");
    auto ask = [&] {  // what a right click in the preview does
      emit picture->customContextMenuRequested(QPoint(20, 20));
      QTRY_VERIFY(menu->isVisible());
      menu->hide();
    };
    ask();
    QVERIFY(!fit->isEnabled());

    Click_With_File("Cmd_Open", kSampleCube);
    QCOMPARE(dialogs_, 0);
    ask();
    QVERIFY(fit->isEnabled());
    on_dialog_ = [](Fit_Dialog& dialog) {
      QVERIFY(Find<QLabel>(&dialog, "Lbl_Fit_Reasons")->text().contains("serves"));
      QCOMPARE(Find<QSpinBox>(&dialog, "Spn_Fit_Faces")->value(), 12);  // all: the cube serves as read
      Choose_Up(dialog, "y");
      QSpinBox* faces = Find<QSpinBox>(&dialog, "Spn_Fit_Faces");
      faces->setValue(6);
      QTest::mouseClick(Find<QPushButton>(&dialog, "Cmd_Fit"), Qt::LeftButton);
    };
    fit->trigger();
    QCOMPARE(dialogs_, 1);
    QVERIFY(Caption("Lbl_Nb_Faces_Normal").toInt() + 1 <= 6);
    QCOMPARE(Caption("Lbl_Meshe"), QString("Optimized Meshe"));

    QString up;
    int faces = 0;
    on_dialog_ = [&](Fit_Dialog& dialog) {
      up = Find<QComboBox>(&dialog, "Cmb_Fit_Up")->currentText();
      faces = Find<QSpinBox>(&dialog, "Spn_Fit_Faces")->value();
      QTest::keyClick(&dialog, Qt::Key_Escape);
    };
    fit->trigger();
    QCOMPARE(dialogs_, 2);
    QCOMPARE(up, QString("y"));
    QCOMPARE(faces, 6);
    // Kept as read: the cube as it opened.
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), QString("11"));
    QCOMPARE(Caption("Lbl_Nb_Pts_Normal"), QString("35"));
    QCOMPARE(Caption("Lbl_Nb_Pts_Optimized"), QString("7"));
    QCOMPARE(Caption("Lbl_Meshe"), QString("Normal Meshe"));
    QVERIFY(Enabled("Cmd_Normal_Meshe"));

    // A BASIC data file of a model that would not serve: never offered.
    const std::string tiny = Write("tiny.ply", Torus_Ply(0.1));
    Click_With_File("Cmd_Open_Ply", tiny);
    QCOMPARE(dialogs_, 3);
    Click_With_File("Cmd_Save", Path("tiny.bas"));
    QCOMPARE(dialogs_, 4);
    Click_With_File("Cmd_Open_Bas", Path("tiny.bas"));
    Click_With_File("Cmd_Save", Path("again.bas"));
    QCOMPARE(dialogs_, 4);
    ask();
    QVERIFY(!fit->isEnabled());
  }

  // A file named on the command line opens as its button would open it,
  // the dialog included; a name no button takes opens nothing.
  void fileFromTheCommandLineOpensAsItsButtonWould() {
    const std::string tiny = Write("tiny.ply", Torus_Ply(0.1));
    QVERIFY(window_->Commands().Open_File(tiny));
    QCOMPARE(dialogs_, 1);
    QCOMPARE(Caption("Lbl_File_Input"), QString::fromStdString(tiny));
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), QString("2399"));
    QVERIFY(Enabled("Cmd_Save"));
    QVERIFY(!window_->Commands().Open_File(Write("part.obj", "v 0 0 0\n")));
    QCOMPARE(Caption("Lbl_File_Input"), QString::fromStdString(tiny));
    QVERIFY(window_->Commands().Open_File(kSampleCube));
    QCOMPARE(dialogs_, 1);
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), QString("11"));
  }

  // Twenty key presses come faster than a shaping: they are one choice,
  // shaped once, and the preview is what the window draws of that model.
  void choicesFasterThanTheShapingAreShapedOnceAndDrawnAsTheWindowDraws() {
    const std::string tiny = Write("tiny.ply", Torus_Ply(0.1));
    int drawn_before = 0, drawn_after = 0, chosen = 0;
    QImage preview;
    on_dialog_ = [&](Fit_Dialog& dialog) {
      QVERIFY(Shaped(dialog));
      auto* picture = Find<Picture_Box>(&dialog, "Pic_Fit_Preview");
      QSpinBox* faces = Find<QSpinBox>(&dialog, "Spn_Fit_Faces");
      drawn_before = picture->Drawings();
      for (int i = 0; i < 20; ++i) QTest::keyClick(faces, Qt::Key_Down);
      chosen = faces->value();
      QVERIFY(QTest::qWaitFor([&] { return picture->Drawings() > drawn_before; }, 20000));
      QVERIFY(Shaped(dialog));
      QTest::qWait(200);  // room for drawings that should not come
      drawn_after = picture->Drawings();
      QVERIFY(Number(Find<QLabel>(&dialog, "Lbl_Fit_0_Fitted")) <= chosen);
      preview = picture->Image().copy();
      QTest::mouseClick(Find<QPushButton>(&dialog, "Cmd_Fit"), Qt::LeftButton);
    };
    Click_With_File("Cmd_Open_Ply", tiny);
    QCOMPARE(dialogs_, 1);
    QCOMPARE(drawn_after - drawn_before, 1);
    QVERIFY(Caption("Lbl_Nb_Faces_Normal").toInt() + 1 <= chosen);
    // The window, turned anew, draws the fitted model exactly as the preview drew it.
    auto* zoom = Find<QScrollBar>(window_.get(), "HScroll_Zoom");
    auto* picture = Find<Picture_Box>(window_.get(), "Picture1");
    for (int value : {2, 1}) {
      const int drawn = picture->Drawings();
      zoom->setValue(value);
      QTRY_VERIFY(picture->Drawings() > drawn);
    }
    QCOMPARE(picture->Image(), preview);
  }
};

QTEST_MAIN(Fit_Dialog_Test)
#include "fit_dialog_test.moc"
