// The application commands driven through a recording stand-in for the
// window: captions, enabled buttons, the picture, dialogs and messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "controller/app_commands.h"
#include "core/line_numbering.h"

namespace {

namespace fs = std::filesystem;

using Seg = std::tuple<int, int, int, int>;

// The window as the commands see it, with the window's initial values.
struct Recording_Window : Window_Port {
  std::map<Label, std::string> captions = {
      {Label::Lbl_File_Input, ""},    {Label::Lbl_File_Output, ""},      {Label::Lbl_Nb_Pts_Normal, "0"},
      {Label::Lbl_Nb_Faces_Normal, "0"}, {Label::Lbl_Nb_Pts_Optimized, "0"}, {Label::Lbl_Meshe, "Normal Meshe"},
      {Label::Lbl_Angle_X, "0"},      {Label::Lbl_Angle_Y, "0"},         {Label::Lbl_Angle_Z, "0"},
      {Label::Lbl_Zoom, "0"}};
  std::map<Button, bool> enabled = {{Button::Cmd_Save, false}, {Button::Cmd_Normal_Meshe, true}};
  std::map<Text_Box, std::string> texts = {{Text_Box::Txt_Basic_Start, "10"}, {Text_Box::Txt_Basic_Line_Step, "1"}};
  std::map<Scroll_Bar, int> values = {
      {Scroll_Bar::HScroll_X, 0}, {Scroll_Bar::HScroll_Y, 0}, {Scroll_Bar::HScroll_Z, 0}, {Scroll_Bar::HScroll_Zoom, 1}};
  int width = 481;
  int height = 473;

  std::vector<Seg> picture;  // what is drawn since the last clear
  int clears = 0;
  int draws = 0;
  std::deque<std::string> answers;  // the dialog's next answers; "" cancels
  std::vector<std::pair<std::string, Dialog_Mode>> dialogs;
  std::vector<std::string> proposals;  // what each dialog was given to start with
  std::vector<std::pair<std::string, std::string>> messages;  // text, title

  // The progress dialog: every call in order ("begin", "end", or the stage
  // and percent of an update), and the stage at which the user cancels
  // ("" never), once the stage has reached cancel_from percent. Once
  // cancelled, every update answers false.
  std::vector<std::pair<std::string, int>> progress;
  std::string cancel_at;
  int cancel_from = 0;
  bool progress_open = false;
  bool cancelled = false;
  bool updates_outside = false;  // an update came without an open dialog
  int painted_while_open = 0;    // clears, draws and messages while the dialog was open
  // Memory runs out inside a read (at its next progress update) or while
  // the picture is drawn.
  bool no_memory_to_read = false;
  bool no_memory_to_draw = false;

