// The dialog "Fit for the Korvane 3D" in the real window, headless: it
// appears after opening a model that does not serve the target, at a save
// that would not serve it and from the preview's context menu, never for a
// model that serves or a BASIC data file; "Fit" leaves the file stl2bas
// writes with the same options, "Keep as read" the model as read.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <iterator>
#include <deque>
#include <fstream>
#include <functional>

#include "export/write_bas.h"
#include "import/read_input.h"
#include "scripted_dialogs.h"
#include "shape/fit_to_size.h"
#include "ui/fit_dialog.h"
#include "ui/picture_box.h"

namespace {

// Suzanne, 2.7 units across: a blob at the largest zoom, and faces that lose their area.
const char* const kSuzanne = KORVANE_TEST_DATA "/suzanne-quads-tris.ply";

std::string Read_File(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

template <typename T>
T* Find(QObject* parent, const char* name) {
  T* widget = parent->findChild<T*>(name);
  if (!widget) qFatal("no control %s", name);
  return widget;
}
int Number(QObject* dialog, const char* label) { return Find<QLabel>(dialog, label)->text().toInt(); }

// Waits until the fitted figures show the fields' choice.
bool Shaped(Fit_Dialog& dialog) {
  auto* faces = Find<QLabel>(&dialog, "Lbl_Fit_0_Fitted");
  return QTest::qWaitFor([&] { return faces->isEnabled() && !faces->text().isEmpty(); }, 20000);
}

}  // namespace

class Fit_Dialog_Test : public QObject {
  Q_OBJECT

  std::unique_ptr<Main_Window> window_;
  std::deque<std::string> answers_;
  Recorded_Messages messages_;
  QTemporaryDir folder_;
  QTimer watch_;
  std::function<void(Fit_Dialog&)> on_dialog_;  // what the next dialog does; without it, Escape
  QPointer<Fit_Dialog> handled_;
  int dialogs_ = 0;

  QString Caption(const char* name) { return Find<QLabel>(window_.get(), name)->text(); }
  void Click_With_File(const char* name, const std::string& path) {
    answers_.push_back(path);
    QTest::mouseClick(Find<QPushButton>(window_.get(), name), Qt::LeftButton);
  }
  std::string Path(const char* name) { return folder_.filePath(name).toStdString(); }
  // The dialog is modal: a timer meets it inside its own event loop.
  void Look_For_Dialog() {
    auto* dialog = dynamic_cast<Fit_Dialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog == handled_) return;
    handled_ = dialog;
    ++dialogs_;
    if (auto act = std::exchange(on_dialog_, nullptr)) act(*dialog);
    if (handled_ && handled_->isVisible()) QTest::keyClick(handled_, Qt::Key_Escape);  // also after a failed check
  }
  void Saved(const std::string& path, MeshStore& saved) {
    saved.File_Input = path;
    QVERIFY(Read_Input(saved, Input_Kind::Bas).ok);
  }

 private slots:
  void initTestCase() { connect(&watch_, &QTimer::timeout, this, [this] { Look_For_Dialog(); }); }
  void init() {
    answers_.clear(), messages_.clear(), dialogs_ = 0;
    window_ = std::make_unique<Main_Window>();
    Script_Dialogs(*window_, answers_, messages_);
    window_->Set_Fit_Chooser(nullptr);  // the real dialog
    watch_.start(5);
  }
  void cleanup() { watch_.stop(), window_.reset(); }

