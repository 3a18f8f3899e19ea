// Binary STL: the size rule decides, every facet reads as its ASCII facet
// would, from a file and from a pipe, and what is wrong is named.
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "import/binary_stl.h"
#include "mesh_files.h"
#include "test_files.h"

namespace {

// Facets over a small grid (shared corners merge) with the values that
// text and bits could disagree on: -0, tiny and huge magnitudes.
std::vector<Test_Facet> Random_Facets(std::mt19937& random, int count) {
  const float specials[] = {0.0f, -0.0f, 1e-40f, -3.4e38f, 3.4028235e38f, 0.1f, 1234567.9f, -2.5f};
  std::uniform_int_distribution<int> pick(0, 15);
  auto value = [&] {
    const int k = pick(random);
    return k < 8 ? specials[k] : static_cast<float>(k - 12) * 0.75f;
  };
  std::vector<Test_Facet> facets(static_cast<size_t>(count));
  for (Test_Facet& facet : facets)
    for (Point3& p : facet.corners) p = {value(), value(), value()};
  return facets;
}

// A file of 84 + 50 N bytes is a binary STL of N facets whatever its header
// says, even that it is an ASCII file with a facet line in it; each facet
// reads as its ASCII facet of the same floats would.
TEST(Binary_Stl, SizeDecidesAndFacetsReadAsTheirAsciiFile) {
  std::mt19937 random(14);
  const std::pair<int, std::string> files[] = {
      {2, "solid unit_cube"}, {3, "solid x\n  facet normal 0 0 1\n"}, {17, ""}, {1000, "test"}, {25000, "solid"}};
  for (const auto& [count, header] : files) {
    SCOPED_TRACE(count);
    const std::vector<Test_Facet> facets = Random_Facets(random, count);
    MeshStore binary, ascii;
    ASSERT_TRUE(Read_Both_Ways(binary, Input_Kind::Stl, Binary_Stl(facets, header)).ok);
    ASSERT_TRUE(Read_Both_Ways(ascii, Input_Kind::Stl, Ascii_Stl(facets)).ok);
    EXPECT_EQ(binary.Input_Format, "binary-stl");
    EXPECT_EQ(ascii.Input_Format, "ascii-stl");
    EXPECT_EQ(binary.Nb_Faces, count - 1);
    Expect_Same_Mesh(binary, ascii);
  }
}

TEST(Binary_Stl, WrongSizeGivesBothSizes) {
  std::mt19937 random(5);
  const std::string file = Binary_Stl(Random_Facets(random, 12));
  for (const std::string& bytes : {file.substr(0, file.size() - 1), file + "x", file.substr(0, 84),
                                  file.substr(0, 100), file + file}) {
    MeshStore store;
    store.Object_Loaded = true;
    const Outcome outcome = Read_Both_Ways(store, Input_Kind::Stl, bytes);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.shown);
    EXPECT_EQ(outcome.message, "The binary STL header declares 12 facets, which take 684 bytes, but the file has " +
                                   std::to_string(bytes.size()) + " bytes");
    EXPECT_FALSE(store.Object_Loaded);
  }
}

TEST(Binary_Stl, CoordinateThatIsNotANumberNamesTheFacet) {
  std::mt19937 random(9);
  const std::vector<Test_Facet> facets = Random_Facets(random, 40);
  for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                    -std::numeric_limits<float>::infinity()})
    for (int coordinate = 0; coordinate < 9; ++coordinate) {
      std::vector<Test_Facet> broken = facets;
      Point3& corner = broken[27].corners[coordinate / 3];
      (coordinate % 3 == 0 ? corner.X : coordinate % 3 == 1 ? corner.Y : corner.Z) = bad;
      broken[33].corners[0].X = bad;  // only the first is named
      MeshStore store;
      const Outcome outcome = Read_Both_Ways(store, Input_Kind::Stl, Binary_Stl(broken));
      EXPECT_FALSE(outcome.ok);
      EXPECT_TRUE(outcome.shown);
      EXPECT_EQ(outcome.message, "Facet 27 of the binary STL has a coordinate that is not a finite number");
    }
}

TEST(Binary_Stl, FewerThanTwoFacetsAreNotAMesh) {
  std::mt19937 random(1);
  MeshStore none, one;
  const Outcome empty = Read_Both_Ways(none, Input_Kind::Stl, Binary_Stl({}));
  EXPECT_FALSE(empty.ok);
  EXPECT_FALSE(empty.shown);
  EXPECT_EQ(none.Nb_Faces, -1);
  EXPECT_EQ(none.Nb_Pts_Normal, -1);
  const Outcome single = Read_Both_Ways(one, Input_Kind::Stl, Binary_Stl(Random_Facets(random, 1)));
  EXPECT_EQ(single.message, "Only one facet read: a mesh needs at least two");
  EXPECT_EQ(one.Nb_Faces, 0);
  EXPECT_EQ(one.Nb_Pts_Normal, 2);
}

// An ASCII file whose head has a byte that text does not is still read as
// ASCII when its size is not a binary STL's, and a short binary-looking file
// is simply not an STL.
TEST(Binary_Stl, OtherSizesReadAsAsciiExactlyAsBefore) {
  std::string text = "solid \x01 odd name" + std::string(90, ' ') + "\n" + Stl_Facet("0 0 0", "1 0 0", "0 1 0") +
                     Stl_Facet("0 0 0", "1 1 0", "0 1 0");
  MeshStore store;
  ASSERT_TRUE(Read_Both_Ways(store, Input_Kind::Stl, text).ok);
  EXPECT_EQ(store.Input_Format, "ascii-stl");
  EXPECT_EQ(store.Nb_Faces, 1);
  MeshStore shorter;
  const Outcome outcome = Read_Both_Ways(shorter, Input_Kind::Stl, std::string("\0\1\2 binary\xff\n", 11));
  EXPECT_EQ(outcome.message, "No \"facet normal\" line: not an ASCII STL file");
}

TEST(Binary_Stl, HeadThatLooksBinary) {
  EXPECT_FALSE(Looks_Binary("solid name\t\r\n\v\f padded        "));
  EXPECT_FALSE(Looks_Binary("caf\xc3\xa9 \xff"));  // bytes above 127 are text in some encoding
  for (char control : {'\0', '\x01', '\x08', '\x0e', '\x1f', '\x7f'})
    EXPECT_TRUE(Looks_Binary(std::string("solid ") + control)) << int(control);
}

// A pipe whose text read stops early is drained for as long as it may still
// be a binary STL: to its last byte, whatever the pieces, and no further.
TEST(Binary_Stl, DecoderStaysPossibleToTheLastByteOnly) {
  std::mt19937 random(11);
  const std::string bytes = Binary_Stl(Random_Facets(random, 300));
  std::uniform_int_distribution<size_t> piece(1, 120);
  Mesh_Arrays mesh;
  Binary_Stl_Decoder decoder(mesh, false);
  for (size_t at = 0; at < bytes.size();) {
    const size_t size = std::min(piece(random), bytes.size() - at);
    ASSERT_TRUE(decoder.Feed(bytes.data() + at, size));
    at += size;
    ASSERT_TRUE(decoder.Still_Possible()) << at;
  }
  EXPECT_TRUE(decoder.Is_Binary(bytes.size()));
  decoder.Feed("x", 1);
  EXPECT_FALSE(decoder.Still_Possible());
}

}  // namespace