  void Set_Caption(Label label, std::string_view text) override { captions[label] = std::string(text); }
  void Enable_Button(Button button, bool on) override { enabled[button] = on; }
  std::string Read_Text(Text_Box box) override { return texts[box]; }
  int Read_Value(Scroll_Bar bar) override { return values[bar]; }
  int Drawing_Width() override { return width; }
  int Drawing_Height() override { return height; }
  void Clear_Picture() override {
    painted_while_open += progress_open;
    picture.clear();
    ++clears;
  }
  void Draw_Segments(std::span<const Segment> segments) override {
    if (no_memory_to_draw) throw std::bad_alloc();
    painted_while_open += progress_open;
    ++draws;
    for (const Segment& s : segments) picture.emplace_back(s.From.X, s.From.Y, s.To.X, s.To.Y);
  }
  std::string Choose_File(std::string_view filter, Dialog_Mode mode, std::string_view proposed) override {
    dialogs.emplace_back(std::string(filter), mode);
    proposals.emplace_back(proposed);
    if (answers.empty()) return {};
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Show_Message(std::string_view text, std::string_view title) override {
    painted_while_open += progress_open;
    messages.emplace_back(std::string(text), std::string(title));
  }
  void Begin_Progress() override {
    progress.emplace_back("begin", 0);
    progress_open = true;
    cancelled = false;
  }
  bool Update_Progress(std::string_view stage, int percent) override {
    if (no_memory_to_read) throw std::bad_alloc();
    updates_outside |= !progress_open;
    progress.emplace_back(std::string(stage), percent);
    if (stage == cancel_at && percent >= cancel_from) cancelled = true;
    return !cancelled;
  }
  void End_Progress() override {
    progress.emplace_back("end", 0);
    progress_open = false;
  }
};

std::string Facet(const char* a, const char* b, const char* c) {
  return std::string("  facet normal 0 0 0\n    outer loop\n      vertex ") + a + "\n      vertex " + b +
         "\n      vertex " + c + "\n    endloop\n  endfacet\n";
}

// A closed cube of 12 facets: 36 corners, 8 distinct points.
std::string Cube_Stl() {
  const char* facets[12][3] = {
      {"0 0 0", "10 10 0", "10 0 0"},     {"0 0 0", "0 10 0", "10 10 0"},     {"0 0 10", "10 0 10", "10 10 10"},
      {"0 0 10", "10 10 10", "0 10 10"},  {"0 0 0", "10 0 0", "10 0 10"},     {"0 0 0", "10 0 10", "0 0 10"},
      {"0 10 0", "10 10 10", "10 10 0"},  {"0 10 0", "0 10 10", "10 10 10"},  {"0 0 0", "0 0 10", "0 10 10"},
      {"0 0 0", "0 10 10", "0 10 0"},     {"10 0 0", "10 10 0", "10 10 10"},  {"10 0 0", "10 10 10", "10 0 10"}};
  std::string text = "solid cube\n";
  for (auto& f : facets) text += Facet(f[0], f[1], f[2]);
  return text + "endsolid cube\n";
}

// Points 0 (0, 0, 0), 1 (0, 5, 0), 2 (5, 0, 0); faces (0, 1, 2) and (0, 2, 1).
std::string Two_Faces_Stl() {
  return "solid two\n" + Facet("0 0 0", "0 5 0", "5 0 0") + Facet("0 0 0", "5 0 0", "0 5 0") + "endsolid two\n";
}

// The same faces both wound (0, 2, 1): both face away from the viewer.
std::string Back_Faces_Stl() {
  return "solid back\n" + Facet("0 0 0", "5 0 0", "0 5 0") + Facet("0 0 0", "5 0 0", "0 5 0") + "endsolid back\n";
}

std::string Two_Faces_Ply() {
  return "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
         "element face 2\nproperty list uchar int vertex_indices\nend_header\n"
         "0 0 0\n0 5 0\n5 0 0\n3 0 1 2\n3 0 2 1\n";
}

std::string Bas(const std::string& counts, const std::string& points, const std::string& faces) {
  return "10'Number of Faces and Number of Points\r\n11 data " + counts + "\r\n12'Points from the 3D Object\r\n13 data " +
         points + "\r\n14'Faces from the 3D Object\r\n15 data " + faces + "\r\n";
}

std::string Two_Faces_Bas() { return Bas("1,2", "0.0,0.0,0.0,0.0,5.0,0.0,5.0,0.0,0.0", "0,1,2,0,2,1"); }

// Files long enough for the readers to report progress, which they do every
// 16,384 lines they look at (the STL reader looks at 3 of a facet's 7 lines)
// and the merge every 1,048,576 points.

// A strip of `facets` triangles along X.
std::string Strip_Stl(int facets) {
  std::string text = "solid strip\n";
  for (int i = 0; i < facets; ++i) {
    std::string x = std::to_string(i), next = std::to_string(i + 1);
    text += Facet((x + " 0 0").c_str(), (next + " 0 0").c_str(), (x + " 1 0").c_str());
  }
  return text + "endsolid strip\n";
}

// `vertices` vertex lines, then two faces.
std::string Points_Ply(int vertices) {
  std::string text = "ply\nformat ascii 1.0\nelement vertex " + std::to_string(vertices) +
                     "\nproperty float x\nproperty float y\nproperty float z\nelement face 2\n"
                     "property list uchar int vertex_indices\nend_header\n";
  for (int i = 0; i < vertices; ++i) text += std::to_string(i % 1000) + " 0 0\n";
  return text + "3 0 1 2\n3 0 2 1\n";
}

// `points` points, one a data line, then two faces.
std::string Points_Bas(int points) {
  std::string text = "10'Number of Faces and Number of Points\r\n11 data 1," + std::to_string(points - 1) +
                     "\r\n12'Points from the 3D Object\r\n";
  for (int i = 0; i < points; ++i) text += std::to_string(13 + i) + " data " + std::to_string(i % 1000) + ".0,0.0,0.0\r\n";
  return text + "30000'Faces from the 3D Object\r\n30001 data 0,1,2,0,2,1\r\n";
}

const std::vector<Seg> kFirstFace = {{200, 200, 200, 300}, {200, 300, 300, 200}};
const std::vector<Seg> kBothFaces = {{200, 200, 200, 300}, {200, 300, 300, 200}, {200, 200, 300, 200},
                                     {300, 200, 200, 300}};

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    // Unique per process too: the normal and the sanitizer build may run at once.
    root_ = fs::path(::testing::TempDir()) / ("commands_" + std::to_string(::getpid()));
    dir_ = root_ / (std::string(test->test_suite_name()) + "_" + test->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    commands.Start_Up();
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Write(const std::string& name, const std::string& text) {
    fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Runs an open command with the dialog answering `path`.
  void Open_Stl(const std::string& path) {
    window.answers.push_back(path);
    commands.Open_Stl();
  }
  void Open_Ply(const std::string& path) {
    window.answers.push_back(path);
    commands.Open_Ply();
  }
  void Open_Bas(const std::string& path) {
    window.answers.push_back(path);
    commands.Open_Bas();
  }
  void Save(const std::string& path) {
    window.answers.push_back(path);
    commands.Save();
  }
  // A 400 x 400 drawing area puts the centre at (200, 200).
  void Use_Drawing_Area_400() {
    window.width = 400;
    window.height = 400;
    commands.Start_Up();
  }
  const MeshStore& Store() const { return commands.Store(); }
  std::string Caption(Label label) { return window.captions[label]; }

  Recording_Window window;
  App_Commands commands{window};
  fs::path root_;
  fs::path dir_;
};

TEST_F(CommandsTest, StartUpTakesTheViewFromTheBarsAndDrawsNothing) {
  EXPECT_FALSE(Store().Object_Loaded);
  EXPECT_TRUE(Store().Show_Normal);
  EXPECT_EQ(Store().Angle_X, 0.0f);
  EXPECT_EQ(Store().Angle_Y, 0.0f);
  EXPECT_EQ(Store().Angle_Z, 0.0f);
  EXPECT_EQ(Store().Zoom, 1);
  EXPECT_EQ(Store().Center_X, 240.0f);  // 481 / 2, rounded down
  EXPECT_EQ(Store().Center_Y, 236);     // 473 / 2, rounded down
  EXPECT_EQ(window.clears + window.draws, 0);
  EXPECT_EQ(Caption(Label::Lbl_Zoom), "0");  // stays until the first redraw, although Zoom is 1
  EXPECT_TRUE(window.dialogs.empty());
  EXPECT_TRUE(window.messages.empty());

  window.values = {{Scroll_Bar::HScroll_X, 45}, {Scroll_Bar::HScroll_Y, 10}, {Scroll_Bar::HScroll_Z, 300},
                   {Scroll_Bar::HScroll_Zoom, 5}};
  commands.Start_Up();
  EXPECT_EQ(Store().Angle_X, 45.0f);
  EXPECT_EQ(Store().Angle_Y, 10.0f);
  EXPECT_EQ(Store().Angle_Z, 300.0f);
  EXPECT_EQ(Store().Zoom, 5);
}

// The last three characters of the name, in any case, choose whether it is
// read; a refused name ends the command silently with Cmd_Save disabled.
struct Name_Case {
  const char* name;
  bool accepted;
};

void PrintTo(const Name_Case& c, std::ostream* out) { *out << '"' << c.name << '"'; }

class StlNameTest : public CommandsTest, public ::testing::WithParamInterface<Name_Case> {};

TEST_P(StlNameTest, AcceptsTheNameByItsLastThreeLetters) {
  const Name_Case& c = GetParam();
  std::string path = c.name[0] ? Write(c.name, Cube_Stl()) : "";
  auto captions_before = window.captions;
  Open_Stl(path);

  ASSERT_EQ(window.dialogs.size(), 1u);
  EXPECT_EQ(window.dialogs[0].first, "STL (*.stl)|*.stl");
  EXPECT_EQ(window.dialogs[0].second, Dialog_Mode::Open);
  EXPECT_EQ(Store().File_Input, path);  // kept even when refused
  EXPECT_TRUE(window.messages.empty());
  if (c.accepted) {
    EXPECT_EQ(Caption(Label::Lbl_File_Input), path);
    EXPECT_TRUE(Store().Object_Loaded);
    EXPECT_TRUE(window.enabled[Button::Cmd_Save]);
  } else {
    EXPECT_EQ(window.captions, captions_before);
    EXPECT_FALSE(Store().Object_Loaded);
    EXPECT_FALSE(window.enabled[Button::Cmd_Save]);
    EXPECT_EQ(window.clears + window.draws, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Names, StlNameTest,
                         ::testing::Values(Name_Case{"cube.STL", true}, Name_Case{"cube.stl", true},
                                           Name_Case{"cube.Stl", true}, Name_Case{"mystl", true},
                                           Name_Case{"cube.stla", false}, Name_Case{"cube.ply", false},
                                           Name_Case{"", false}),
                         [](const auto& info) {
                           std::string name = info.param.name[0] ? info.param.name : "cancelled";
                           for (char& ch : name)
                             if (ch == '.') ch = '_';
                           return name;
                         });

TEST_F(CommandsTest, EachOpenCommandAsksWithItsOwnFilterAndRefusesTheOthersNames) {
  std::string stl = Write("cube.stl", Cube_Stl());
  Open_Ply(stl);
  Open_Bas(stl);
  ASSERT_EQ(window.dialogs.size(), 2u);
  EXPECT_EQ(window.dialogs[0].first, "PLY (*.ply)|*.ply");
  EXPECT_EQ(window.dialogs[1].first, "BAS (*.bas)|*.bas");
  EXPECT_EQ(window.dialogs[1].second, Dialog_Mode::Open);
  EXPECT_FALSE(Store().Object_Loaded);
  EXPECT_EQ(Caption(Label::Lbl_File_Input), "");
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(CommandsTest, StlCubeShowsItsCountsAndDrawsEveryFace) {
  std::string path = Write("cube.stl", Cube_Stl());
  Open_Stl(path);
  EXPECT_EQ(Caption(Label::Lbl_Nb_Faces_Normal), "11");
  EXPECT_EQ(Caption(Label::Lbl_Nb_Pts_Normal), "35");
  EXPECT_EQ(Caption(Label::Lbl_Nb_Pts_Optimized), "7");
  EXPECT_EQ(Caption(Label::Lbl_Meshe), "Normal Meshe");
  EXPECT_EQ(Caption(Label::Lbl_File_Input), path);
  EXPECT_TRUE(window.enabled[Button::Cmd_Normal_Meshe]);
  EXPECT_TRUE(window.enabled[Button::Cmd_Save]);
  // The redraw shows the bars' values; the normal view draws all 12 faces,
  // back faces included, as two segments each.
  EXPECT_EQ(Caption(Label::Lbl_Angle_X), "0");
  EXPECT_EQ(Caption(Label::Lbl_Zoom), "1");
  EXPECT_EQ(window.picture.size(), 24u);
  EXPECT_TRUE(window.messages.empty());

  commands.Show_Optimized_Mesh();
  EXPECT_EQ(Caption(Label::Lbl_Meshe), "Optimized Meshe");
  EXPECT_FALSE(Store().Show_Normal);
  // Seen face-on: the two far triangles are culled, the eight side triangles
  // lie edge-on (their corners on one line) and pass.
  EXPECT_EQ(window.picture.size(), 20u);

  // Another STL open brings the normal mesh back.
  Open_Stl(path);
  EXPECT_TRUE(Store().Show_Normal);
  EXPECT_EQ(Caption(Label::Lbl_Meshe), "Normal Meshe");
  EXPECT_EQ(window.picture.size(), 24u);
}

TEST_F(CommandsTest, CancelledOpenKeepsTheObjectButLeavesSaveDisabled) {
  std::string path = Write("cube.stl", Cube_Stl());
  Open_Stl(path);
  auto picture = window.picture;
  auto captions = window.captions;
  int clears = window.clears;

  Open_Stl("");
  EXPECT_FALSE(window.enabled[Button::Cmd_Save]);
  EXPECT_TRUE(Store().Object_Loaded);
  EXPECT_EQ(window.captions, captions);  // the path caption still shows the earlier file
  EXPECT_EQ(window.picture, picture);
  EXPECT_EQ(window.clears, clears);
  EXPECT_TRUE(window.messages.empty());

  // The bars still turn the kept object.
  window.values[Scroll_Bar::HScroll_X] = 90;
  commands.View_Change();
  EXPECT_EQ(Caption(Label::Lbl_Angle_X), "90");
  EXPECT_EQ(window.picture.size(), 24u);
  EXPECT_FALSE(window.enabled[Button::Cmd_Save]);

  Open_Stl(path);
  EXPECT_TRUE(window.enabled[Button::Cmd_Save]);
}

// Memory running out is a message, never the end of the program: a read
// that runs out never reaches the store, so the earlier object stays with
// its file, counters, picture and saving; a redraw that runs out clears the
// picture. Either way the window goes on working.
TEST_F(CommandsTest, MemoryRunningOutIsAMessageAndTheWindowGoesOn) {
  const std::string cube = Write("cube.stl", Cube_Stl());
  const std::string two = Write("two.stl", Two_Faces_Stl());
  Open_Stl(cube);
  const auto captions = window.captions;
  const auto picture = window.picture;

  window.no_memory_to_read = true;
  Open_Stl(two);
  window.no_memory_to_read = false;
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages.back(), (std::pair<std::string, std::string>{"Not enough memory to read " + two, "E.R.R.O.R"}));
  EXPECT_EQ(window.captions, captions);
  EXPECT_EQ(window.picture, picture);
  EXPECT_TRUE(window.enabled[Button::Cmd_Save]);
  EXPECT_EQ(Store().File_Input, cube);
  EXPECT_EQ(Store().Nb_Faces, 11);

  window.no_memory_to_draw = true;
  window.values[Scroll_Bar::HScroll_X] = 30;
  commands.View_Change();
  window.no_memory_to_draw = false;
  ASSERT_EQ(window.messages.size(), 2u);
  EXPECT_EQ(window.messages.back(), (std::pair<std::string, std::string>{"Not enough memory to draw the preview", "E.R.R.O.R"}));
  EXPECT_TRUE(window.picture.empty());

  Open_Stl(two);
  EXPECT_EQ(Caption(Label::Lbl_Nb_Faces_Normal), "1");
  EXPECT_FALSE(window.picture.empty());
  EXPECT_EQ(window.messages.size(), 2u);
}

// Opening a FIFO that has no writer would wait for one: the open commands
// refuse anything but a regular file before reading a byte.
TEST_F(CommandsTest, OpenRefusesAFifoWithoutWaitingForAWriter) {
  const std::string fifo = Path("pipe.stl");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  Open_Stl(fifo);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].first, "Cannot open file: " + fifo + " (not a regular file)");
  EXPECT_FALSE(Store().Object_Loaded);
  EXPECT_FALSE(window.enabled[Button::Cmd_Save]);
}

TEST_F(CommandsTest, BeforeAnyLoadTheMeshButtonsAndBarsDrawNothing) {
  commands.Show_Optimized_Mesh();
  EXPECT_FALSE(Store().Show_Normal);
  EXPECT_EQ(Caption(Label::Lbl_Meshe), "Optimized Meshe");
  commands.Show_Normal_Mesh();
  EXPECT_TRUE(Store().Show_Normal);
  EXPECT_EQ(Caption(Label::Lbl_Meshe), "Normal Meshe");

  window.values[Scroll_Bar::HScroll_Y] = 120;
  window.values[Scroll_Bar::HScroll_Zoom] = 7;
  commands.View_Change();
  EXPECT_EQ(Caption(Label::Lbl_Angle_Y), "0");
  EXPECT_EQ(Caption(Label::Lbl_Zoom), "0");
  EXPECT_EQ(Store().Zoom, 1);
  EXPECT_EQ(window.clears + window.draws, 0);
}

TEST_F(CommandsTest, RedrawShowsTheBarValuesWithoutBlanks) {
  Open_Stl(Write("cube.stl", Cube_Stl()));
  window.values = {{Scroll_Bar::HScroll_X, 45}, {Scroll_Bar::HScroll_Y, 0}, {Scroll_Bar::HScroll_Z, 300},
                   {Scroll_Bar::HScroll_Zoom, 5}};
  commands.View_Change();
  EXPECT_EQ(Caption(Label::Lbl_Angle_X), "45");
  EXPECT_EQ(Caption(Label::Lbl_Angle_Y), "0");
  EXPECT_EQ(Caption(Label::Lbl_Angle_Z), "300");
  EXPECT_EQ(Caption(Label::Lbl_Zoom), "5");
  EXPECT_EQ(Store().Angle_Z, 300.0f);
  EXPECT_EQ(Store().Zoom, 5);
}

// Each face is two segments, A-B and B-C; the optimized view drops the face
// that turns its back.
TEST_F(CommandsTest, TwoFacesOverThreePointsDrawAsTheirSegments) {
  Use_Drawing_Area_400();
  window.values[Scroll_Bar::HScroll_Zoom] = 20;
  Open_Stl(Write("two.stl", Two_Faces_Stl()));
  EXPECT_EQ(window.picture, kBothFaces);

  int clears = window.clears;
  commands.Show_Optimized_Mesh();
  EXPECT_EQ(window.picture, kFirstFace);
  EXPECT_EQ(window.clears, clears + 1);  // the picture is rebuilt, not added to

  commands.Show_Normal_Mesh();
  EXPECT_EQ(window.picture, kBothFaces);
}

TEST_F(CommandsTest, CullingEveryFaceClearsThePictureAndStillSetsTheCaptions) {
  Open_Stl(Write("back.stl", Back_Faces_Stl()));
  EXPECT_EQ(window.picture.size(), 4u);
  window.values[Scroll_Bar::HScroll_Zoom] = 3;
  commands.Show_Optimized_Mesh();
  EXPECT_TRUE(window.picture.empty());
  EXPECT_EQ(Store().Nb_Faces_Visible, -1);
  EXPECT_EQ(Caption(Label::Lbl_Zoom), "3");
}

TEST_F(CommandsTest, PlyOpenDrawsTheNormalMesh) {
  Use_Drawing_Area_400();
  window.values[Scroll_Bar::HScroll_Zoom] = 20;
  std::string path = Write("two.ply", Two_Faces_Ply());
  Open_Ply(path);
  ASSERT_TRUE(window.messages.empty()) << window.messages[0].first;
  EXPECT_EQ(window.dialogs.back().first, "PLY (*.ply)|*.ply");
  EXPECT_EQ(Caption(Label::Lbl_File_Input), path);
  EXPECT_EQ(Caption(Label::Lbl_Nb_Faces_Normal), "1");
  EXPECT_EQ(Caption(Label::Lbl_Nb_Pts_Normal), "2");
  EXPECT_EQ(Caption(Label::Lbl_Nb_Pts_Optimized), "2");
  EXPECT_EQ(Caption(Label::Lbl_Meshe), "Normal Meshe");
  EXPECT_EQ(window.picture, kBothFaces);
  EXPECT_TRUE(window.enabled[Button::Cmd_Normal_Meshe]);
  EXPECT_TRUE(window.enabled[Button::Cmd_Save]);
}

TEST_F(CommandsTest, BasOpenShowsTheOptimizedMeshAndOffersNoNormalMesh) {
  Use_Drawing_Area_400();
  window.values[Scroll_Bar::HScroll_Zoom] = 20;
  Open_Stl(Write("cube.stl", Cube_Stl()));
  Open_Bas(Write("two.bas", Two_Faces_Bas()));
  ASSERT_TRUE(window.messages.empty()) << window.messages[0].first;
  EXPECT_EQ(Caption(Label::Lbl_Meshe), "Optimized Meshe");
  EXPECT_FALSE(Store().Show_Normal);
  EXPECT_FALSE(window.enabled[Button::Cmd_Normal_Meshe]);
  EXPECT_TRUE(window.enabled[Button::Cmd_Save]);
  EXPECT_EQ(Caption(Label::Lbl_Nb_Faces_Normal), "1");
  // The file's points are its only points: the earlier cube's 35 is not shown.
  EXPECT_EQ(Caption(Label::Lbl_Nb_Pts_Normal), "2");
  EXPECT_EQ(Caption(Label::Lbl_Nb_Pts_Optimized), "2");
  EXPECT_EQ(Store().Nb_Pts_Normal, 35);  // the normal mesh is left as it was
  EXPECT_EQ(window.picture, kFirstFace);

  // An STL or PLY open offers the normal mesh again.
  Open_Ply(Write("two.ply", Two_Faces_Ply()));
  EXPECT_TRUE(window.enabled[Button::Cmd_Normal_Meshe]);
  EXPECT_EQ(Caption(Label::Lbl_Meshe), "Normal Meshe");
}

TEST_F(CommandsTest, FacesOutsideThePointsAreSkippedInTheDrawing) {
  Use_Drawing_Area_400();
  window.values[Scroll_Bar::HScroll_Zoom] = 20;
  Open_Bas(Write("bad.bas", Bas("2,2", "0.0,0.0,0.0,0.0,5.0,0.0,5.0,0.0,0.0", "0,1,2,0,1,9,-1,0,1")));
  EXPECT_EQ(window.picture, kFirstFace);
}

// A read that does not succeed leaves nothing to draw or save: the picture
// is cleared, Cmd_Save stays disabled, the counts show what the read left,
// and the bars and mesh buttons draw nothing until an open succeeds.
struct Failed_Read_Case {
  const char* name;
  const char* file;     // written to the test folder; "" names a file that is not there
  const char* command;  // "stl", "ply" or "bas"
  const char* message;  // the message titled "E.R.R.O.R", or "" for none
};

void PrintTo(const Failed_Read_Case& c, std::ostream* out) { *out << c.name; }

class FailedReadTest : public CommandsTest, public ::testing::WithParamInterface<Failed_Read_Case> {};

TEST_P(FailedReadTest, LeavesNothingToDrawOrSave) {
  const Failed_Read_Case& c = GetParam();
  Open_Stl(Write("cube.stl", Cube_Stl()));
  ASSERT_EQ(window.picture.size(), 24u);

  std::string path = Path(c.name);
  if (c.file[0]) Write(c.name, c.file);
  std::string command = c.command;
  if (command == "stl") Open_Stl(path);
  if (command == "ply") Open_Ply(path);
  if (command == "bas") Open_Bas(path);

  std::string expected_message = c.message;
  if (expected_message == "<cannot open>") expected_message = "Cannot open file: " + path;
  if (expected_message.empty()) {
    EXPECT_TRUE(window.messages.empty());
  } else {
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].first, expected_message);
    EXPECT_EQ(window.messages[0].second, "E.R.R.O.R");
  }
  EXPECT_FALSE(Store().Object_Loaded);
  EXPECT_TRUE(window.picture.empty());
  EXPECT_FALSE(window.enabled[Button::Cmd_Save]);
  EXPECT_EQ(Caption(Label::Lbl_File_Input), path);
  EXPECT_EQ(Caption(Label::Lbl_Nb_Faces_Normal), std::to_string(Store().Nb_Faces));
  // No counter shows the earlier cube's points: a read that failed before
  // its merge made no optimized mesh (-1, no last index).
  EXPECT_EQ(Caption(Label::Lbl_Nb_Pts_Optimized), command == "bas" ? std::to_string(Store().Nb_Pts_Optimized) : "-1");
  EXPECT_EQ(Caption(Label::Lbl_Nb_Pts_Normal),
            std::to_string(command == "bas" ? Store().Nb_Pts_Optimized : Store().Nb_Pts_Normal));