  // A model too small for the target: the dialog appears as it opens. Keys
  // faster than the shaping are one choice, shaped once; "Fit" shows the
  // dialog's preview in the window and saves the file of stl2bas.
  void openingASmallModelOffersFitAndFitSavesWhatStl2basSaves() {
    int proposed = 0, chosen = 0, drawings = 0;
    QImage preview;
    on_dialog_ = [&](Fit_Dialog& dialog) {
      QVERIFY(dialog.windowTitle() == "Fit for the Korvane 3D" && dialog.isModal());
      QVERIFY(Find<QLabel>(&dialog, "Lbl_Fit_Reasons")->text().contains("lose their area"));
      QVERIFY(Shaped(dialog));
      auto* faces = Find<QSpinBox>(&dialog, "Spn_Fit_Faces");
      auto* picture = Find<Picture_Box>(&dialog, "Pic_Fit_Preview");
      proposed = faces->value();
      drawings = picture->Drawings();
      for (int i = 0; i < 20; ++i) QTest::keyClick(faces, Qt::Key_Down);
      chosen = faces->value();
      QVERIFY(QTest::qWaitFor([&] { return picture->Drawings() > drawings; }, 20000) && Shaped(dialog));
      QTest::qWait(200);  // room for drawings that should not come
      drawings = picture->Drawings() - drawings;
      auto* up = Find<QComboBox>(&dialog, "Cmb_Fit_Up");
      const int before = picture->Drawings();
      up->setCurrentIndex(up->findText("z"));
      QVERIFY(QTest::qWaitFor([&] { return picture->Drawings() > before; }, 20000) && Shaped(dialog));
      QCOMPARE(Number(&dialog, "Lbl_Fit_3_Fitted"), 0);  // no face loses its area
      preview = picture->Image().copy();
      QTest::mouseClick(Find<QPushButton>(&dialog, "Cmd_Fit"), Qt::LeftButton);
    };
    Click_With_File("Cmd_Open_Ply", kSuzanne);
    QCOMPARE(dialogs_, 1);
    QVERIFY(proposed > 0 && chosen < proposed);
    QCOMPARE(drawings, 1);
    QCOMPARE(Caption("Lbl_Meshe"), QString("Optimized Meshe"));
    QVERIFY(!Find<QPushButton>(window_.get(), "Cmd_Normal_Meshe")->isEnabled());
    QCOMPARE(Find<Picture_Box>(window_.get(), "Picture1")->Image(), preview);

    Click_With_File("Cmd_Save", Path("suzanne.bas"));
    QCOMPARE(dialogs_, 1);  // the fitted model serves: no second offer
    QCOMPARE(messages_.back().first, std::string("Basic File Saved"));
    MeshStore saved;
    Saved(Path("suzanne.bas"), saved);
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal").toInt(), saved.Nb_Faces);
    QVERIFY(saved.Nb_Faces < chosen);
    QVERIFY(std::fabs(Largest_Extent(Bounds_Of({saved.Pts_Optimized.data(), size_t(saved.Nb_Pts_Optimized + 1)})) -
                      400) <= 0.1);
    QProcess stl2bas;
    stl2bas.start(KORVANE_STL2BAS, {"convert", kSuzanne, "-o", QString::fromStdString(Path("cli.bas")),
                                    "--up", "z", "--fit", "400", "--faces", QString::number(chosen)});
    QVERIFY(stl2bas.waitForFinished(60000) && stl2bas.exitCode() == 0);
    QVERIFY(Read_File(Path("cli.bas")) == Read_File(Path("suzanne.bas")));
  }

  // Numbered from 32700, the file needs more lines than remain: Save offers
  // the dialog with both figures instead of the bare error, also after a
  // fit; "Fit" then saves within the numbers.
  void saveOffersFitWhenTheLinesDoNotFitAndFitSavesWithinThem() {
    on_dialog_ = [](Fit_Dialog& dialog) { QTest::mouseClick(Find<QPushButton>(&dialog, "Cmd_Fit"), Qt::LeftButton); };
    Click_With_File("Cmd_Open_Ply", kSuzanne);
    Find<QLineEdit>(window_.get(), "Txt_Basic_Start")->setText("32700");
    int needed = 0, available = 0;
    on_dialog_ = [&](Fit_Dialog& dialog) {
      needed = Number(&dialog, "Lbl_Fit_4_As_Read");
      available = Number(&dialog, "Lbl_Fit_5_As_Read");
      QVERIFY(Shaped(dialog));
      QVERIFY(Number(&dialog, "Lbl_Fit_4_Fitted") <= Number(&dialog, "Lbl_Fit_5_Fitted"));
      QTest::keyClick(&dialog, Qt::Key_Return);  // "Fit", the default button
    };
    Click_With_File("Cmd_Save", Path("big.bas"));
    QVERIFY(dialogs_ == 2 && available == Available_Bas_Lines(32700, 1) && needed > available);
    QCOMPARE(messages_.back().first, std::string("Basic File Saved"));
    MeshStore saved;
    Saved(Path("big.bas"), saved);
    QVERIFY(Count_Bas_Lines({saved.Pts_Optimized.data(), size_t(saved.Nb_Pts_Optimized + 1)},
                            {saved.Faces_Optimized.data(), size_t(saved.Nb_Faces + 1)}, 32700, 1) <= available);
  }

