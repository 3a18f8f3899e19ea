// The viewer program: written before the data, read back as the data alone,
// laid out as the format asks, and run by a real BASIC interpreter
// (bwbasic), where it draws what the preview draws.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "export/viewer_dialects.h"
#include "export/viewer_program.h"
#include "export/write_bas.h"
#include "preview/wireframe.h"
#include "shape/shape_mesh.h"
#include "shape_meshes.h"
#include "test_files.h"

namespace {

// A jittered torus of random size, merged as a read leaves it.
MeshStore Random_Torus(std::mt19937& random, int rings, int segments) {
  std::uniform_real_distribution<double> size(20.0, 150.0);
  const double major = size(random);
  Test_Mesh torus = Torus(rings, segments, major, major * 0.4, 0.2, random);
  return Loaded_Store(torus);
}

Viewer_Settings Random_View(std::mt19937& random, std::string_view dialect) {
  std::uniform_int_distribution<int> angle(0, 359), zoom(1, 3), side(100, 640), coin(0, 1);
  Viewer_Settings view;
  view.angle_x = angle(random);
  view.angle_y = angle(random);
  view.angle_z = angle(random);
  view.zoom = zoom(random);
  view.width = side(random);
  view.height = side(random);
  view.all_faces = coin(random) == 1;
  view.dialect = std::string(dialect);
  return view;
}

// The file the store saves in `format`, numbered from `start` by `step`;
// "" when the writer refuses it.
std::string Saved(MeshStore& store, const Bas_Format& format, int16_t start, int16_t step,
                  const std::string& name = "program.bas") {
  store.File_Output = (Test_Temp_Folder() / name).string();
  store.Basic_Line = start;
  store.Basic_Step = step;
  if (!Write_Bas(store, format).ok) return "";
  return Read_Test_File(store.File_Output);
}

std::vector<std::string> Lines_Of(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find("\r\n", at);
    if (end == std::string::npos) {
      ADD_FAILURE() << "a line without CR LF: " << text.substr(at);
      break;
    }
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// A line's text after its number.
std::string After_Number(const std::string& line) {
  size_t at = line.front() == '-' ? 1 : 0;
  while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at]))) ++at;
  return line.substr(at);
}
std::string Number_Of(const std::string& line) { return line.substr(0, line.size() - After_Number(line).size()); }
bool Is_Comment(const std::string& line) { return After_Number(line).starts_with("'"); }
bool Is_Data(const std::string& line) {
  const std::string text = After_Number(line);
  return text.starts_with(" data ") || text.starts_with(" DATA ");
}

bool Have_Bwbasic() { return std::system("command -v bwbasic >/dev/null 2>&1") == 0; }

// Runs the program in bwbasic in the test's own folder (it may hand a line
// it does not know to the shell, so it only ever runs what we wrote). It
// takes no comment straight after a line number: those become REM. Returns
// what it printed.
std::string Run_Bwbasic(const std::vector<std::string>& lines) {
  const std::filesystem::path folder = Test_Temp_Folder();
  std::string program;
  for (const std::string& line : lines)
    program += Is_Comment(line) ? Number_Of(line) + " REM " + After_Number(line).substr(1) + "\n" : line + "\n";
  Write_Temp_File("run.bas", program);
  const std::string command =
      "cd '" + folder.string() + "' && timeout 300 bwbasic run.bas </dev/null >printed.txt 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return Read_Test_File((folder / "printed.txt").string());
}

// The lines of four whole numbers that the print statement wrote.
std::vector<Segment> Printed_Segments(const std::string& printed) {
  std::vector<Segment> segments;
  std::istringstream lines(printed);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream numbers(line);
    int values[4];
    std::string rest;
    if (!(numbers >> values[0] >> values[1] >> values[2] >> values[3]) || (numbers >> rest)) continue;
    segments.push_back({{static_cast<int16_t>(values[0]), static_cast<int16_t>(values[1])},
                        {static_cast<int16_t>(values[2]), static_cast<int16_t>(values[3])}});
  }
  return segments;
}