  int paints = window.clears + window.draws;
  window.values[Scroll_Bar::HScroll_X] = 30;
  commands.View_Change();
  commands.Show_Optimized_Mesh();
  commands.Show_Normal_Mesh();
  EXPECT_EQ(window.clears + window.draws, paints);
  EXPECT_EQ(Caption(Label::Lbl_Angle_X), "0");

  Open_Stl(Write("again.stl", Cube_Stl()));
  EXPECT_EQ(window.picture.size(), 24u);
  EXPECT_TRUE(window.enabled[Button::Cmd_Save]);
}

INSTANTIATE_TEST_SUITE_P(
    Reads, FailedReadTest,
    ::testing::Values(
        Failed_Read_Case{"missing.stl", "", "stl", "<cannot open>"},
        Failed_Read_Case{"empty.stl", "solid nothing\nendsolid nothing\n", "stl", ""},
        Failed_Read_Case{"one.stl", "solid one\n  facet normal 0 0 1\n    outer loop\n      vertex 0 0 0\n"
                                    "      vertex 1 0 0\n      vertex 0 1 0\n    endloop\n  endfacet\nendsolid\n",
                         "stl", ""},
        Failed_Read_Case{"missing.ply", "", "ply", "<cannot open>"},
        Failed_Read_Case{"short.ply",
                         "ply\nformat ascii 1.0\nelement vertex 3\nelement face 2\nend_header\n0 0 0\n", "ply", ""},
        Failed_Read_Case{"missing.bas", "", "bas", "<cannot open>"},
        Failed_Read_Case{"empty.bas", "10'Number of Faces and Number of Points\r\n11 data -1,-1\r\n", "bas",
                         "Wrong number of Faces or Points"},
        Failed_Read_Case{"zero.bas", "10'Number of Faces and Number of Points\r\n11 data 0,0\r\n", "bas",
                         "Wrong number of Faces or Points"}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name)
        if (ch == '.') ch = '_';
      return name;
    });

