// The application commands driven through a recording stand-in for the
// window, for what the real window's tests cannot reach: the store behind
// the window, the names each open command takes, memory running out, and
// the progress of a read and its cancelling at every stage of every reader.
// What the window shows after clicks, saves and bad files is checked
// through the real window.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <unistd.h>

#include "controller/app_commands.h"

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
  // Memory runs out inside a read (at its next progress update), or once
  // while a redraw begins, before the old picture is cleared.
  bool no_memory_to_read = false;
  bool no_memory_to_draw = false;

  void Set_Caption(Label label, std::string_view text) override { captions[label] = std::string(text); }
  void Enable_Button(Button button, bool on) override { enabled[button] = on; }
  std::string Read_Text(Text_Box box) override { return texts[box]; }
  int Read_Value(Scroll_Bar bar) override { return values[bar]; }
  int Drawing_Width() override { return width; }
  int Drawing_Height() override { return height; }
  void Clear_Picture() override {
    if (std::exchange(no_memory_to_draw, false)) throw std::bad_alloc();
    painted_while_open += progress_open;
    picture.clear();
    ++clears;
  }
  void Draw_Segments(std::span<const Segment> segments) override {
    painted_while_open += progress_open;
    ++draws;
    for (const Segment& s : segments) picture.emplace_back(s.From.X, s.From.Y, s.To.X, s.To.Y);
  }
  std::string Choose_File(std::string_view filter, Dialog_Mode mode, std::string_view) override {
    dialogs.emplace_back(std::string(filter), mode);
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

// Two faces over (0, 0, 0), (5, 0, 0), (0, 5, 0), both facing away from the viewer.
std::string Back_Faces_Stl() {
  return "solid back\n" + Facet("0 0 0", "5 0 0", "0 5 0") + Facet("0 0 0", "5 0 0", "0 5 0") + "endsolid back\n";
}

// Meshes of any size; the long ones make the readers report progress, which
// they do every 16,384 lines they look at (the STL reader looks at 3 of a
// facet's 7 lines) and the merge every 1,048,576 points.

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
  // Runs the open command "stl", "ply" or "bas" with the dialog answering `path`.
  void Open(const std::string& command, const std::string& path) {
    window.answers.push_back(path);
    if (command == "stl") commands.Open_Stl();
    if (command == "ply") commands.Open_Ply();
    if (command == "bas") commands.Open_Bas();
  }
  const MeshStore& Store() const { return commands.Store(); }
  std::string Caption(Label label) { return window.captions[label]; }

  Recording_Window window;
  App_Commands commands{window};
  fs::path root_;
  fs::path dir_;
};

// Each open command asks with its own filter and reads a name ending in its
// three letters, in any case; any other name, or a cancelled dialog, ends the
// command silently with Cmd_Save disabled, the name kept in the store.
struct Name_Case {
  const char* command;
  const char* name;
  bool accepted;
};

void PrintTo(const Name_Case& c, std::ostream* out) { *out << c.command << " \"" << c.name << '"'; }

class OpenNameTest : public CommandsTest, public ::testing::WithParamInterface<Name_Case> {};

