#include "import/read_ply.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "export/write_bas.h"
#include "test_files.h"

namespace {

using testing::HasSubstr;

// ---- line parsers ----

struct Vertex_Case {
  const char* name;
  const char* line;
  Point3 expected;
};
void PrintTo(const Vertex_Case& c, std::ostream* out) { *out << c.name; }


class Parse_Ply_Vertex_Test : public testing::TestWithParam<Vertex_Case> {};

TEST_P(Parse_Ply_Vertex_Test, ReadsFirstThreeValues) {
  Point3 p = Parse_Ply_Vertex(GetParam().line);
  EXPECT_EQ(p.X, GetParam().expected.X);
  EXPECT_EQ(p.Y, GetParam().expected.Y);
  EXPECT_EQ(p.Z, GetParam().expected.Z);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Parse_Ply_Vertex_Test,
    testing::Values(Vertex_Case{"Plain", "1 2 3", {1, 2, 3}},
                    Vertex_Case{"OneSpaceIndent", " 1.5 -2 3.25", {1.5f, -2, 3.25f}},
                    Vertex_Case{"TwoSpaceIndent", "  1.5 -2 3.25", {1.5f, -2, 3.25f}},
                    Vertex_Case{"RunsOfBlanksAndTrailing", "1   -2 \t 3.25   ", {1, -2, 3.25f}},
                    Vertex_Case{"Tabs", "\t4\t5\t6", {4, 5, 6}},
                    Vertex_Case{"FurtherPropertiesIgnored", "0 0 2.5 0 0 1", {0, 0, 2.5f}},
                    Vertex_Case{"Exponents", "1.5e+001 -2E-1 3d2", {15, -0.2f, 300}},
                    Vertex_Case{"MissingValueReadsZero", "4 5", {4, 5, 0}},
                    Vertex_Case{"EmptyLineReadsZeros", "", {0, 0, 0}}),
    [](const testing::TestParamInfo<Vertex_Case>& info) { return info.param.name; });

struct Face_Case {
  const char* name;
  const char* line;
  Face3 expected;
};
void PrintTo(const Face_Case& c, std::ostream* out) { *out << c.name; }


class Parse_Ply_Face_Test : public testing::TestWithParam<Face_Case> {};

TEST_P(Parse_Ply_Face_Test, ReadsThreeCornersAfterCount) {
  std::vector<int32_t> corners;
  Parse_Ply_Face_Corners(GetParam().line, corners);
  ASSERT_GE(corners.size(), 3u);
  EXPECT_EQ(corners[0], GetParam().expected.A);
  EXPECT_EQ(corners[1], GetParam().expected.B);
  EXPECT_EQ(corners[2], GetParam().expected.C);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Parse_Ply_Face_Test,
    testing::Values(Face_Case{"Triangle", "3 0 1 2", {0, 1, 2}},
                    Face_Case{"ColoursAfterCornersIgnored", "3 0 1 2 255 255 255", {0, 1, 2}},
                                        Face_Case{"TwoSpacesAfterCount", "3  10 11 12", {10, 11, 12}},
                    Face_Case{"IndentedWithTabs", "  \t3\t7\t8\t9", {7, 8, 9}},
                    Face_Case{"TrailingBlanks", "3 4 5 6   ", {4, 5, 6}},
                    Face_Case{"HalvesRoundToEven", "3 0.5 1.5 2.5", {0, 2, 2}},
                    Face_Case{"EmptyLineReadsZeros", "", {0, 0, 0}},
                    Face_Case{"NineDigitCornersAndLeadingZeros", "3 123456789 -0 0042", {123456789, 0, 42}},
                    Face_Case{"LongCornersSaturate", "3 99999999999 -2147483649 2147483647",
                              {2147483647, -2147483647 - 1, 2147483647}},
                    Face_Case{"OtherShapesReadAsNumbers", "3 1e2 &H10 7x", {100, 16, 7}},
                    Face_Case{"SignsAndPoints", "3 +5 -.5 2.", {5, 0, 2}}),
    [](const testing::TestParamInfo<Face_Case>& info) { return info.param.name; });

struct Corners_Case {
  const char* name;
  const char* line;
  std::vector<int32_t> corners;
};
void PrintTo(const Corners_Case& c, std::ostream* out) { *out << c.name; }

class Parse_Ply_Face_Corners_Test : public testing::TestWithParam<Corners_Case> {};

TEST_P(Parse_Ply_Face_Corners_Test, CountCappedByTheValuesThatFollow) {
  std::vector<int32_t> corners = {99, 99, 99, 99, 99};  // a previous line's, replaced
  Parse_Ply_Face_Corners(GetParam().line, corners);
  EXPECT_EQ(corners, GetParam().corners);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Parse_Ply_Face_Corners_Test,
    testing::Values(Corners_Case{"Hexagon", "6 1 2 3 4 5 6", {1, 2, 3, 4, 5, 6}},
                    Corners_Case{"ValuesAfterTheCornersIgnored", "4 0 1 2 3 255 0 0", {0, 1, 2, 3}},
                    Corners_Case{"CountCappedAtTheValues", "5 0 1 2 3", {0, 1, 2, 3}},
                    Corners_Case{"FewerThanThreeCornersKeepZeros", "4 7 8", {7, 8, 0}},
                    Corners_Case{"CountBelowThreeReadsThreeValues", "2 0 1 2", {0, 1, 2}},
                    Corners_Case{"NoCorners", "0", {0, 0, 0}},
                    Corners_Case{"BlanksAndOtherShapes", "\t4\t7  8 1e1\t&H0B ", {7, 8, 10, 11}}),
    [](const testing::TestParamInfo<Corners_Case>& info) { return info.param.name; });

// ---- whole files ----

const char* const kCubeVertices =
    "0 0 0\n1 0 0\n1 1 0\n0 1 0\n"
    "0 0 1\n1 0 1\n1 1 1\n0 1 1\n";
const char* const kCubeFaces =
    "3 0 2 1\n3 0 3 2\n3 4 5 6\n3 4 6 7\n3 0 1 5\n3 0 5 4\n"
    "3 1 2 6\n3 1 6 5\n3 2 3 7\n3 2 7 6\n3 3 0 4\n3 3 4 7\n";
const Face3 kCubeFaceList[12] = {{0, 2, 1}, {0, 3, 2}, {4, 5, 6}, {4, 6, 7}, {0, 1, 5}, {0, 5, 4},
                                 {1, 2, 6}, {1, 6, 5}, {2, 3, 7}, {2, 7, 6}, {3, 0, 4}, {3, 4, 7}};

std::string Cube_Ply() {
  return std::string(
             "ply\nformat ascii 1.0\nelement vertex 8\nproperty float x\nproperty float y\n"
             "property float z\nelement face 12\nproperty list uchar int vertex_indices\nend_header\n") +
         kCubeVertices + kCubeFaces;
}

struct Ply_Read {
  MeshStore store;
  Outcome outcome;
};

// Reads `text` as a PLY file into a store that a previous load left marked
// as loaded, so that every read must decide Object_Loaded itself; read as a
// pipe, it must give the same.
Ply_Read Read_Ply_Text(const std::string& text) {
  Ply_Read read;
  read.store.Object_Loaded = true;
  read.outcome = Read_Both_Ways(read.store, Input_Kind::Ply, text);
  return read;
}

void Expect_Cube(const Ply_Read& read) {
  ASSERT_TRUE(read.outcome.ok) << read.outcome.message;
  const MeshStore& s = read.store;
  EXPECT_TRUE(s.Object_Loaded);
  EXPECT_EQ(s.Nb_Pts_Normal, 7);
  EXPECT_EQ(s.Nb_Faces, 11);
  EXPECT_EQ(s.Nb_Pts_Optimized, 7);
  ASSERT_EQ(s.Pts_Normal.size(), 8u);
  EXPECT_EQ(s.Pts_Normal[6].X, 1.0f);
  EXPECT_EQ(s.Pts_Normal[6].Y, 1.0f);
  EXPECT_EQ(s.Pts_Normal[6].Z, 1.0f);
  EXPECT_EQ(s.Pts_Normal[3].X, 0.0f);
  EXPECT_EQ(s.Pts_Normal[3].Y, 1.0f);
  ASSERT_EQ(s.Faces_Normal.size(), 12u);
  for (int f = 0; f < 12; ++f) {
    EXPECT_EQ(s.Faces_Normal[f].A, kCubeFaceList[f].A) << "face " << f;
    EXPECT_EQ(s.Faces_Normal[f].B, kCubeFaceList[f].B) << "face " << f;
    EXPECT_EQ(s.Faces_Normal[f].C, kCubeFaceList[f].C) << "face " << f;
  }
  EXPECT_EQ(s.Pts_Optimized.size(), 8u);
  EXPECT_EQ(s.Pts_Screen.size(), 8u);
  EXPECT_EQ(s.Faces_Optimized.size(), 12u);
  EXPECT_EQ(s.Faces_Visible.size(), 12u);
}

TEST(Read_Ply, CubeLoadsInFileOrderWithFileIndices) { Expect_Cube(Read_Ply_Text(Cube_Ply())); }

TEST(Read_Ply, EveryLineEndReadsTheSame) {
  for (const char* line_end : {"\r\n", "\r"}) {
    SCOPED_TRACE(line_end[1] ? "CR LF" : "CR");
    Expect_Cube(Read_Ply_Text(With_Line_Ends(Cube_Ply(), line_end)));
  }
  std::string no_final_line_end = Cube_Ply();
  no_final_line_end.pop_back();
  Expect_Cube(Read_Ply_Text(no_final_line_end));
}

TEST(Read_Ply, HeaderOrderOfElementsIsFollowed) {
  const std::string faces_first =
      std::string("ply\nformat ascii 1.0\nelement face 12\nproperty list uchar int vertex_indices\n"
                  "element vertex 8\nproperty float x\nproperty float y\nproperty float z\nend_header\n") +
      kCubeFaces + kCubeVertices;
  Expect_Cube(Read_Ply_Text(faces_first));

  const std::string other_elements =
      std::string("ply\nformat ascii 1.0\ncomment made by hand\nelement material 2\nproperty uchar red\n"
                  "element vertex 8\nproperty float x\nproperty float y\nproperty float z\n"
                  "element edge 3\nproperty int vertex1\nproperty int vertex2\n"
                  "element face 12\nproperty list uchar int vertex_indices\n"
                  "element note 2\nproperty uchar n\nend_header\n"
                  "255\n128\n") +
      kCubeVertices + "0 1\n1 2\n2 3\n" + kCubeFaces + "1\n2\nfurther lines\nare not read\n";
  Expect_Cube(Read_Ply_Text(other_elements));
}

TEST(Read_Ply, CountLineWithSeveralBlanksReadsTheSameCount) {
  std::string text = Cube_Ply();
  text.replace(text.find("element vertex 8"), 16, "element vertex     8");
  text.replace(text.find("element face 12"), 15, "element face \t 12");
  Expect_Cube(Read_Ply_Text(text));
}

TEST(Read_Ply, LinesAfterTheLastFaceAreIgnored) {
  Expect_Cube(Read_Ply_Text(Cube_Ply() + "\n\n3 9 9 9\nend\n"));
}

TEST(Read_Ply, EmptyDataLineReadsAsZeros) {
  const std::string text =
      "ply\nformat ascii 1.0\nelement vertex 8\nelement face 4\nend_header\n"
      "0 0 0\n1 0 0\n1 1 0\n0 1 0\n0 0 1\n1 0 1\n\n0 1 1\n"  // vertex 6 empty
      "3 0 2 1\n3 0 3 2\n\n3 4 6 7\n";                        // face 2 empty
  Ply_Read read = Read_Ply_Text(text);
  ASSERT_TRUE(read.outcome.ok) << read.outcome.message;
  EXPECT_EQ(read.store.Pts_Normal[6].X, 0.0f);
  EXPECT_EQ(read.store.Pts_Normal[6].Z, 0.0f);
  EXPECT_EQ(read.store.Faces_Normal[2].A, 0);
  EXPECT_EQ(read.store.Faces_Normal[2].C, 0);
  EXPECT_EQ(read.store.Faces_Normal[3].C, 7);
}

TEST(Read_Ply, FewerFaceLinesThanDeclaredKeepsZeroFaces) {
  const std::string text =
      "ply\nformat ascii 1.0\nelement vertex 4\nelement face 5\nend_header\n"
      "0 0 0\n1 0 0\n0 1 0\n0 0 1\n"
      "3 1 2 3\n3 0 2 3\n";
  Ply_Read read = Read_Ply_Text(text);
  ASSERT_TRUE(read.outcome.ok) << read.outcome.message;
  EXPECT_TRUE(read.store.Object_Loaded);
  EXPECT_EQ(read.store.Nb_Faces, 4);
  EXPECT_EQ(read.store.Faces_Normal[1].A, 0);
  EXPECT_EQ(read.store.Faces_Normal[1].C, 3);
  for (int f = 2; f <= 4; ++f) {
    EXPECT_EQ(read.store.Faces_Normal[f].A, 0);
    EXPECT_EQ(read.store.Faces_Normal[f].B, 0);
    EXPECT_EQ(read.store.Faces_Normal[f].C, 0);
  }
}

// The header declares one vertex more than the file holds: the first face
// line is read as the last vertex and the faces shift up by one.
TEST(Read_Ply, OneVertexTooManyTakesFirstFaceLineAsVertex) {
  const std::string text =
      "ply\nformat ascii 1.0\nelement vertex 5\nelement face 3\nend_header\n"
      "0 0 0\n1 0 0\n0 1 0\n0 0 1\n"
      "3 0 1 2\n3 1 2 3\n3 0 2 3\n";
  Ply_Read read = Read_Ply_Text(text);
  ASSERT_TRUE(read.outcome.ok) << read.outcome.message;
  const MeshStore& s = read.store;
  EXPECT_EQ(s.Pts_Normal[4].X, 3.0f);
  EXPECT_EQ(s.Pts_Normal[4].Y, 0.0f);
  EXPECT_EQ(s.Pts_Normal[4].Z, 1.0f);
  EXPECT_EQ(s.Faces_Normal[0].A, 1);
  EXPECT_EQ(s.Faces_Normal[1].A, 0);
  EXPECT_EQ(s.Faces_Normal[2].A, 0);
  EXPECT_EQ(s.Faces_Normal[2].B, 0);
  EXPECT_EQ(s.Faces_Normal[2].C, 0);
}

TEST(Read_Ply, MissingFileNamesThePath) {
  MeshStore store;
  store.Object_Loaded = true;
  store.File_Input = (Test_Temp_Folder() / "absent.ply").string();
  Outcome outcome = Read_Input(store, Input_Kind::Ply);
  EXPECT_FALSE(outcome.ok);
  EXPECT_TRUE(outcome.shown);
  EXPECT_EQ(outcome.message, "Cannot open file: " + store.File_Input);
  EXPECT_FALSE(store.Object_Loaded);
}

// ---- files that are not loaded ----

const char* const kTetHeader =
    "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\nproperty float z\n"
    "element face 4\nproperty list uchar int vertex_indices\nend_header\n";  // lines 1..9
const char* const kTetVertices = "0 0 0\n1 0 0\n0 1 0\n0 0 1\n";        // lines 10..13
const char* const kTetFaces = "3 0 1 2\n3 0 1 3\n3 0 2 3\n3 1 2 3\n";   // lines 14..17

struct Refused_Case {
  const char* name;
  std::string text;
  bool shown;        // a message the window shows, or a silent failure
  const char* says;  // part of the message
};
void PrintTo(const Refused_Case& c, std::ostream* out) { *out << c.name; }


class Read_Ply_Refused : public testing::TestWithParam<Refused_Case> {};

TEST_P(Read_Ply_Refused, IsNotLoaded) {
  Ply_Read read = Read_Ply_Text(GetParam().text);
  EXPECT_FALSE(read.outcome.ok);
  EXPECT_EQ(read.outcome.shown, GetParam().shown);
  EXPECT_THAT(read.outcome.message, HasSubstr(GetParam().says));
  EXPECT_FALSE(read.store.Object_Loaded);
}

std::string Tet(const std::string& header, const std::string& vertices, const std::string& faces) {
  return header + vertices + faces;
}

std::string Tet_Header_With(const std::string& from, const std::string& to) {
  std::string header = kTetHeader;
  header.replace(header.find(from), from.size(), to);
  return header;
}

INSTANTIATE_TEST_SUITE_P(
    Files, Read_Ply_Refused,
    testing::Values(
        Refused_Case{"UnknownFormat", Tet(Tet_Header_With("ascii", "text"), kTetVertices, kTetFaces), true,
                     "Line 2: the format is text; PLY files are \"format ascii\""},
        Refused_Case{"FaceNamesMissingVertex", Tet(kTetHeader, kTetVertices, "3 0 1 2\n3 0 1 4\n3 0 2 3\n"),
                     true, "Line 15: face 1 names vertex 4, but the file has 4 vertices"},
        Refused_Case{"PolygonNamesMissingVertex", Tet(kTetHeader, kTetVertices, "3 0 1 2\n5 0 1 2 3 4 7\n"), true,
                     "Line 15: face 1 names vertex 4, but the file has 4 vertices"},
        Refused_Case{"FaceNamesNegativeVertex", Tet(kTetHeader, kTetVertices, "3 -1 1 2\n3 0 1 3\n"), true,
                     "Line 14: face 0 names vertex -1"},
        Refused_Case{"VertexCountBeyondFileSize",
                     Tet(Tet_Header_With("vertex 4", "vertex 2000000000"), kTetVertices, kTetFaces), true,
                     "Line 3: \"element vertex\" declares 2000000000 entries, but the file has only"},
        Refused_Case{"OtherElementCountBeyondFileSize",
                     Tet(Tet_Header_With("end_header", "element edge 99999999\nend_header"), kTetVertices,
                         kTetFaces),
                     true, "Line 9: \"element edge\" declares 99999999 entries"},
        Refused_Case{"NegativeFaceCount", Tet(Tet_Header_With("face 4", "face -3"), kTetVertices, kTetFaces),
                     true, "Line 7: \"element face\" declares -3 entries"},
        Refused_Case{"NoFaceElement",
                     Tet(Tet_Header_With("element face 4\n", ""), kTetVertices, kTetFaces), true,
                     "Line 8: the header ends without an \"element face\" line"},
        Refused_Case{"NoVertexElement",
                     Tet(Tet_Header_With("element vertex 4\n", ""), kTetVertices, kTetFaces), true,
                     "the header ends without an \"element vertex\" line"},
        Refused_Case{"SecondVertexElement",
                     Tet(Tet_Header_With("element face", "element vertex 4\nelement face"), kTetVertices,
                         kTetFaces),
                     true, "Line 7: \"element vertex\" is the second such line"},
        Refused_Case{"NoEndHeader", std::string("ply\nformat ascii 1.0\nelement vertex 4\nelement face 4\n") +
                                        kTetVertices + kTetFaces,
                     false, "end_header"},
        Refused_Case{"EndsRightAfterHeader", kTetHeader, false, "after 0 of the 4 vertices"},
        Refused_Case{"EndsAfterLastVertex", Tet(kTetHeader, kTetVertices, ""), false, "4 vertices and 0 faces read"},
        Refused_Case{"OnlyOneFace", Tet(kTetHeader, kTetVertices, "3 0 1 2\n"), false, "4 vertices and 1 face read"},
        Refused_Case{"OnlyOneVertex",
                     Tet(Tet_Header_With("vertex 4", "vertex 1"), "0 0 0\n", "3 0 0 0\n3 0 0 0\n"), false,
                     "1 vertex and 2 faces read"},
        Refused_Case{"EmptyFile", "", false, "end_header"}),
    [](const testing::TestParamInfo<Refused_Case>& info) { return info.param.name; });

// ---- the corpus of real files ----

#ifdef KORVANE_SHARED_CORPUS
const std::filesystem::path kCorpus = KORVANE_SHARED_CORPUS;
#else
const std::filesystem::path kCorpus;
#endif

// The vertices of every ASCII PLY file of the corpus, and its triangles: the
// header's face count, where a quad counts two.
const std::map<std::string, std::pair<int32_t, int32_t>> kCorpusCounts = {
    {"cube-quads.ply", {8, 12}},
    {"fuze-vcg-colors.ply", {502, 1000}},
    {"meshlab-T-quads.ply", {20, 36}},
    {"metadata-crlf.ply", {4, 2}},
    {"stanford-bunny-res2.ply", {8171, 16301}},
    {"suzanne-quads-tris.ply", {1966, 968}},
    {"tet-face-colors.ply", {4, 4}},
    {"tinyply-sofa-large.ply", {12103, 24104}},
    {"vcg-sphere-tris.ply", {642, 1280}},
    {"wuson-blender247.ply", {11184, 3732}},
};

Ply_Read Read_Corpus_File(const std::filesystem::path& path) {
  Ply_Read read;
  read.store.File_Input = path.string();
  read.outcome = Read_Input(read.store, Input_Kind::Ply);
  return read;
}

TEST(Read_Ply_Corpus, EveryFileLoadsWithItsHeaderCountsAndConverts) {
  if (!std::filesystem::is_directory(kCorpus / "ply")) GTEST_SKIP() << "no corpus at " << kCorpus;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kCorpus / "ply")) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    auto counts = kCorpusCounts.find(name);
    ASSERT_NE(counts, kCorpusCounts.end()) << "a corpus file without expected counts";
    Ply_Read read = Read_Corpus_File(entry.path());
    ASSERT_TRUE(read.outcome.ok) << read.outcome.message;
    EXPECT_TRUE(read.store.Object_Loaded);
    EXPECT_EQ(read.store.Nb_Pts_Normal, counts->second.first - 1);
    EXPECT_EQ(read.store.Nb_Faces, counts->second.second - 1);
    EXPECT_LE(read.store.Nb_Pts_Optimized, read.store.Nb_Pts_Normal);

    read.store.File_Output = (Test_Temp_Folder() / (name + ".bas")).string();
    read.store.Basic_Line = 10;
    read.store.Basic_Step = 1;
    Outcome written = Write_Bas(read.store);
    ASSERT_TRUE(written.ok) << written.message;
    EXPECT_EQ(Read_Test_File(read.store.File_Output).rfind("10'Number of Faces and Number of Points\r\n", 0), 0u);
    ++files;
  }
  EXPECT_EQ(files, static_cast<int>(kCorpusCounts.size()));
}