// The progress of a read goes to the window's dialog: opened before the
// read, one update per stage change and every so many lines, each percent at
// or above the one before, closed before anything is drawn.
void Expect_Progress_In_Order(const Recording_Window& window) {
  ASSERT_GE(window.progress.size(), 2u);
  EXPECT_EQ(window.progress.front().first, "begin");
  EXPECT_EQ(window.progress.back().first, "end");
  EXPECT_EQ(std::count_if(window.progress.begin(), window.progress.end(),
                          [](const auto& call) { return call.first == "begin" || call.first == "end"; }),
            2);
  EXPECT_FALSE(window.updates_outside);
  EXPECT_EQ(window.painted_while_open, 0);
  int last = 0;
  for (size_t i = 1; i + 1 < window.progress.size(); ++i) {
    const auto& [stage, percent] = window.progress[i];
    EXPECT_GE(percent, last) << stage;
    EXPECT_LE(percent, 100) << stage;
    last = percent;
  }
}

// The stages of an update list, each once, in the order first reported.
std::vector<std::string> Stages(const Recording_Window& window) {
  std::vector<std::string> stages;
  for (size_t i = 1; i + 1 < window.progress.size(); ++i)
    if (stages.empty() || stages.back() != window.progress[i].first) stages.push_back(window.progress[i].first);
  return stages;
}

