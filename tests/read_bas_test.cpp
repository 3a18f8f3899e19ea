#include "import/read_bas.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_files.h"

namespace {

using testing::HasSubstr;

struct Bas_Read {
  MeshStore store;
  Outcome outcome;
};

// Reads `text` into a store that an earlier load left holding a normal mesh,
// an optimized mesh of five points and Object_Loaded set; read as a pipe,
// it must give the same.
Bas_Read Read_Bas_Text(const std::string& text) {
  Bas_Read read;
  MeshStore& s = read.store;
  s.Pts_Normal = {{9, 9, 9}, {8, 8, 8}};
  s.Faces_Normal = {{0, 1, 1}};
  s.Nb_Pts_Normal = 1;
  Size_Array(s.Pts_Optimized, 4);
  s.Object_Loaded = true;
  read.outcome = Read_Both_Ways(s, Input_Kind::Bas, text);
  return read;
}

void Expect_Point(const Point3& p, float x, float y, float z) {
  EXPECT_EQ(p.X, x);
  EXPECT_EQ(p.Y, y);
  EXPECT_EQ(p.Z, z);
}

void Expect_Face(const Face3& f, int32_t a, int32_t b, int32_t c) {
  EXPECT_EQ(f.A, a);
  EXPECT_EQ(f.B, b);
  EXPECT_EQ(f.C, c);
}

const char* const kOneTriangle =
    "10'Number of Faces and Number of Points\n"
    "11 data 0,2\n"
    "12'Points from the 3D Object\n"
    "13 data 0.0,0.0,0.0,12.3,-1.5,5.0,-7.3,100.0,0.1\n"
    "14'Faces from the 3D Object\n"
    "15 data 0,1,2\n";

TEST(Read_Bas, ReadsTheOptimizedMeshAndLeavesTheNormalMesh) {
  for (const char* line_end : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(line_end)));
    Bas_Read read = Read_Bas_Text(With_Line_Ends(kOneTriangle, line_end));
    ASSERT_TRUE(read.outcome.ok) << read.outcome.message;
    const MeshStore& s = read.store;
    EXPECT_TRUE(s.Object_Loaded);
    EXPECT_EQ(s.Nb_Faces, 0);
    EXPECT_EQ(s.Nb_Pts_Optimized, 2);
    ASSERT_EQ(s.Pts_Optimized.size(), 3u);
    Expect_Point(s.Pts_Optimized[0], 0, 0, 0);
    Expect_Point(s.Pts_Optimized[1], 12.3f, -1.5f, 5);
    Expect_Point(s.Pts_Optimized[2], -7.3f, 100, 0.1f);
    ASSERT_EQ(s.Faces_Optimized.size(), 1u);
    Expect_Face(s.Faces_Optimized[0], 0, 1, 2);
    EXPECT_EQ(s.Pts_Screen.size(), 3u);
    EXPECT_EQ(s.Faces_Visible.size(), 1u);
    // The normal mesh of the earlier load stays as it was.
    EXPECT_EQ(s.Nb_Pts_Normal, 1);
    ASSERT_EQ(s.Pts_Normal.size(), 2u);
    Expect_Point(s.Pts_Normal[0], 9, 9, 9);
    Expect_Face(s.Faces_Normal[0], 0, 1, 1);
  }
}

TEST(Read_Bas, ReadsWrappedLinesInOrder) {
  const char* cube =
      "100'Number of Faces and Number of Points\r\n"
      "110 data 11,7\r\n"
      "120'Points from the 3D Object\r\n"
      "130 data -5.0,-5.0,-5.0,5.0,-5.0,-5.0,5.0,5.0,-5.0,-5.0,5.0,-5.0,-5.0,-5.0,5.0,5.0,-5.0,5.0,5.0,5.0,5.0\r\n"
      "140 data -5.0,5.0,5.0\r\n"
      "150'Faces from the 3D Object\r\n"
      "160 data 0,1,2,0,2,3,4,5,6,4,6,7,0,1,5,0,5,4,3,2,6,3,6,7,0,3,7,0,7,4,1,2,6,1,6,5\r\n";
  Bas_Read read = Read_Bas_Text(cube);
  ASSERT_TRUE(read.outcome.ok) << read.outcome.message;
  EXPECT_EQ(read.store.Nb_Faces, 11);
  EXPECT_EQ(read.store.Nb_Pts_Optimized, 7);
  Expect_Point(read.store.Pts_Optimized[6], 5, 5, 5);
  Expect_Point(read.store.Pts_Optimized[7], -5, 5, 5);
  Expect_Face(read.store.Faces_Optimized[0], 0, 1, 2);
  Expect_Face(read.store.Faces_Optimized[11], 1, 6, 5);
}

