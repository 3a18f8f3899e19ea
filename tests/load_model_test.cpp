// The one road of a model: the kind an input's name (or a named kind)
// chooses, the same store from a file and from its bytes, the step that
// failed named, the text and segments the page takes equal to the file and
// the picture stl2bas writes, and the line number texts the shells accept.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <regex>

#include "core/line_numbering.h"
#include "model/load_model.h"
#include "model/render_model.h"
#include "model/save_model.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

// A further format that only says it was chosen.
More_Formats Fake_Formats() {
  More_Formats more;
  more.reads = [](std::string_view format) { return format == "obj"; };
  more.reader = [](const std::string&, const std::string& folder, uint64_t) -> Mesh_Reader {
    return [folder](Byte_Source&, const std::string&, Mesh_Arrays&, Progress*) {
      return Outcome::Failure("read by the further reader, beside " + folder);
    };
  };
  return more;
}

TEST(LoadModel, NamesAndNamedKindsChooseTheReader) {
  const More_Formats more = Fake_Formats();
  struct Row {
    const char* input;
    const char* named;
    const char* chosen;  // "" when refused
  };
  for (const Row& row : {Row{"part.Stl", "", "stl"}, Row{"mystl", "", "stl"}, Row{"a.b.OFF", "", "off"},
                         Row{"scene.OBJ", "", "obj"}, Row{"scene.glb", "", ""}, Row{"-", "", ""},
                         Row{"-", "PLY", "ply"}, Row{"x.stl", "obj", "obj"}}) {
    Outcome refused;
    const Input_Choice choice = Choose_Input(row.input, row.named, more, refused);
    EXPECT_EQ(choice.Chosen() ? choice.Name() : "", row.chosen) << row.input << " " << row.named;
    EXPECT_EQ(refused.ok, choice.Chosen()) << row.input;
  }
  EXPECT_TRUE(Reads_Kind("OfF", more));
  EXPECT_FALSE(Reads_Kind("glb", more));
}

// Every mesh file here reads to the same store from its path as from its
// bytes, and the further reader looks beside the input for its files.
TEST(LoadModel, FileAndBytesTakeTheSameRoad) {
  const More_Formats more = Fake_Formats();
  int files = 0;
  for (const auto& entry : fs::directory_iterator(KORVANE_TEST_DATA)) {
    Outcome refused;
    const std::string path = entry.path().string();
    Model_Request request;
    request.more = &more;
    request.choice = Choose_Input(path, "", more, refused);
    if (!entry.is_regular_file() || !request.choice.Chosen()) continue;
    ++files;
    MeshStore from_path, from_bytes;
    from_path.File_Input = from_bytes.File_Input = path;
    const Model_Result read = Load_Model(from_path, request);
    const std::string bytes = Read_Test_File(path);
    Memory_Source memory(bytes);
    request.source = &memory;
    const Model_Result given = Load_Model(from_bytes, request);
    EXPECT_EQ(read.outcome.message, given.outcome.message) << path;
    EXPECT_EQ(read.step, given.step) << path;
    Expect_Same_Mesh(from_path, from_bytes);
  }
  EXPECT_GT(files, 5);

  MeshStore store;
  store.File_Input = (fs::path(KORVANE_TEST_DATA) / "scene" / "cube.obj").string();
  Model_Request request;
  request.more = &more;
  request.choice.format = "obj";
  EXPECT_EQ(Load_Model(store, request).outcome.message,
            "read by the further reader, beside " + (fs::path(KORVANE_TEST_DATA) / "scene").string());
}

TEST(LoadModel, SaysWhichStepFailed) {
  const std::string cube = (fs::path(KORVANE_TEST_DATA) / "cube.ply").string();
  Model_Request request;
  request.choice.kind = Input_Kind::Ply;
  MeshStore store;
  store.File_Input = cube + ".missing";
  EXPECT_EQ(Load_Model(store, request).step, Model_Step::Reading);

  store.File_Input = cube;
  request.step = "40000";
  Model_Result result = Load_Model(store, request);
  EXPECT_EQ(result.step, Model_Step::Numbering);
  EXPECT_TRUE(store.Object_Loaded);  // the read stands

  // Not even one face fits when every line number is taken.
  request.start = "32767";
  request.step = "1";
  request.shape.face_limit = Face_Limit::Fit_Line_Numbers;
  result = Load_Model(store, request);
  EXPECT_EQ(result.step, Model_Step::Fitting);
  EXPECT_FALSE(result.outcome.ok);

  request.start = "10";
  result = Load_Model(store, request);
  EXPECT_EQ(result.step, Model_Step::Done);
  EXPECT_TRUE(result.outcome.ok);
  EXPECT_TRUE(result.shape.reduced);
}