TEST_F(CommandsTest, OpenReportsEachStageOfTheReadThenDraws) {
  Open_Stl("");
  EXPECT_TRUE(window.progress.empty());  // a refused name reads nothing

  Open_Stl(Write("strip.stl", Strip_Stl(12000)));
  ASSERT_TRUE(Store().Object_Loaded);
  Expect_Progress_In_Order(window);
  EXPECT_EQ(Stages(window), (std::vector<std::string>{"Reading facets"}));
  EXPECT_EQ(window.progress[1], (std::pair<std::string, int>{"Reading facets", 0}));
  for (const auto& [stage, percent] : window.progress) {
    if (stage == "Reading facets") {
      EXPECT_TRUE(percent >= 0 && percent <= 80) << percent;
    }
  }
  EXPECT_EQ(window.picture.size(), 24000u);
  EXPECT_TRUE(window.enabled[Button::Cmd_Save]);
}

// Cancelling the dialog at any stage of any reader ends the read at once and
// leaves the window as a failed read does, without a message.
struct Cancel_Case {
  const char* name;
  const char* command;  // "stl", "ply" or "bas"
  std::string (*file)();
  const char* stage;  // where the user cancels
  int from = 0;       // once the stage has reached this percent
};

void PrintTo(const Cancel_Case& c, std::ostream* out) { *out << c.name; }