// What the preview draws of the mesh the program holds: the file read back
// as the window's Open BAS File reads it, in the program's view. For every
// face it draws the mesh as the normal view draws one.
std::vector<Segment> Preview_Of(const std::string& text, const Viewer_Settings& view) {
  MeshStore back;
  const Outcome read = Read_Bytes(back, Input_Kind::Bas, text);
  EXPECT_TRUE(read.ok && back.Object_Loaded) << read.message;
  if (view.all_faces) {
    back.Pts_Normal = back.Pts_Optimized;
    back.Faces_Normal = back.Faces_Optimized;
    back.Nb_Pts_Normal = back.Nb_Pts_Optimized;
  }
  back.Show_Normal = view.all_faces;
  Set_View(back, view.angle_x, view.angle_y, view.angle_z, view.zoom);
  Set_Drawing_Area(back, view.width, view.height);
  std::vector<Segment> segments;
  Build_Wireframe(back, segments);
  return segments;
}

// The segments alike in order, each coordinate equal or one unit off (the
// interpreter's double against the preview's 32-bit steps); returns how
// many are one unit off.
int Compare_Segments(const std::vector<Segment>& printed, const std::vector<Segment>& drawn) {
  EXPECT_EQ(printed.size(), drawn.size());
  int off = 0;
  for (size_t i = 0; i < std::min(printed.size(), drawn.size()); ++i) {
    const int a[4] = {printed[i].From.X, printed[i].From.Y, printed[i].To.X, printed[i].To.Y};
    const int b[4] = {drawn[i].From.X, drawn[i].From.Y, drawn[i].To.X, drawn[i].To.Y};
    int most = 0;
    for (int k = 0; k < 4; ++k) most = std::max(most, std::abs(a[k] - b[k]));
    EXPECT_LE(most, 1) << "segment " << i;
    off += most == 1;
  }
  return off;
}

std::string Cased(std::string_view text, Keyword_Case keywords) {
  std::string out(text);
  if (keywords == Keyword_Case::Upper && !out.starts_with("'"))
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

TEST(ViewerProgram, EveryDialectDrawsThePreviewInAnInterpreter) {
  if (!Have_Bwbasic()) GTEST_SKIP() << "bwbasic is not installed (./scripts/test installs it)";
  std::mt19937 random(23);
  const Viewer_Layout layout = Layout_Of_Viewer();
  int segments = 0, off = 0;
  for (const Viewer_Dialect& dialect : Viewer_Dialects())
    for (Keyword_Case keywords : {Keyword_Case::Lower, Keyword_Case::Upper}) {
      SCOPED_TRACE(std::string(dialect.name) + (keywords == Keyword_Case::Upper ? " upper" : " lower"));
      MeshStore store = Random_Torus(random, 9, 7);
      Bas_Format format;
      format.keywords = keywords;
      format.line_length = std::uniform_int_distribution<int>(Shortest_Line_Length - 1, Longest_Line_Length)(random);
      if (format.line_length < Shortest_Line_Length) format.line_length = 0;
      format.viewer = Random_View(random, dialect.name);
      const int16_t start = static_cast<int16_t>(std::uniform_int_distribution<int>(0, 5000)(random));
      const int16_t step = static_cast<int16_t>(std::uniform_int_distribution<int>(1, 20)(random));
      const std::string text = Saved(store, format, start, step);
      ASSERT_FALSE(text.empty());
      std::vector<std::string> lines = Lines_Of(text);
      ASSERT_GT(static_cast<int64_t>(lines.size()), layout.subroutine + 2);

      // The dialect's set-up comes before the drawing, its statements are
      // the subroutine's body, and RETURN follows them.
      for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(After_Number(lines[layout.setup + k]),
                  (dialect.setup[k].starts_with("'") ? "" : " ") + Cased(dialect.setup[k], keywords));
        EXPECT_EQ(After_Number(lines[layout.subroutine + k]),
                  (dialect.draw[k].starts_with("'") ? "" : " ") + Cased(dialect.draw[k], keywords));
      }
      EXPECT_EQ(After_Number(lines[layout.subroutine + 2]), " " + Cased("return", keywords));

      // bwbasic has no graphics: the set-up goes, and the subroutine prints
      // (its names are the program's, in the program's case).
      for (int k = 0; k < 2; ++k) lines[layout.setup + k] = Number_Of(lines[layout.setup + k]) + "'";
      lines[layout.subroutine] = Number_Of(lines[layout.subroutine]) + " " + Cased("print x1;y1;x2;y2", keywords);
      lines[layout.subroutine + 1] = Number_Of(lines[layout.subroutine + 1]) + "'";
      const std::string printed = Run_Bwbasic(lines);
      EXPECT_EQ(printed.find("ERROR"), std::string::npos) << printed;
      const std::vector<Segment> drawn = Preview_Of(text, *format.viewer);
      EXPECT_FALSE(drawn.empty());
      const std::vector<Segment> got = Printed_Segments(printed);
      const int view_off = Compare_Segments(got, drawn);
      EXPECT_LE(view_off * 100, static_cast<int>(drawn.size())) << "one unit off is a rare rounding, not a rule";
      segments += static_cast<int>(drawn.size());
      off += view_off;
    }
  std::printf("%d segments compared, %d one unit off\n", segments, off);
}

