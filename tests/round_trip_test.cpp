// A mesh saved as a BASIC data file and opened again is the mesh that was
// saved, to the tenth to which the file rounds coordinates; a BASIC data
// file opened and saved again is the same file apart from its line numbers
// (and, where their width changes, where the data lines wrap).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/parse_number.h"
#include "export/coordinate_text.h"
#include "export/write_bas.h"
#include "import/read_bas.h"
#include "import/read_input.h"
#include "test_files.h"

namespace {

#ifdef KORVANE_SHARED_CORPUS
const std::filesystem::path kCorpus = KORVANE_SHARED_CORPUS;
#else
const std::filesystem::path kCorpus;
#endif

std::vector<std::filesystem::path> Corpus_Meshes() {
  std::vector<std::filesystem::path> files;
  for (const char* folder : {"stl", "ply"})
    for (const auto& entry : std::filesystem::directory_iterator(kCorpus / folder)) files.push_back(entry.path());
  return files;
}

bool Corpus_Present() {
  return std::filesystem::is_directory(kCorpus / "stl") && std::filesystem::is_directory(kCorpus / "ply");
}

Outcome Save(MeshStore& store, const std::string& path, int16_t start, int16_t step) {
  store.File_Output = path;
  store.Basic_Line = start;
  store.Basic_Step = step;
  return Write_Bas(store);
}

Outcome Open_Bas(MeshStore& store, const std::string& path) {
  store.File_Input = path;
  return Read_Input(store, Input_Kind::Bas);
}

// How many optimized faces differ between two stores of the same face count.
int Differing_Faces(const MeshStore& a, const MeshStore& b) {
  int differing = 0;
  for (int32_t f = 0; f <= a.Nb_Faces; ++f) {
    const Face3 &x = a.Faces_Optimized[f], &y = b.Faces_Optimized[f];
    differing += x.A != y.A || x.B != y.B || x.C != y.C;
  }
  return differing;
}

void Expect_Same_Optimized_Mesh(const MeshStore& a, const MeshStore& b) {
  ASSERT_EQ(a.Nb_Faces, b.Nb_Faces);
  ASSERT_EQ(a.Nb_Pts_Optimized, b.Nb_Pts_Optimized);
  int differing = Differing_Faces(a, b);
  for (int32_t i = 0; i <= a.Nb_Pts_Optimized; ++i) {
    const Point3 &x = a.Pts_Optimized[i], &y = b.Pts_Optimized[i];
    differing += x.X != y.X || x.Y != y.Y || x.Z != y.Z;
  }
  EXPECT_EQ(differing, 0);
}

TEST(Round_Trip, EveryCorpusMeshReadsBackToTheTenth) {
  if (!Corpus_Present()) GTEST_SKIP() << "no corpus at " << kCorpus;
  for (const std::filesystem::path& file : Corpus_Meshes()) {
    const std::string name = file.filename().string();
    SCOPED_TRACE(name);
    MeshStore mesh;
    mesh.File_Input = file.string();
    Outcome read = Read_Input(mesh, Kind_Of_Input(name));
    ASSERT_TRUE(read.ok && mesh.Object_Loaded) << read.message;
    const std::string saved = (Test_Temp_Folder() / (name + ".bas")).string();
    Outcome written = Save(mesh, saved, 10, 1);
    ASSERT_TRUE(written.ok) << written.message;

    MeshStore back;
    Outcome opened = Open_Bas(back, saved);
    ASSERT_TRUE(opened.ok) << opened.message;
    EXPECT_TRUE(back.Object_Loaded);
    ASSERT_EQ(back.Nb_Faces, mesh.Nb_Faces);
    ASSERT_EQ(back.Nb_Pts_Optimized, mesh.Nb_Pts_Optimized);

    EXPECT_EQ(Differing_Faces(mesh, back), 0);

    // Each coordinate is within a twentieth of what was saved (plus the
    // float's own spacing), and is exactly the value of its text in the file.
    int beyond_tenth = 0;
    int not_as_written = 0;
    for (int32_t i = 0; i <= mesh.Nb_Pts_Optimized; ++i) {
      const Point3 &a = mesh.Pts_Optimized[i], &b = back.Pts_Optimized[i];
      for (auto [saved_value, read_value] : {std::pair{a.X, b.X}, std::pair{a.Y, b.Y}, std::pair{a.Z, b.Z}}) {
        double spacing = std::abs(std::nextafter(saved_value, INFINITY) - saved_value);
        beyond_tenth += std::abs(double{read_value} - saved_value) > 0.05 + 2 * spacing;
        char text[64];
        size_t length = Format_Coordinate(saved_value, text);
        not_as_written += read_value != Round_To_Single(Parse_Number({text, length}));
      }
    }
    EXPECT_EQ(beyond_tenth, 0);
    EXPECT_EQ(not_as_written, 0);
  }
}

struct Numbered_Line {
  std::string number;
  std::string rest;  // the text after the number
};

std::vector<Numbered_Line> Split_Lines(const std::string& text) {
  std::vector<Numbered_Line> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    size_t digits = line.find_first_not_of("-0123456789");
    lines.push_back({line.substr(0, digits), line.substr(digits)});
    at = end + 2;
  }
  return lines;
}