// The face lines of a PLY file, read plainly: each line's values after the
// corner count, as many as it declares.
std::vector<std::vector<int32_t>> Face_Lines(const std::string& text, int32_t vertices) {
  std::vector<std::vector<int32_t>> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line) && line.find("end_header") == std::string::npos) {
  }
  for (int32_t v = 0; v < vertices; ++v) std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream values(line);
    int32_t count = 0, corner = 0;
    values >> count;
    std::vector<int32_t> corners;
    while (static_cast<int32_t>(corners.size()) < count && values >> corner) corners.push_back(corner);
    lines.push_back(corners);
  }
  return lines;
}

// Quads, extra face properties and CR LF line ends in files from other
// tools: every polygon becomes the fan of its first corner, in file order.
TEST(Read_Ply_Corpus, PolygonsBecomeFansOfTheirFirstCorner) {
  if (!std::filesystem::is_directory(kCorpus / "ply")) GTEST_SKIP() << "no corpus at " << kCorpus;
  for (const char* name : {"suzanne-quads-tris.ply", "cube-quads.ply", "meshlab-T-quads.ply", "metadata-crlf.ply",
                           "tet-face-colors.ply", "fuze-vcg-colors.ply"}) {
    SCOPED_TRACE(name);
    const std::filesystem::path path = kCorpus / "ply" / name;
    Ply_Read read = Read_Corpus_File(path);
    ASSERT_TRUE(read.outcome.ok) << read.outcome.message;
    const MeshStore& s = read.store;
    std::string text = Read_Test_File(path.string());
    std::erase(text, '\r');
    const std::vector<std::vector<int32_t>> polygons = Face_Lines(text, s.Nb_Pts_Normal + 1);
    int32_t triangle = 0;
    int64_t split = 0;
    for (const std::vector<int32_t>& polygon : polygons) {
      split += polygon.size() > 3;
      for (size_t k = 2; k < polygon.size(); ++k, ++triangle) {
        const Face3& f = s.Faces_Normal[triangle];
        ASSERT_EQ(f.A, polygon[0]);
        ASSERT_EQ(f.B, polygon[k - 1]);
        ASSERT_EQ(f.C, polygon[k]);
      }
    }
    EXPECT_EQ(triangle, s.Nb_Faces + 1);
    EXPECT_EQ(s.Polygons_Split, split);
  }
}

