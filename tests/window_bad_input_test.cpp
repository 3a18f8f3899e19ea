// Bad inputs through the real window, headless. With a cube loaded and drawn,
// a file that does not load shows the reader's message titled "E.R.R.O.R"
// (or nothing, for a file that is simply not a mesh of that kind), its path
// and the counts the read left; it keeps no picture of the earlier cube,
// leaves "Save Basic File" disabled and nothing draws until a file loads
// again. A save that cannot be done says why, leaves a file that was there
// as it was, and keeps the cube to save elsewhere.
#include <QLineEdit>
#include <QScrollBar>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/line_numbering.h"
#include "window_fixture.h"

namespace {

const char* const kSampleCube = KORVANE_SAMPLES "/cube.stl";
const char* const kBinaryStl = KORVANE_TEST_DATA "/unit_cube-solid-header.stl";

const std::string kPlyHeader =
    "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\nproperty float z\n"
    "element face 2\nproperty list uchar int vertex_indices\nend_header\n";
const std::string kPlyVertices = "0 0 0\n1 0 0\n0 1 0\n0 0 1\n";
const std::string kBasHeader = "10'Number of Faces and Number of Points\r\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

}  // namespace

class Window_Bad_Input_Test : public QObject, Window_Fixture {
  Q_OBJECT

 private:
  // The messages shown so far, one "title: text" line each.
  QString Messages() {
    QString shown;
    for (const auto& [text, title] : messages_) shown += QString::fromStdString(title + ": " + text + "\n");
    return shown;
  }
  // Opens a copy of the sample cube, the mesh that bad inputs must not keep
  // on show nor saves destroy.
  void Open_Cube() {
    Click_With_File("Cmd_Open", Write("cube.stl", Read_Whole(kSampleCube)));
    QVERIFY(Black_Pixels(Picture()) > 0);
    QVERIFY(Enabled("Cmd_Save"));
    messages_.clear();
  }

 private slots:
  void init() { Start_Window(); }
  void cleanup() { window_.reset(); }

  void badInputLeavesNoPreviewAndNoSave_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");  // shown titled "E.R.R.O.R"; empty: no message box
    auto row = [](const char* name, const char* button, const std::string& path, const std::string& message) {
      QTest::newRow(name) << QString(button) << QString::fromStdString(path) << QString::fromStdString(message);
    };
    const std::string missing = Path("missing.stl");
    const std::string folder = Path("folder.ply");
    std::filesystem::create_directory(folder);
    // Nothing that could hold the window is opened: a FIFO without a writer
    // would wait for one, a device would never end.
    const std::string fifo = Path("pipe.stl");
    ::mkfifo(fifo.c_str(), 0600);
    const std::string device = Path("zero.ply");
    std::filesystem::create_symlink("/dev/zero", device);