class CancelTest : public CommandsTest, public ::testing::WithParamInterface<Cancel_Case> {};

TEST_P(CancelTest, KeepsTheEarlierObjectAndShowsNoMessage) {
  const Cancel_Case& c = GetParam();
  std::string cube = Write("cube.stl", Cube_Stl());
  Open_Stl(cube);
  ASSERT_EQ(window.picture.size(), 24u);
  const auto captions = window.captions;
  const auto picture = window.picture;
  const std::string path = Write(c.name, c.file());
  window.progress.clear();
  window.cancel_at = c.stage;
  window.cancel_from = c.from;
  const std::string command = c.command;
  if (command == "stl") Open_Stl(path);
  if (command == "ply") Open_Ply(path);
  if (command == "bas") Open_Bas(path);

  Expect_Progress_In_Order(window);
  // The update that answered "cancel" was the read's last.
  ASSERT_GE(window.progress.size(), 3u);
  EXPECT_EQ(window.progress[window.progress.size() - 2].first, c.stage);
  EXPECT_TRUE(window.messages.empty());
  // As if the open had not started: the cube, its captions, its picture.
  EXPECT_TRUE(Store().Object_Loaded);
  EXPECT_EQ(Store().File_Input, cube);
  EXPECT_EQ(Store().Nb_Faces, 11);
  EXPECT_EQ(window.captions, captions);
  EXPECT_EQ(window.picture, picture);
  EXPECT_TRUE(window.enabled[Button::Cmd_Save]);

  // The bars go on turning the cube.
  window.values[Scroll_Bar::HScroll_X] = 30;
  commands.View_Change();
  EXPECT_EQ(Caption(Label::Lbl_Angle_X), "30");
  EXPECT_EQ(window.picture.size(), 24u);
}