  // The preview's context menu offers the dialog for an STL or PLY model,
  // with the last fit's options; the cube (opened as the command line opens
  // a file) serves and opens without it; "Keep as read" leaves or puts back
  // the model as read; never for a BASIC data file.
  void previewMenuOffersFitOnDemandWithTheLastOptions() {
    auto* menu = Find<QMenu>(window_.get(), "Picture1_Menu");
    QAction* fit = Find<QAction>(menu, "Act_Fit");
    QVERIFY(menu->actions().contains(fit) && fit->text() == "Fit for the Korvane 3D...");
    auto offered = [&] {  // what a right click in the preview shows
      emit Find<Picture_Box>(window_.get(), "Picture1")->customContextMenuRequested(QPoint(20, 20));
      const bool shown = QTest::qWaitFor([&] { return menu->isVisible(); }, 5000);
      menu->hide();
      return shown && fit->isEnabled();
    };
    QVERIFY(!offered());
    QVERIFY(!window_->Commands().Open_File(Path("part.obj")));
    QVERIFY(window_->Commands().Open_File(KORVANE_SAMPLES "/cube.stl"));
    QVERIFY(dialogs_ == 0 && offered());
    on_dialog_ = [](Fit_Dialog& dialog) {
      QVERIFY(Find<QLabel>(&dialog, "Lbl_Fit_Reasons")->text().contains("serves"));
      QCOMPARE(Find<QSpinBox>(&dialog, "Spn_Fit_Faces")->value(), 12);  // all: the cube serves as read
      auto* up = Find<QComboBox>(&dialog, "Cmb_Fit_Up");
      up->setCurrentIndex(up->findText("y"));
      Find<QSpinBox>(&dialog, "Spn_Fit_Faces")->setValue(6);
      QTest::mouseClick(Find<QPushButton>(&dialog, "Cmd_Fit"), Qt::LeftButton);
    };
    fit->trigger();
    QVERIFY(dialogs_ == 1 && Caption("Lbl_Nb_Faces_Normal").toInt() < 6);
    QString choice;
    on_dialog_ = [&](Fit_Dialog& dialog) {
      choice = Find<QComboBox>(&dialog, "Cmb_Fit_Up")->currentText() + Find<QSpinBox>(&dialog, "Spn_Fit_Faces")->text();
    };
    fit->trigger();  // kept as read: the cube as it opened
    QCOMPARE(choice, QString("y6 of 12"));
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal") + Caption("Lbl_Nb_Pts_Normal") + Caption("Lbl_Nb_Pts_Optimized"),
             QString("11357"));
    QVERIFY(Caption("Lbl_Meshe") == "Normal Meshe" && Find<QPushButton>(window_.get(), "Cmd_Normal_Meshe")->isEnabled());

    // Escape at the open of a model that does not serve keeps it as read;
    // Save offers the dialog again, and "Keep as read" saves it as read.
    Click_With_File("Cmd_Open_Ply", kSuzanne);
    QVERIFY(Caption("Lbl_Meshe") == "Normal Meshe" && Find<QPushButton>(window_.get(), "Cmd_Normal_Meshe")->isEnabled());
    on_dialog_ = [&](Fit_Dialog& dialog) {
      choice = Find<QLabel>(&dialog, "Lbl_Fit_Reasons")->text();
      QTest::mouseClick(Find<QPushButton>(&dialog, "Cmd_Keep_As_Read"), Qt::LeftButton);
    };
    Click_With_File("Cmd_Save", Path("suzanne.bas"));
    QVERIFY(dialogs_ == 4 && choice.contains("lose their area") && messages_.back().first == "Basic File Saved");
    MeshStore saved;
    Saved(Path("suzanne.bas"), saved);
    QCOMPARE(saved.Nb_Faces, Caption("Lbl_Nb_Faces_Normal").toInt());
    Click_With_File("Cmd_Open_Bas", Path("suzanne.bas"));
    Click_With_File("Cmd_Save", Path("again.bas"));
    QVERIFY(dialogs_ == 4 && !offered());
  }
};

QTEST_MAIN(Fit_Dialog_Test)
#include "fit_dialog_test.moc"