    row("binary STL cut short", "Cmd_Open", Write("cut-binary.stl", Read_Whole(kBinaryStl).substr(0, 683)),
        "The binary STL header declares 12 facets, which take 684 bytes, but the file has 683 bytes");
    row("STL of one facet", "Cmd_Open",
        Write("one.stl", "solid one\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n"
                         "endloop\nendfacet\nendsolid\n"),
        "");
    row("STL without facets", "Cmd_Open", Write("empty.stl", "solid nothing\nendsolid nothing\n"), "");
    row("missing STL", "Cmd_Open", missing, "Cannot open file: " + missing);
    row("FIFO without a writer", "Cmd_Open", fifo, "Cannot open file: " + fifo + " (not a regular file)");
    row("PLY cut in its header", "Cmd_Open_Ply", Write("cut.ply", kPlyHeader.substr(0, 60)), "");
    row("PLY cut in its vertices", "Cmd_Open_Ply", Write("cut-vertices.ply", kPlyHeader + "0 0 0\n1 0 0\n"), "");
    row("binary PLY", "Cmd_Open_Ply",
        Write("binary.ply", Replaced(kPlyHeader, "ascii", "binary_little_endian") + std::string(64, '\xff')),
        "Vertex 0 has a coordinate that is not a finite number");
    row("PLY face naming a missing vertex", "Cmd_Open_Ply",
        Write("index.ply", kPlyHeader + kPlyVertices + "3 0 1 2\n3 0 1 4\n"),
        "Line 15: face 1 names vertex 4, but the file has 4 vertices");
    row("PLY that is a folder", "Cmd_Open_Ply", folder, "Cannot open file: " + folder);
    row("device behind a link", "Cmd_Open_Ply", device, "Cannot open file: " + device + " (not a regular file)");
    row("BAS of random bytes", "Cmd_Open_Bas",
        Write("random.bas", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\xff\xfe\n", 13)), "Wrong number of Faces or Points");
    row("BAS cut after its header", "Cmd_Open_Bas", Write("cut.bas", kBasHeader), "Wrong number of Faces or Points");
    row("BAS of an empty mesh", "Cmd_Open_Bas",
        Write("empty.bas", kBasHeader + "11 data -1,-1\r\n12'Points from the 3D Object\r\n13'Faces from the 3D Object\r\n"),
        "Wrong number of Faces or Points");
    row("BAS of no faces", "Cmd_Open_Bas", Write("zero.bas", kBasHeader + "11 data 0,0\r\n"),
        "Wrong number of Faces or Points");
  }
  void badInputLeavesNoPreviewAndNoSave() {
    QFETCH(QString, button);
    QFETCH(QString, path);
    QFETCH(QString, message);
    Open_Cube();
    Click_With_File(button, path.toStdString());

    QCOMPARE(Caption("Lbl_File_Input"), path);
    QCOMPARE(Messages(), message.isEmpty() ? QString() : "E.R.R.O.R: " + message + "\n");
    const MeshStore& store = window_->Commands().Store();
    QVERIFY(!store.Object_Loaded);
    QCOMPARE(Caption("Lbl_Nb_Faces_Normal"), QString::number(store.Nb_Faces));
    // No counter shows the earlier cube's points: a read that failed before
    // its merge made no optimized mesh (-1, no last index).
    const bool bas = button == "Cmd_Open_Bas";
    QCOMPARE(Caption("Lbl_Nb_Pts_Optimized"), QString::number(bas ? store.Nb_Pts_Optimized : -1));
    QCOMPARE(Caption("Lbl_Nb_Pts_Normal"), QString::number(bas ? store.Nb_Pts_Optimized : store.Nb_Pts_Normal));
    QCOMPARE(Black_Pixels(Picture()), 0);
    QVERIFY(!Enabled("Cmd_Save"));

    // Moving a scroll bar or switching the mesh draws nothing either.
    Find<QScrollBar>("HScroll_X")->setValue(45);
    Handle_Events();
    Click("Cmd_Optimized_Meshe");
    Click("Cmd_Normal_Meshe");
    QCOMPARE(Caption("Lbl_Angle_X"), QString("0"));
    QCOMPARE(Black_Pixels(Picture()), 0);
    QVERIFY(!Enabled("Cmd_Save"));

    Open_Cube();  // until a file loads again
  }

  // Damage the formats let through: a face naming a point the BASIC data
  // file does not have is kept as written (and left out of the picture), a
  // facet cut short by the end of an STL file keeps zero corners.
  void damagedButReadableInputLoads_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("path");
    QTest::newRow("BAS face naming a missing point")
        << "Cmd_Open_Bas"
        << QString::fromStdString(Write("index.bas", kBasHeader + "11 data 1,2\r\n12'Points from the 3D Object\r\n"
                                                                  "13 data 0.0,0.0,0.0,0.0,5.0,0.0,5.0,0.0,0.0\r\n"
                                                                  "14'Faces from the 3D Object\r\n15 data 0,1,2,0,2,-99\r\n"));
    QTest::newRow("STL cut inside a facet")
        << "Cmd_Open"
        << QString::fromStdString(Write("cut.stl",
                                        "solid a\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 0 5 0\n"
                                        "vertex 5 0 0\nendloop\nendfacet\nfacet normal 0 0 1\nouter loop\nvertex 1 1"));
  }
  void damagedButReadableInputLoads() {
    QFETCH(QString, button);
    QFETCH(QString, path);
    Open_Cube();
    Click_With_File(button, path.toStdString());
    QCOMPARE(Messages(), QString());
    QVERIFY(Black_Pixels(Picture()) > 0);
    QVERIFY(Enabled("Cmd_Save"));
    // Redrawn from another side, where the faces may turn their backs.
    Find<QScrollBar>("HScroll_Y")->setValue(200);
    Handle_Events();
    QVERIFY(Enabled("Cmd_Save"));
  }