INSTANTIATE_TEST_SUITE_P(
    Stages, CancelTest,
    ::testing::Values(Cancel_Case{"first_report.stl", "stl", [] { return Strip_Stl(10); }, "Reading facets"},
                      Cancel_Case{"reading.stl", "stl", [] { return Strip_Stl(12000); }, "Reading facets", 1},
                      Cancel_Case{"reading.ply", "ply", [] { return Points_Ply(20000); }, "Reading"},
                      // Enough points for the merge to report once.
                      Cancel_Case{"merging.ply", "ply", [] { return Points_Ply(1 << 20); }, "Merging points"},
                      Cancel_Case{"reading.bas", "bas", [] { return Points_Bas(20000); }, "Reading"}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name)
        if (ch == '.') ch = '_';
      return name;
    });

// Start and step: the nearest integer, half-way to even, blanks ignored, no
// leading number reading as 0.
struct Numbering_Case {
  const char* name;
  const char* start_text;
  const char* step_text;
  int start;
  int step;
};

void PrintTo(const Numbering_Case& c, std::ostream* out) { *out << c.name; }

class SaveNumberingTest : public CommandsTest, public ::testing::WithParamInterface<Numbering_Case> {};

TEST_P(SaveNumberingTest, NumbersTheFileFromTheTwoTextBoxes) {
  const Numbering_Case& c = GetParam();
  Open_Stl(Write("cube.stl", Cube_Stl()));
  window.texts[Text_Box::Txt_Basic_Start] = c.start_text;
  window.texts[Text_Box::Txt_Basic_Line_Step] = c.step_text;
  std::string out = Path("cube.bas");
  Save(out);

  ASSERT_EQ(window.dialogs.back().first, "BAS (*.bas)|*.bas");
  EXPECT_EQ(window.dialogs.back().second, Dialog_Mode::Save);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0], (std::pair<std::string, std::string>{"Basic File Saved", "Saving OK"}));
  EXPECT_EQ(Store().File_Output, out);
  EXPECT_EQ(Caption(Label::Lbl_File_Output), out);
  EXPECT_EQ(Store().Basic_Step, c.step);
  std::string text = Read(out);
  std::string first_lines = std::to_string(c.start) + "'Number of Faces and Number of Points\r\n" +
                            std::to_string(c.start + c.step) + " data 11,7\r\n";
  EXPECT_EQ(text.substr(0, first_lines.size()), first_lines);
}