// ---- the header check ----

struct Header_Case {
  const char* name;
  const char* text;
};
void PrintTo(const Header_Case& c, std::ostream* out) { *out << c.name; }


class Read_Bas_Header_Refused : public testing::TestWithParam<Header_Case> {};

TEST_P(Read_Bas_Header_Refused, SaysWrongNumberOfFacesOrPoints) {
  Bas_Read read = Read_Bas_Text(GetParam().text);
  EXPECT_FALSE(read.outcome.ok);
  EXPECT_TRUE(read.outcome.shown);
  EXPECT_EQ(read.outcome.message, "Wrong number of Faces or Points");
  EXPECT_FALSE(read.store.Object_Loaded);
  EXPECT_TRUE(read.store.Pts_Optimized.empty()) << "nothing is sized from a refused header";
}

INSTANTIATE_TEST_SUITE_P(
    Files, Read_Bas_Header_Refused,
    testing::Values(
        Header_Case{"EmptyMesh",
                    "10'Number of Faces and Number of Points\n11 data -1,-1\n12'Points from the 3D Object\n"
                    "13'Faces from the 3D Object\n"},
        Header_Case{"ZeroAndZero", "10'Number of Faces and Number of Points\n11 data 0,0\n12'x\n"},
        Header_Case{"FaceCountBelowMinusOne", "10'Number of Faces and Number of Points\n11 data -2,5\n12'x\n"},
        Header_Case{"PointCountBelowMinusOne", "10'Number of Faces and Number of Points\n11 data 5,-2\n12'x\n"},
        Header_Case{"CountLineWithoutComma", "10'Number of Faces and Number of Points\n11 data 5\n12'x\n"},
        Header_Case{"CommaOnlyBeforeData", "10'Number of Faces and Number of Points\n11,5 data 3\n12'x\n"},
        Header_Case{"HeaderIsLastLine", "10'Number of Faces and Number of Points\n"},
        Header_Case{"CountLineIsLastLine", "10'Number of Faces and Number of Points\n11 data 0,2\n"},
        Header_Case{"NoHeaderLine",
                    "12'Points from the 3D Object\n13 data 1,2,3,4,5,6,7,8,9\n14'Faces from the 3D Object\n"
                    "15 data 0,1,2\n"},
        Header_Case{"EmptyFile", ""}),
    [](const testing::TestParamInfo<Header_Case>& info) { return info.param.name; });

TEST(Read_Bas, RefusedHeaderKeepsTheValuesRead) {
  Bas_Read read = Read_Bas_Text("10'Number of Faces and Number of Points\n11 data 0,-1\n12'x\n");
  EXPECT_FALSE(read.outcome.ok);
  EXPECT_EQ(read.store.Nb_Faces, 0);
  EXPECT_EQ(read.store.Nb_Pts_Optimized, -1);
}

TEST(Read_Bas, OneFaceOnThreePointsPasses) {
  Bas_Read read = Read_Bas_Text("1'Number of Faces and Number of Points\n2 data 0,2\n3'x\n");
  ASSERT_TRUE(read.outcome.ok) << read.outcome.message;
  EXPECT_TRUE(read.store.Object_Loaded);
  EXPECT_EQ(read.store.Pts_Optimized.size(), 3u);
}

TEST(Read_Bas, CountTheFileCannotHoldFailsBeforeSizing) {
  Bas_Read read = Read_Bas_Text("10'Number of Faces and Number of Points\n11 data 5,2000000000\n12'x\n");
  EXPECT_FALSE(read.outcome.ok);
  EXPECT_TRUE(read.outcome.shown);
  EXPECT_THAT(read.outcome.message,
              HasSubstr("Line 2: the header declares 2000000001 points, but the file has only"));
  EXPECT_FALSE(read.store.Object_Loaded);
  EXPECT_TRUE(read.store.Pts_Optimized.empty());
}

TEST(Read_Bas, MissingFileNamesThePath) {
  MeshStore store;
  store.Object_Loaded = true;
  store.File_Input = (Test_Temp_Folder() / "absent.bas").string();
  Outcome outcome = Read_Input(store, Input_Kind::Bas);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.message, "Cannot open file: " + store.File_Input);
  EXPECT_FALSE(store.Object_Loaded);
}