TEST_P(OpenNameTest, ReadsOnlyANameEndingInItsOwnThreeLetters) {
  const Name_Case& c = GetParam();
  const std::map<std::string, std::pair<std::string, std::string>> kinds = {
      {"stl", {"STL (*.stl)|*.stl", Strip_Stl(2)}},
      {"ply", {"PLY (*.ply)|*.ply", Points_Ply(3)}},
      {"bas", {"BAS (*.bas)|*.bas", Points_Bas(3)}}};
  const auto& [filter, content] = kinds.at(c.command);
  const std::string path = c.name[0] ? Write(c.name, content) : "";
  const auto captions_before = window.captions;
  Open(c.command, path);

  ASSERT_EQ(window.dialogs.size(), 1u);
  EXPECT_EQ(window.dialogs[0].first, filter);
  EXPECT_EQ(window.dialogs[0].second, Dialog_Mode::Open);
  EXPECT_EQ(Store().File_Input, path);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(Store().Object_Loaded, c.accepted);
  EXPECT_EQ(window.enabled[Button::Cmd_Save], c.accepted);
  if (c.accepted) {
    EXPECT_EQ(Caption(Label::Lbl_File_Input), path);
  } else {
    EXPECT_EQ(window.captions, captions_before);
    EXPECT_EQ(window.clears + window.draws, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, OpenNameTest,
    ::testing::Values(Name_Case{"stl", "cube.STL", true}, Name_Case{"stl", "cube.stl", true},
                      Name_Case{"stl", "cube.Stl", true}, Name_Case{"stl", "mystl", true},
                      Name_Case{"stl", "cube.stla", false}, Name_Case{"stl", "cube.ply", false},
                      Name_Case{"stl", "", false}, Name_Case{"ply", "two.PLY", true},
                      Name_Case{"ply", "two.stl", false}, Name_Case{"bas", "two.Bas", true},
                      Name_Case{"bas", "two.stl", false}),
    [](const auto& info) {
      std::string name = info.param.command + std::string("_") + (info.param.name[0] ? info.param.name : "cancelled");
      for (char& ch : name)
        if (ch == '.') ch = '_';
      return name;
    });

// Memory running out is a message, never the end of the program: a read
// that runs out never reaches the store, so the earlier object stays with
// its file, counters, picture and saving; a redraw that runs out clears the
// picture. Either way the window goes on working.
TEST_F(CommandsTest, MemoryRunningOutIsAMessageAndTheWindowGoesOn) {
  const std::string earlier = Write("earlier.stl", Strip_Stl(12));
  const std::string two = Write("two.stl", Strip_Stl(2));
  Open("stl", earlier);
  const auto captions = window.captions;
  const auto picture = window.picture;

  window.no_memory_to_read = true;
  Open("stl", two);
  window.no_memory_to_read = false;
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages.back(), (std::pair<std::string, std::string>{"Not enough memory to read " + two, "E.R.R.O.R"}));
  EXPECT_EQ(window.captions, captions);
  EXPECT_EQ(window.picture, picture);
  EXPECT_TRUE(window.enabled[Button::Cmd_Save]);
  EXPECT_EQ(Store().File_Input, earlier);
  EXPECT_EQ(Store().Nb_Faces, 11);

  window.no_memory_to_draw = true;
  window.values[Scroll_Bar::HScroll_X] = 30;
  commands.View_Change();
  ASSERT_EQ(window.messages.size(), 2u);
  EXPECT_EQ(window.messages.back(), (std::pair<std::string, std::string>{"Not enough memory to draw the preview", "E.R.R.O.R"}));
  EXPECT_TRUE(window.picture.empty());

  Open("stl", two);
  EXPECT_EQ(Caption(Label::Lbl_Nb_Faces_Normal), "1");
  EXPECT_FALSE(window.picture.empty());
  EXPECT_EQ(window.messages.size(), 2u);
}

TEST_F(CommandsTest, CullingEveryFaceClearsThePictureAndStillSetsTheCaptions) {
  Open("stl", Write("back.stl", Back_Faces_Stl()));
  EXPECT_EQ(window.picture.size(), 4u);
  window.values[Scroll_Bar::HScroll_Zoom] = 3;
  commands.Show_Optimized_Mesh();
  EXPECT_TRUE(window.picture.empty());
  EXPECT_EQ(Store().Nb_Faces_Visible, -1);
  EXPECT_EQ(Caption(Label::Lbl_Zoom), "3");
}

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
  Open("stl", "");
  EXPECT_TRUE(window.progress.empty());  // a refused name reads nothing

  Open("stl", Write("strip.stl", Strip_Stl(12000)));
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
  const std::string earlier = Write("earlier.stl", Strip_Stl(12));
  Open("stl", earlier);
  ASSERT_EQ(window.picture.size(), 24u);
  const auto captions = window.captions;
  const auto picture = window.picture;
  const std::string path = Write(c.name, c.file());
  window.progress.clear();
  window.cancel_at = c.stage;
  window.cancel_from = c.from;
  Open(c.command, path);

  Expect_Progress_In_Order(window);
  // The update that answered "cancel" was the read's last.
  ASSERT_GE(window.progress.size(), 3u);
  EXPECT_EQ(window.progress[window.progress.size() - 2].first, c.stage);
  EXPECT_TRUE(window.messages.empty());
  // As if the open had not started: the earlier mesh, its captions, its picture.
  EXPECT_TRUE(Store().Object_Loaded);
  EXPECT_EQ(Store().File_Input, earlier);
  EXPECT_EQ(Store().Nb_Faces, 11);
  EXPECT_EQ(window.captions, captions);
  EXPECT_EQ(window.picture, picture);
  EXPECT_TRUE(window.enabled[Button::Cmd_Save]);

  // The bars go on turning it.
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

}  // namespace