TEST(Read_Ply_Corpus, BinaryFilesReadAsTheirData) {
  if (!std::filesystem::is_directory(kCorpus / "binary")) GTEST_SKIP() << "no corpus at " << kCorpus;
  struct Expected {
    const char* name;
    int32_t vertices, triangles;
    int64_t split;
  };
  // A cube of 12 triangles; 50 faces of the five Platonic solids, doubles,
  // big-endian: 4 tetrahedron, 8 octahedron and 20 icosahedron triangles,
  // 6 cube squares and 12 dodecahedron pentagons.
  for (const Expected& e : {Expected{"cube_binary.ply", 8, 12, 0}, Expected{"platonic_shelf_big_endian.ply", 50,
                                                                            4 + 8 + 20 + 6 * 2 + 12 * 3, 18}}) {
    SCOPED_TRACE(e.name);
    Ply_Read read = Read_Corpus_File(kCorpus / "binary" / e.name);
    ASSERT_TRUE(read.outcome.ok) << read.outcome.message;
    EXPECT_EQ(read.store.Input_Format, "binary-ply");
    EXPECT_EQ(read.store.Nb_Pts_Normal, e.vertices - 1);
    EXPECT_EQ(read.store.Nb_Faces, e.triangles - 1);
    EXPECT_EQ(read.store.Polygons_Split, e.split);
  }
}

}  // namespace