TEST(ViewerProgram, ReadsBackAsItsDataAndIsNumberedWhole) {
  std::mt19937 random(5);
  std::uniform_int_distribution<int> coin(0, 1), dialect(0, static_cast<int>(Viewer_Dialects().size()) - 1);
  for (int round = 0; round < 12; ++round) {
    MeshStore store = Random_Torus(random, 4 + round, 5);
    const std::string data = Saved(store, {}, 10, 1, "data.bas");
    Bas_Format format;
    format.keywords = coin(random) ? Keyword_Case::Upper : Keyword_Case::Lower;
    format.line_length = coin(random) ? 0 : std::uniform_int_distribution<int>(Shortest_Line_Length, 120)(random);
    if (coin(random)) format.viewer = Random_View(random, Viewer_Dialects()[dialect(random)].name);
    const int16_t start = static_cast<int16_t>(std::uniform_int_distribution<int>(0, 20000)(random));
    const int16_t step = static_cast<int16_t>(std::uniform_int_distribution<int>(1, 9)(random));
    const std::string text = Saved(store, format, start, step);
    ASSERT_FALSE(text.empty());

    MeshStore plain, program;
    ASSERT_TRUE(Read_Bytes(plain, Input_Kind::Bas, data).ok);
    ASSERT_TRUE(Read_Bytes(program, Input_Kind::Bas, text).ok);
    ASSERT_EQ(program.Nb_Faces, plain.Nb_Faces);
    ASSERT_EQ(program.Nb_Pts_Optimized, plain.Nb_Pts_Optimized);
    EXPECT_TRUE(Same_Entries(program.Pts_Optimized, plain.Pts_Optimized, plain.Nb_Pts_Optimized));
    EXPECT_TRUE(Same_Entries(program.Faces_Optimized, plain.Faces_Optimized, plain.Nb_Faces));

    const std::vector<std::string> lines = Lines_Of(text);
    for (size_t k = 0; k < lines.size(); ++k)
      ASSERT_EQ(Number_Of(lines[k]), std::to_string(start + static_cast<int64_t>(k) * step)) << lines[k];
    const auto points = std::span<const Point3>(store.Pts_Optimized.data(), store.Nb_Pts_Optimized + 1);
    const auto faces = std::span<const Face3>(store.Faces_Optimized.data(), store.Nb_Faces + 1);
    EXPECT_EQ(Count_Bas_Lines(points, faces, start, step, format), static_cast<int64_t>(lines.size()));
  }
}

// Items of a data line: each point or face is three values.
size_t Items_Of(const std::string& line) {
  return (static_cast<size_t>(std::count(line.begin(), line.end(), ',')) + 1) / 3;
}
std::string First_Item_Of(const std::string& line) {
  const std::string values = After_Number(line).substr(6);
  size_t at = 0;
  for (int commas = 0; commas < 3 && at != std::string::npos; ++commas) at = values.find(',', at + (commas > 0));
  return values.substr(0, at);
}

TEST(BasFormat, DataLinesKeepToTheLineLengthAndAreFull) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> scale(0.5f, 3000.0f);
  for (int round = 0; round < 20; ++round) {
    MeshStore store = Random_Torus(random, 6, 6);
    const float factor = scale(random);
    for (int32_t i = 0; i <= store.Nb_Pts_Optimized; ++i) {
      Point3& p = store.Pts_Optimized[i];
      p = {p.X * factor, p.Y * factor, p.Z * factor};
    }
    Bas_Format format;
    format.line_length = std::uniform_int_distribution<int>(Shortest_Line_Length, Longest_Line_Length)(random);
    if (round % 2) format.viewer = Random_View(random, "print");
    const std::string text = Saved(store, format, 10000, 1);  // five-digit numbers
    const std::vector<std::string> lines = Lines_Of(text);
    const size_t length = static_cast<size_t>(format.line_length);
    for (size_t k = 0; k < lines.size(); ++k) {
      if (!Is_Data(lines[k])) {
        EXPECT_LE(lines[k].size(), static_cast<size_t>(Shortest_Line_Length)) << lines[k];
        continue;
      }
      EXPECT_TRUE(lines[k].size() <= length || Items_Of(lines[k]) == 1) << lines[k];
      // A line ends only where the section's next item would not fit.
      if (k + 1 < lines.size() && Is_Data(lines[k + 1]))
        EXPECT_GT(lines[k].size() + 1 + First_Item_Of(lines[k + 1]).size(), length) << lines[k];
    }
  }
}

