// Real files written by other tools: the bundled ones always, the wider
// corpus beside the project when it is there.
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "export/write_bas.h"
#include "import/read_stl.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

// Reads an STL and writes its BASIC file; returns the store.
MeshStore Convert(const fs::path& file) {
  MeshStore store;
  store.File_Input = file.string();
  Outcome read = Read_Input(store, Input_Kind::Stl);
  EXPECT_TRUE(read.ok) << file << ": " << read.message;
  EXPECT_TRUE(store.Object_Loaded) << file;
  store.Basic_Line = 10;
  store.Basic_Step = 1;
  store.File_Output = ::testing::TempDir() + file.stem().string() + ".bas";
  Outcome written = Write_Bas(store);
  EXPECT_TRUE(written.ok) << file << ": " << written.message;
  return store;
}

TEST(BundledFiles, CubesAndSolids) {
  const fs::path data = KORVANE_TEST_DATA;
  MeshStore cube = Convert(data / "pro2stl-cube-crlf.stl");
  EXPECT_EQ(cube.Nb_Faces, 11);
  EXPECT_EQ(cube.Nb_Pts_Normal, 35);
  EXPECT_EQ(cube.Nb_Pts_Optimized, 7);
  // "-0" in the file merges with "0"
  MeshStore bodies = Convert(data / "multibody-crlf.stl");
  EXPECT_EQ(bodies.Nb_Faces, 31);
  MeshStore two = Convert(data / "two-solids-triangles.stl");
  EXPECT_EQ(two.Nb_Faces, 1);
  EXPECT_EQ(two.Nb_Pts_Normal, 5);
}

TEST(BundledFiles, BinaryStlFilesLoad) {
  const fs::path data = KORVANE_TEST_DATA;
  // A header that starts "solid", and one that does not.
  MeshStore cube = Convert(data / "unit_cube-solid-header.stl");
  EXPECT_EQ(cube.Input_Format, "binary-stl");
  EXPECT_EQ(cube.Nb_Faces, 11);
  EXPECT_EQ(cube.Nb_Pts_Optimized, 7);
  MeshStore icosahedron = Convert(data / "icosahedron_binary.stl");
  EXPECT_EQ(icosahedron.Nb_Faces, 19);
  EXPECT_EQ(icosahedron.Nb_Pts_Optimized, 11);
}

TEST(SharedCorpus, EveryAsciiStlConvertsWithItsFacetCount) {
  const fs::path folder = fs::path(KORVANE_SHARED_CORPUS) / "stl";
  if (!fs::is_directory(folder)) GTEST_SKIP() << "no corpus at " << folder;
  const std::map<std::string, int32_t> facets = {
      {"openscad-cube.stl", 12},           {"openscad-far-out-ring.stl", 3072}, {"blender272-projection.stl", 4160},
      {"solid-ascii-e000.stl", 64},        {"vcg-wing.stl", 842},               {"sw-tray-bottom-crlf.stl", 4520},
      {"multibody-crlf.stl", 32},          {"pro2stl-cube-crlf.stl", 12},       {"halfdonut-mixedcase.stl", 287},
      {"bwb-quoted-name.stl", 4464},       {"spider-noname.stl", 1368},         {"sphere-with-hole-tabname.stl", 285},
      {"two-solids-triangles.stl", 2}};
  int seen = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    auto expected = facets.find(name);
    ASSERT_NE(expected, facets.end()) << "unlisted corpus file " << name;
    MeshStore store = Convert(entry.path());
    EXPECT_EQ(store.Nb_Faces, expected->second - 1) << name;
    EXPECT_EQ(store.Nb_Pts_Normal, 3 * expected->second - 1) << name;
    EXPECT_LE(store.Nb_Pts_Optimized, store.Nb_Pts_Normal) << name;
    ++seen;
  }
  EXPECT_EQ(seen, static_cast<int>(facets.size()));
  MeshStore cube = Convert(folder / "openscad-cube.stl");
  EXPECT_EQ(cube.Nb_Pts_Optimized, 7);
}

// Binary STL files of three writers: 84 + 50 bytes a facet, every facet read.
TEST(SharedCorpus, EveryBinaryStlLoads) {
  const fs::path folder = fs::path(KORVANE_SHARED_CORPUS) / "binary";
  if (!fs::is_directory(folder)) GTEST_SKIP() << "no corpus at " << folder;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".stl") continue;
    MeshStore store = Convert(entry.path());
    EXPECT_EQ(store.Input_Format, "binary-stl") << entry.path();
    EXPECT_EQ(store.Nb_Faces, (static_cast<int64_t>(entry.file_size()) - 84) / 50 - 1) << entry.path();
  }
}

}  // namespace
