// The one road of a model: the kind an input's name (or a named kind)
// chooses, the same store from a file and from its bytes, and the step that
// failed named.
#include <gtest/gtest.h>

#include <filesystem>

#include "model/load_model.h"
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

}  // namespace