TEST(BasFormat, KeywordCaseChangesStatementsOnlyAndCommentsKeepTheirForm) {
  std::mt19937 random(11);
  for (const Viewer_Dialect& dialect : Viewer_Dialects()) {
    MeshStore store = Random_Torus(random, 5, 4);
    Bas_Format lower;
    lower.viewer = Random_View(random, dialect.name);
    Bas_Format upper = lower;
    upper.keywords = Keyword_Case::Upper;
    const std::vector<std::string> a = Lines_Of(Saved(store, lower, 10, 1, "lower.bas"));
    const std::vector<std::string> b = Lines_Of(Saved(store, upper, 10, 1, "upper.bas"));
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 0; k < a.size(); ++k) {
      // A comment is a line of its own, its apostrophe straight after the
      // number, as the data file's comments are.
      for (const std::string* line : {&a[k], &b[k]})
        EXPECT_TRUE(line->find('\'') == std::string::npos || Is_Comment(*line)) << *line;
      if (Is_Comment(a[k])) {
        EXPECT_EQ(b[k], a[k]);
        continue;
      }
      EXPECT_EQ(b[k], Cased(a[k], Keyword_Case::Upper));
      EXPECT_TRUE(std::none_of(b[k].begin(), b[k].end(), [](char c) { return std::islower(c); })) << b[k];
    }
    EXPECT_TRUE(std::any_of(a.begin(), a.end(), [](const std::string& line) { return Is_Data(line); }));
  }
}

TEST(ViewerProgram, RefusesAProgramThatCouldNotRunAndKeepsTheOldFile) {
  std::mt19937 random(13);
  MeshStore store = Random_Torus(random, 4, 4);
  Bas_Format format;
  format.viewer = Random_View(random, "print");
  const std::string path = Write_Temp_File("kept.bas", "old");
  struct Case {
    const char* name;
    int16_t start, step;
    int32_t bad_corner;  // -2: none
  } cases[] = {{"step 0", 10, 0, -2},          {"descending", 100, -1, -2}, {"negative start", -10, 1, -2},
               {"corner beyond the points", 10, 1, store.Nb_Pts_Optimized + 1},
               {"negative corner", 10, 1, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MeshStore bad = store;
    if (c.bad_corner != -2) bad.Faces_Optimized[bad.Nb_Faces].B = c.bad_corner;
    bad.File_Output = path;
    bad.Basic_Line = c.start;
    bad.Basic_Step = c.step;
    const Outcome written = Write_Bas(bad, format);
    EXPECT_FALSE(written.ok);
    EXPECT_FALSE(written.message.empty());
    EXPECT_EQ(Read_Test_File(path), "old");
    // The data alone is written as before, whatever it holds.
    EXPECT_TRUE(Write_Bas(bad).ok);
    Write_Temp_File("kept.bas", "old");
  }
  MeshStore empty;
  empty.Nb_Faces = -1;
  empty.Nb_Pts_Optimized = -1;
  empty.File_Output = path;
  EXPECT_FALSE(Write_Bas(empty, format).ok);
  EXPECT_EQ(Read_Test_File(path), "old");
}

TEST(ViewerProgram, FacesChosenToFitLeaveRoomForTheViewer) {
  std::mt19937 random(17);
  MeshStore store = Random_Torus(random, 40, 25);  // 2000 faces
  Bas_Format format;
  format.viewer = Random_View(random, "line");
  format.line_length = Shortest_Line_Length;
  Shape_Options options;
  options.face_limit = Face_Limit::Fit_Line_Numbers;
  options.format = format;
  store.Basic_Line = 32767 - 400;  // room for 401 lines
  store.Basic_Step = 1;
  Shape_Report report;
  ASSERT_TRUE(Shape_Mesh(store, options, report).ok);
  EXPECT_LT(report.faces_achieved, 2000);
  store.File_Output = (Test_Temp_Folder() / "fits.bas").string();
  const Outcome written = Write_Bas(store, format);
  EXPECT_TRUE(written.ok) << written.message;
}

}  // namespace
