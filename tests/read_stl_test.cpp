// The ASCII STL reader: counting, facet layout, vertex lines and the
// outcome of odd files.
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "import/read_stl.h"
#include "test_files.h"

namespace {

struct Vertex_Case {
  const char* line;
  Point3 expected;
};

void PrintTo(const Vertex_Case& c, std::ostream* out) { *out << '"' << c.line << '"'; }

class StlVertexLine : public ::testing::TestWithParam<Vertex_Case> {};

TEST_P(StlVertexLine, ReadsThreeValues) {
  Point3 p = Parse_Stl_Vertex(GetParam().line);
  EXPECT_EQ(p.X, GetParam().expected.X) << GetParam().line;
  EXPECT_EQ(p.Y, GetParam().expected.Y) << GetParam().line;
  EXPECT_EQ(p.Z, GetParam().expected.Z) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, StlVertexLine,
    ::testing::Values(
        Vertex_Case{"      vertex 1 2 3", {1, 2, 3}},
        Vertex_Case{"   vertex    1.5e+001   -2  3.25   ", {15, -2, 3.25f}},
        Vertex_Case{"vertex   3.685681e+01  3.25e+00 -1.0e-01", {36.85681f, 3.25f, -0.1f}},
        // a fourth value is ignored, not glued onto Z
        Vertex_Case{"vertex 1 2 3 4", {1, 2, 3}},
        Vertex_Case{"vertex\t1\t2\t3", {1, 2, 3}},
        Vertex_Case{"vertex \t 1 \t\t2\t 3\t", {1, 2, 3}},
        Vertex_Case{"vertex 1 2", {1, 2, 0}},
        Vertex_Case{"vertex", {0, 0, 0}},
        Vertex_Case{"", {0, 0, 0}},
        Vertex_Case{"vertex 1,5 2 3", {1, 2, 3}},
        // values outside the plain decimal shape take the full grammar
        Vertex_Case{"vertex 1D2 +2 &H10", {100, 2, 16}},
        Vertex_Case{"vertex 00000000000000000000001.5 .5e1 2.e-1", {1.5f, 5, 0.2f}},
        // without the keyword the values start at the 7th character
        Vertex_Case{"VERTEX 4 5 6", {4, 5, 6}},
        Vertex_Case{"abcdef9 8 7", {9, 8, 7}},
        Vertex_Case{"endloop", {0, 0, 0}},
        // numbers beyond the float range saturate
        Vertex_Case{"vertex 1e39 -1e300 1e-50", {3.40282347e38f, -3.40282347e38f, 0}}));

MeshStore Read(const std::string& name, const std::string& text, bool as_stream = false) {
  MeshStore store;
  Read_Bytes(store, Input_Kind::Stl, text, name, as_stream);
  return store;
}

TEST(ReadStl, FacetsOwnThreePointsEach) {
  std::string text = "solid t\n" + Stl_Facet("0 0 0", "1 0 0", "0 1 0") + Stl_Facet("0 0 0", "0 1 0", "-1 0 0") +
                     Stl_Facet("5 5 5", "6 5 5", "5 6 5") + "endsolid t\n";
  MeshStore store = Read("three.stl", text);
  EXPECT_TRUE(store.Object_Loaded);
  EXPECT_EQ(store.Nb_Faces, 2);
  EXPECT_EQ(store.Nb_Pts_Normal, 8);
  for (int32_t f = 0; f <= 2; ++f) {
    EXPECT_EQ(store.Faces_Normal[f].A, 3 * f);
    EXPECT_EQ(store.Faces_Normal[f].B, 3 * f + 1);
    EXPECT_EQ(store.Faces_Normal[f].C, 3 * f + 2);
  }
  EXPECT_EQ(store.Pts_Normal[5].X, -1.0f);
  EXPECT_EQ(store.Pts_Normal[7].X, 6.0f);
  // merging ran: (0,0,0) and (0,1,0) are shared by the first two facets
  EXPECT_EQ(store.Nb_Pts_Optimized, 6);
  // every array the reader sizes has its final size
  EXPECT_EQ(store.Pts_Optimized.size(), 9u);
  EXPECT_EQ(store.Pts_Screen.size(), 9u);
  EXPECT_EQ(store.Faces_Visible.size(), 3u);
}

TEST(ReadStl, OnlyExactLowerCaseFacetLinesCount) {
  // "facet normal" inside the solid's name is a facet, and the four lines
  // after it are its body; capitals and end lines do not count.
  std::string text = "solid facet normal demo\nouter loop\nvertex 7 8 9\nvertex 1 1 1\nvertex 2 2 2\n" +
                     Stl_Facet("1 2 3", "4 5 6", "7 8 10") +
                     "  FACET NORMAL 0 0 1\n    outer loop\n      vertex 9 9 9\n      vertex 9 9 9\n"
                     "      vertex 9 9 9\n    ENDLOOP\n  ENDFACET\nendsolid\n";
  MeshStore store = Read("names.stl", text);
  EXPECT_TRUE(store.Object_Loaded);
  EXPECT_EQ(store.Nb_Faces, 1);
  EXPECT_EQ(store.Pts_Normal[0].X, 7.0f);
  EXPECT_EQ(store.Pts_Normal[5].Z, 10.0f);
}

TEST(ReadStl, SingleFacetIsStoredButNotLoaded) {
  MeshStore store = Read("one.stl", "solid x\n" + Stl_Facet("0 0 0", "1 0 0", "0 1 0") + "endsolid x\n");
  EXPECT_FALSE(store.Object_Loaded);
  EXPECT_EQ(store.Nb_Faces, 0);
  EXPECT_EQ(store.Nb_Pts_Normal, 2);
  EXPECT_EQ(store.Pts_Normal[1].X, 1.0f);
  EXPECT_EQ(store.Faces_Normal[0].C, 2);
  EXPECT_EQ(store.Nb_Pts_Optimized, 0);  // no merging ran
}

TEST(ReadStl, FilesWithoutFacetsAreNotLoaded) {
  for (const std::string& text : {std::string(), std::string("solid empty\nendsolid empty\n"),
                                  std::string("\0\1\2 binary\xff\n", 11)}) {
    MeshStore store = Read("none.stl", text);
    EXPECT_FALSE(store.Object_Loaded);
    EXPECT_EQ(store.Nb_Faces, -1);
    EXPECT_EQ(store.Nb_Pts_Normal, -1);
    EXPECT_TRUE(store.Pts_Normal.empty());
  }
}

TEST(ReadStl, EveryReadClearsObjectLoadedFirst) {
  MeshStore store;
  ASSERT_TRUE(
      Read_Bytes(store, Input_Kind::Stl, Stl_Facet("0 0 0", "1 0 0", "0 1 0") + Stl_Facet("0 0 0", "1 1 0", "0 1 0")).ok);
  ASSERT_TRUE(store.Object_Loaded);
  Outcome outcome = Read_Bytes(store, Input_Kind::Stl, Stl_Facet("0 0 0", "1 0 0", "0 1 0"));
  EXPECT_FALSE(outcome.ok);
  EXPECT_FALSE(outcome.shown);  // the window stays silent; the CLI says why
  EXPECT_FALSE(store.Object_Loaded);
  // the smaller mesh leaves nothing of the first one behind
  EXPECT_EQ(store.Pts_Normal.size(), 3u);
  EXPECT_LE(store.Faces_Optimized.size(), 1u);
}

TEST(ReadStl, FacetCutShortKeepsZerosWhereTheFileEnds) {
  std::string text = Stl_Facet("1 1 1", "2 2 2", "3 3 3") + "facet normal 0 0 1\nouter loop\nvertex 4 4 4\nvertex 5 5 5";
  MeshStore store = Read("cut.stl", text);
  EXPECT_TRUE(store.Object_Loaded);
  EXPECT_EQ(store.Nb_Faces, 1);
  EXPECT_EQ(store.Nb_Pts_Normal, 5);
  EXPECT_EQ(store.Pts_Normal[4].X, 5.0f);
  EXPECT_EQ(store.Pts_Normal[5].X, 0.0f);
  EXPECT_EQ(store.Faces_Normal[1].A, 3);
  EXPECT_EQ(store.Faces_Normal[1].B, 4);
  EXPECT_EQ(store.Faces_Normal[1].C, 0);
}

TEST(ReadStl, FacetLineInsideABodyIsReadAsAVertex) {
  // The second "facet normal" falls on the first facet's third vertex line.
  std::string text = "facet normal 0 0 1\nouter loop\nvertex 1 1 1\nvertex 2 2 2\nfacet normal 0 0 1\n" +
                     Stl_Facet("7 7 7", "8 8 8", "9 9 9");
  MeshStore store = Read("nested.stl", text);
  EXPECT_EQ(store.Nb_Faces, 2);  // three facet lines count, the one read as a vertex too
  EXPECT_TRUE(store.Object_Loaded);
  EXPECT_EQ(store.Pts_Normal[2].X, 0.0f);  // "facet normal 0 0 1" read from its 7th character
  EXPECT_EQ(store.Pts_Normal[2].Y, 0.0f);
  EXPECT_EQ(store.Pts_Normal[5].X, 9.0f);
  EXPECT_EQ(store.Faces_Normal[2].A, 0);  // the unfilled tail stays zero
  EXPECT_EQ(store.Pts_Normal[8].X, 0.0f);
}

// The arrays end sized to the facets found, whether the input's size was
// known in advance (a file) or not (a pipe, read in growing arrays).
TEST(ReadStl, ArraysEndSizedToTheFacetsFoundFromFilesAndStreams) {
  std::string text = "solid strip\n";
  for (int f = 0; f < 3000; ++f) {
    const std::string x = std::to_string(f);
    text += Stl_Facet(x + " 0 0", x + " 1 0", x + ".5 0 -0");
  }
  text += "facet normal 0 0 1\nouter loop\nvertex 5 5 5\n";  // cut short: zeros after it
  MeshStore from_pipe;
  const Outcome piped = Read_Bytes(from_pipe, Input_Kind::Stl, text, "strip.stl", true);
  MeshStore from_file = Read("strip.stl", text);

  for (const MeshStore* store : {&from_file, &from_pipe}) {
    SCOPED_TRACE(store == &from_pipe ? "pipe" : "file");
    EXPECT_TRUE(store->Object_Loaded);
    ASSERT_EQ(store->Nb_Faces, 3000);
    ASSERT_EQ(store->Nb_Pts_Normal, 9002);
    EXPECT_EQ(store->Faces_Normal.size(), 3001u);
    EXPECT_EQ(store->Pts_Normal.size(), 9003u);
    EXPECT_EQ(store->Faces_Optimized.size(), 3001u);
    EXPECT_EQ(store->Faces_Visible.size(), 3001u);
    EXPECT_EQ(store->Pts_Optimized.size(), 9003u);
    EXPECT_EQ(store->Pts_Screen.size(), 9003u);
    EXPECT_EQ(store->Pts_Normal[8999].X, 2999.5f);
    EXPECT_EQ(store->Pts_Normal[9000].X, 5.0f);
    EXPECT_EQ(store->Pts_Normal[9001].X, 0.0f);
    EXPECT_EQ(store->Faces_Normal[3000].A, 9000);
    EXPECT_EQ(store->Faces_Normal[3000].B, 0);
    EXPECT_EQ(store->Nb_Pts_Optimized, 9000);  // the strip's 9000 points and (5, 5, 5); the zeros are the first point
  }
  EXPECT_TRUE(piped.ok);
  EXPECT_EQ(std::memcmp(from_pipe.Pts_Normal.data(), from_file.Pts_Normal.data(), 9003 * sizeof(Point3)), 0);
  EXPECT_EQ(std::memcmp(from_pipe.Faces_Optimized.data(), from_file.Faces_Optimized.data(), 3001 * sizeof(Face3)), 0);
}

TEST(ReadStl, UnreadableFileSaysSo) {
  MeshStore store;
  store.Object_Loaded = true;
  store.File_Input = ::testing::TempDir() + "missing/nothing.stl";
  Outcome outcome = Read_Input(store, Input_Kind::Stl);
  EXPECT_FALSE(outcome.ok);
  EXPECT_TRUE(outcome.shown);
  EXPECT_EQ(outcome.message, "Cannot open file: " + store.File_Input);
  EXPECT_FALSE(store.Object_Loaded);
}

}  // namespace