// The file's comments, and the values of each run of data lines joined:
// what stays when the line numbers change. Their width counts towards the
// 100 characters after which a data line wraps, so the wrapping may move.
std::vector<std::string> Content(const std::vector<Numbered_Line>& lines) {
  const std::string data = " data ";
  std::vector<std::string> content;
  bool in_data = false;
  for (const Numbered_Line& line : lines) {
    bool is_data = line.rest.rfind(data, 0) == 0;
    if (is_data && in_data) {
      content.back().append(1, ',').append(line.rest, data.size());
    } else {
      content.push_back(line.rest);
    }
    in_data = is_data;
  }
  return content;
}

TEST(Round_Trip, BasicFileSavedAgainDiffersOnlyInLineNumbers) {
  if (!Corpus_Present()) GTEST_SKIP() << "no corpus at " << kCorpus;
  struct Numbering {
    int16_t start, step;
  };
  const Numbering numberings[] = {{10, 1}, {0, 0}, {-5, 0}, {1000, -3}, {32767, -9}, {-32768, 9}};
  for (const std::filesystem::path& file : Corpus_Meshes()) {
    const std::string name = file.filename().string();
    SCOPED_TRACE(name);
    MeshStore mesh;
    mesh.File_Input = file.string();
    ASSERT_TRUE(Read_Input(mesh, Kind_Of_Input(name)).ok);
    const std::string first = (Test_Temp_Folder() / (name + ".bas")).string();
    ASSERT_TRUE(Save(mesh, first, 10, 1).ok);
    const std::vector<Numbered_Line> first_lines = Split_Lines(Read_Test_File(first));

    MeshStore opened;
    ASSERT_TRUE(Open_Bas(opened, first).ok);
    for (const Numbering& n : numberings) {
      SCOPED_TRACE("start " + std::to_string(n.start) + " step " + std::to_string(n.step));
      const std::string again = (Test_Temp_Folder() / (name + ".again.bas")).string();
      Outcome written = Save(opened, again, n.start, n.step);
      ASSERT_TRUE(written.ok) << written.message;
      const std::string again_text = Read_Test_File(again);
      const std::vector<Numbered_Line> lines = Split_Lines(again_text);
      EXPECT_TRUE(Content(lines) == Content(first_lines));
      int misnumbered = 0;
      for (size_t i = 0; i < lines.size(); ++i)
        misnumbered += lines[i].number != std::to_string(n.start + static_cast<int64_t>(i) * n.step);
      EXPECT_EQ(misnumbered, 0);
      if (n.start == 10 && n.step == 1) {
        EXPECT_EQ(again_text, Read_Test_File(first));
      }

      MeshStore reopened;
      ASSERT_TRUE(Open_Bas(reopened, again).ok);
      Expect_Same_Optimized_Mesh(opened, reopened);
    }
  }
}

}  // namespace