INSTANTIATE_TEST_SUITE_P(Texts, SaveNumberingTest,
                         ::testing::Values(Numbering_Case{"TenByOne", "10", "1", 10, 1},
                                           Numbering_Case{"HalfToEvenDown", "12.5", "1", 12, 1},
                                           Numbering_Case{"HalfToEvenUp", "13.5", "1", 14, 1},
                                           Numbering_Case{"LeadingBlank", " 20", "1", 20, 1},
                                           Numbering_Case{"NoNumber", "abc", "1", 0, 1},
                                           Numbering_Case{"Empty", "", "1", 0, 1},
                                           Numbering_Case{"StepRounded", "100", "2.5", 100, 2},
                                           Numbering_Case{"Negative", "-5", "10", -5, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandsTest, SaveWithNoFileNameWritesNothing) {
  Open_Stl(Write("cube.stl", Cube_Stl()));
  Save(Path("first.bas"));
  window.messages.clear();

  Save("");
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0], (std::pair<std::string, std::string>{"Wrong file name", "E.R.R.O.R"}));
  EXPECT_EQ(Store().File_Output, "");
  EXPECT_EQ(Caption(Label::Lbl_File_Output), Path("first.bas"));  // keeps its caption
  EXPECT_TRUE(window.enabled[Button::Cmd_Save]);                  // save changes no button
  int files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_)) ++files;
  EXPECT_EQ(files, 2);  // cube.stl and first.bas
}

// Save proposes the input's name with .bas in the input's folder (an open
// proposes nothing), and completes a name chosen without an extension.
TEST_F(CommandsTest, SaveProposesTheInputsBasNameAndAddsBasToABareName) {
  fs::create_directories(dir_ / "scans.v2");
  Open_Ply(Write("scans.v2/wing.ply", Two_Faces_Ply()));
  EXPECT_EQ(window.proposals.back(), "");
  Save(Path("scans.v2/left"));
  EXPECT_EQ(window.proposals.back(), Path("scans.v2/wing.bas"));
  EXPECT_EQ(Store().File_Output, Path("scans.v2/left.bas"));
  EXPECT_EQ(Caption(Label::Lbl_File_Output), Path("scans.v2/left.bas"));
  EXPECT_EQ(Read(Path("scans.v2/left.bas")).substr(0, 3), "10'");
  EXPECT_FALSE(fs::exists(Path("scans.v2/left")));

  Save(Path("scans.v2/left.txt"));
  EXPECT_EQ(Store().File_Output, Path("scans.v2/left.txt"));
  EXPECT_TRUE(fs::exists(Path("scans.v2/left.txt")));
}

// A failed save says why, titled "E.R.R.O.R", and never "Basic File Saved";
// a file that was there stays as it was.
struct Failed_Save_Case {
  const char* name;
  const char* start_text;
  const char* step_text;
  bool folder_missing;
  const char* message;
};

void PrintTo(const Failed_Save_Case& c, std::ostream* out) { *out << c.name; }

class FailedSaveTest : public CommandsTest, public ::testing::WithParamInterface<Failed_Save_Case> {};

TEST_P(FailedSaveTest, ShowsWhyAndKeepsTheOldFile) {
  const Failed_Save_Case& c = GetParam();
  Open_Stl(Write("cube.stl", Cube_Stl()));
  // The output label names the last file written, never one that was not.
  Save(Path("earlier.bas"));
  ASSERT_EQ(Caption(Label::Lbl_File_Output), Path("earlier.bas"));
  window.messages.clear();
  std::string out = c.folder_missing ? Path("no such folder/cube.bas") : Write("cube.bas", "old text\r\n");
  window.texts[Text_Box::Txt_Basic_Start] = c.start_text;
  window.texts[Text_Box::Txt_Basic_Line_Step] = c.step_text;
  Save(out);

  ASSERT_EQ(window.messages.size(), 1u);
  std::string expected = c.message;
  if (expected == "<cannot write>") expected = "Cannot write file: " + out;
  if (expected == "<step below one>") expected = kStep_Below_One;
  EXPECT_EQ(window.messages[0].first, expected);
  EXPECT_EQ(window.messages[0].second, "E.R.R.O.R");
  if (c.folder_missing)
    EXPECT_FALSE(fs::exists(out));
  else
    EXPECT_EQ(Read(out), "old text\r\n");
  EXPECT_EQ(Caption(Label::Lbl_File_Output), Path("earlier.bas"));
}

INSTANTIATE_TEST_SUITE_P(
    Saves, FailedSaveTest,
    ::testing::Values(
        Failed_Save_Case{"StartOutOfRange", "40000", "1", false,
                         "Basic Line Start and Step must lie between -32768 and 32767"},
        Failed_Save_Case{"StepOutOfRange", "10", "-32769", false,
                         "Basic Line Start and Step must lie between -32768 and 32767"},
        // 32760 + 10 already passes 32767 on the second line.
        Failed_Save_Case{"LineNumbersRunOut", "32760", "10", false, "Too many lines for the BASIC line numbers"},
        Failed_Save_Case{"FolderMissing", "10", "1", true, "<cannot write>"},
        // A step below 1 numbers lines alike or downward: no BASIC reads
        // that file back in order.
        Failed_Save_Case{"StepZero", "10", "0", false, "<step below one>"},
        Failed_Save_Case{"StepRoundingToZero", "10", "0.5", false, "<step below one>"},
        Failed_Save_Case{"StepNegative", "100", "-1", false, "<step below one>"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