  // The mesh the window opened is never replaced, by its own name or through
  // a link to it.
  void saveThatCannotBeDoneChangesNothing_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("old");  // what the file held before; empty: no file
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("message");
    auto row = [](const char* name, const std::string& path, const std::string& old, const char* start,
                  const char* step, const std::string& message) {
      QTest::newRow(name) << QString::fromStdString(path) << QByteArray::fromStdString(old) << start << step
                          << QString::fromStdString(message);
    };
    std::ofstream(Path("plain-file"));
    const std::string inside_file = Path("plain-file/cube.bas"), missing_folder = Path("no-such-folder/cube.bas");
    const std::string cube = Read_Whole(kSampleCube), opened = Write("cube.stl", cube), link = Path("opened-link.bas");
    std::filesystem::create_symlink("cube.stl", link);
    const std::string range = "Basic Line Start and Step must lie between -32768 and 32767";
    row("folder is a file", inside_file, "", "10", "1", "Cannot write file: " + inside_file);
    row("folder missing", missing_folder, "", "10", "1", "Cannot write file: " + missing_folder);
    row("line numbers past 32767", Write("late.bas", "old text\r\n"), "old text\r\n", "32760", "10",
        "Too many lines for the BASIC line numbers");
    row("start beyond 16 bits", Write("start.bas", "old"), "old", "40000", "1", range);
    row("step beyond 16 bits", Write("step.bas", "old"), "old", "10", "-32769", range);
    // A step below 1 numbers lines alike or downward: no BASIC reads that
    // file back in order.
    for (const char* step : {"0", "0.5", "-1"})
      row((std::string("step ") + step).c_str(), Write("low-step.bas", "old"), "old", "10", step,
          std::string(kStep_Below_One));
    row("the opened mesh", opened, cube, "10", "1", "Cannot write file: " + opened);
    row("a link to the opened mesh", link, cube, "10", "1", "Cannot write file: " + link);
  }
  void saveThatCannotBeDoneChangesNothing() {
    QFETCH(QString, path);
    QFETCH(QByteArray, old);
    QFETCH(QString, start);
    QFETCH(QString, step);
    QFETCH(QString, message);
    Open_Cube();
    // The output label names the last file written, never one that was not.
    const std::string earlier = Path("earlier.bas");
    Click_With_File("Cmd_Save", earlier);
    QCOMPARE(Caption("Lbl_File_Output"), QString::fromStdString(earlier));
    messages_.clear();
    Find<QLineEdit>("Txt_Basic_Start")->setText(start);
    Find<QLineEdit>("Txt_Basic_Line_Step")->setText(step);
    Click_With_File("Cmd_Save", path.toStdString());
    QCOMPARE(Messages(), "E.R.R.O.R: " + message + "\n");
    QCOMPARE(Caption("Lbl_File_Output"), QString::fromStdString(earlier));
    if (old.isEmpty())
      QVERIFY(!std::filesystem::exists(path.toStdString()));
    else
      QCOMPARE(Read_Whole(path.toStdString()), old.toStdString());
    QVERIFY(Enabled("Cmd_Save"));  // the cube is still there to save elsewhere
    QVERIFY(Black_Pixels(Picture()) > 0);
  }
};

QTEST_MAIN(Window_Bad_Input_Test)
#include "window_bad_input_test.moc"