// For every mesh file here, as read and fitted, with and without a viewer
// program: the text Save_Model_Text gives is the file Save_Model writes (the
// same every time), and Draw_Model's segments are the lines of the SVG
// picture Render_Model writes, in order.
TEST(LoadModel, TextAndSegmentsAreTheFileAndThePicture) {
  const std::regex line("<line x1=\"(-?\\d+)\" y1=\"(-?\\d+)\" x2=\"(-?\\d+)\" y2=\"(-?\\d+)\"/>");
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(KORVANE_TEST_DATA)) {
    Outcome refused;
    Model_Request request;
    request.choice = Choose_Input(entry.path().string(), "", More_Formats{}, refused);
    if (!entry.is_regular_file() || !request.choice.Chosen()) continue;
    for (int variant = 0; variant < 3; ++variant) {
      request.shape = {};
      if (variant > 0) request.shape.fit_size = 400, request.shape.face_limit = Face_Limit::Legible;
      if (variant > 1) request.shape.format.viewer = Viewer_Settings{};
      MeshStore store;
      store.File_Input = entry.path().string();
      if (!Load_Model(store, request).outcome.ok) continue;
      ++compared;
      std::string text, again;
      const Outcome written = Save_Model_Text(store, request.shape, text);
      EXPECT_TRUE(Save_Model_Text(store, request.shape, again).ok == written.ok && again == text);
      const std::string output = (Test_Temp_Folder() / "out.bas").string();
      fs::remove(output);
      EXPECT_EQ(Save_Model(store, output, request.shape).message, written.message) << store.File_Input;
      EXPECT_EQ(written.ok ? Read_Test_File(output) : "", text) << store.File_Input << " " << variant;

      Picture_Request view;
      view.angle_x = 30, view.angle_y = 200, view.angle_z = 10, view.zoom = 5;
      view.width = 481, view.height = 473;
      view.show_normal = variant == 0;
      view.output = (Test_Temp_Folder() / "out.svg").string();
      std::vector<Segment> segments;
      ASSERT_TRUE(Draw_Model(store, view, segments).ok && Render_Model(store, view).ok);
      const std::string svg = Read_Test_File(view.output);
      std::vector<Segment> drawn;
      for (std::sregex_iterator at(svg.begin(), svg.end(), line), end; at != end; ++at) {
        auto value = [&](int k) { return static_cast<int16_t>(std::stoi((*at)[k].str())); };
        drawn.push_back({{value(1), value(2)}, {value(3), value(4)}});
      }
      ASSERT_EQ(drawn.size(), segments.size()) << store.File_Input;
      for (size_t k = 0; k < drawn.size(); ++k)
        EXPECT_TRUE(drawn[k].From.X == segments[k].From.X && drawn[k].From.Y == segments[k].From.Y &&
                    drawn[k].To.X == segments[k].To.X && drawn[k].To.Y == segments[k].To.Y)
            << store.File_Input << " segment " << k;
    }
  }
  EXPECT_GT(compared, 15);
}

// Over many numbers written many ways, and texts that are not one number:
// the shells take a text for the first line or the step exactly when it is
// one number, and a step they take is one the numbering takes.
TEST(LoadModel, LineNumberTextsTheShellsTakeAreThoseTheNumberingTakes) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> exponent(-3, 5);
  for (int k = 0; k < 3000; ++k) {
    const double value = std::copysign(std::pow(10.0, exponent(random)), k % 3 == 0 ? -1.0 : 1.0);
    char text[64];
    std::snprintf(text, sizeof text, k % 2 ? "%.6g" : "%+.3f", value);
    EXPECT_EQ(Start_Text_Fault(text), "") << text;
    const std::string fault = Step_Text_Fault(text);
    MeshStore store;
    const Outcome numbered = Set_Line_Numbering(store, "10", text);
    if (std::fabs(value) < 32000) {
      EXPECT_EQ(fault.empty(), numbered.ok) << text << ": " << numbered.message;
    }
    const std::string number = text;
    for (const std::string& spoiled : {" " + number, number + "x", number + " ", "x" + number, number + "e"})
      EXPECT_EQ(Start_Text_Fault(spoiled), "not a number: " + spoiled) << spoiled;
  }
  EXPECT_EQ(Step_Text_Fault(""), "not a number: ");
}

}  // namespace