// ---- data lines ----

struct Points_Case {
  const char* name;
  const char* lines;  // after the points marker of a file declaring four points
  std::vector<Point3> expected;
};
void PrintTo(const Points_Case& c, std::ostream* out) { *out << c.name; }


class Read_Bas_Points : public testing::TestWithParam<Points_Case> {};

TEST_P(Read_Bas_Points, FillEntries) {
  Bas_Read read = Read_Bas_Text(std::string("10'Number of Faces and Number of Points\n11 data 0,3\n"
                                            "12'Points from the 3D Object\n") +
                                GetParam().lines);
  ASSERT_TRUE(read.outcome.ok) << read.outcome.message;
  ASSERT_EQ(read.store.Pts_Optimized.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE("point " + std::to_string(i));
    Point3 want = i < GetParam().expected.size() ? GetParam().expected[i] : Point3{};
    Expect_Point(read.store.Pts_Optimized[i], want.X, want.Y, want.Z);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Read_Bas_Points,
    testing::Values(
        Points_Case{"CommaAndBlank", "13 data 1, 2, 3\n", {{1, 2, 3}}},
        Points_Case{"LastValueOfLineGoesToZ", "13 data 1,2,3,4\n14 data 5,6,7\n", {{1, 2, 3}, {0, 0, 4}, {5, 6, 7}}},
        Points_Case{"TrailingCommaClosesNextEntry", "13 data 1,2,3,\n14 data 7,8,9\n", {{1, 2, 3}, {}, {7, 8, 9}}},
        Points_Case{"DataInsideAWord", "13 metadata 1,2,3\n", {{1, 2, 3}}},
        Points_Case{"UpperCaseDataIsADataLine", "13 DATA 1,2,3\n14 data 4,5,6\n", {{1, 2, 3}, {4, 5, 6}}},
        Points_Case{"MixedCaseDataIsNoDataLine", "13 Data 1,2,3\n14 data 4,5,6\n", {{4, 5, 6}}},
        Points_Case{"NothingAfterData", "13 data\n14 data 4,5,6\n", {{4, 5, 6}}},
        Points_Case{"LineNumbersOfAnySign", "-32768 data 1,2,3\n-32768 data -4.5,5e1,&H10\n",
                    {{1, 2, 3}, {-4.5f, 50, 16}}},
        Points_Case{"ValuesBeyondTheCountIgnored", "13 data 1,1,1,2,2,2,3,3,3,4,4,4,5,5,5,6,6,6\n",
                    {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}}},
        Points_Case{"RepeatedSectionStartsOver", "13 data 1,1,1,2,2,2\n14'Points from the 3D Object\n15 data 7,7,7\n",
                    {{7, 7, 7}, {2, 2, 2}}}),
    [](const testing::TestParamInfo<Points_Case>& info) { return info.param.name; });

TEST(Read_Bas, SectionsInEitherOrderAndFaceIndicesAsRead) {
  Bas_Read read = Read_Bas_Text(
      "5 data 1,2,3\n"  // before any section: ignored
      "10'Number of Faces and Number of Points\n11 data 1,2\n"
      "12'Faces from the 3D Object\n13 data 0,1,9,2,-4,0\n"
      "14'Points from the 3D Object\n15 data 1,0,0,0,1,0,0,0,1\n");
  ASSERT_TRUE(read.outcome.ok) << read.outcome.message;
  Expect_Face(read.store.Faces_Optimized[0], 0, 1, 9);
  Expect_Face(read.store.Faces_Optimized[1], 2, -4, 0);
  Expect_Point(read.store.Pts_Optimized[2], 0, 0, 1);
}

// Data met before the header would land in the arrays of an earlier load:
// it is not stored, but still counts its entries.
TEST(Read_Bas, DataBeforeTheHeaderOnlyMovesTheEntryOn) {
  Bas_Read read = Read_Bas_Text(
      "12'Points from the 3D Object\n13 data 9,9,9\n"
      "10'Number of Faces and Number of Points\n11 data 0,2\n"
      "14 data 1,2,3\n");
  ASSERT_TRUE(read.outcome.ok) << read.outcome.message;
  Expect_Point(read.store.Pts_Optimized[0], 0, 0, 0);
  Expect_Point(read.store.Pts_Optimized[1], 1, 2, 3);
}

}  // namespace
