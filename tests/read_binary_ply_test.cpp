// Binary PLY: every scalar type, both byte orders, any element order, extra
// properties and elements read to the store of the ASCII file of the same
// data; what is wrong with a binary file is named.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "mesh_files.h"
#include "test_files.h"

namespace {

using testing::HasSubstr;

const char* const kFormats[] = {"binary_little_endian", "binary_big_endian"};

MeshStore Read_Ply_Bytes(const std::string& bytes, Outcome& outcome) {
  MeshStore store;
  store.Object_Loaded = true;  // as an earlier load left it
  outcome = Read_Both_Ways(store, Input_Kind::Ply, bytes);
  return store;
}

// Reads the mesh in `layout` as ASCII and as each binary byte order, and
// expects one store and one saved file.
void Expect_Binary_Reads_As_Ascii(const Test_Mesh& mesh, Ply_Layout layout,
                                  const std::vector<std::vector<double>>& coordinates = {}) {
  Outcome outcome;
  layout.format = "ascii";
  MeshStore ascii = Read_Ply_Bytes(Ply_File(mesh, layout, coordinates), outcome);
  ASSERT_TRUE(outcome.ok) << outcome.message;
  EXPECT_EQ(ascii.Input_Format, "ascii-ply");
  for (const char* format : kFormats) {
    SCOPED_TRACE(format);
    layout.format = format;
    MeshStore binary = Read_Ply_Bytes(Ply_File(mesh, layout, coordinates), outcome);
    ASSERT_TRUE(outcome.ok) << outcome.message;
    EXPECT_EQ(binary.Input_Format, "binary-ply");
    Expect_Same_Mesh(binary, ascii);
  }
}

// Every scalar type, by either of its names, read as coordinates, as a corner
// count and as corner indices; the three types of a file differ in size,
// kind or sign, so that reading one as another shows. Coordinates span the
// type's range, with values near zero and repeats so that points merge. The
// rounds go through every order of the elements, with and without other
// properties and elements around the mesh's, and each name of the corner list.
TEST(Binary_Ply, EveryTypeAndLayoutReadsAsItsAsciiFile) {
  struct Scalar {
    const char* names[2];
    double low, high;
    bool whole;
  };
  const Scalar scalars[] = {{{"char", "int8"}, -128, 127, true},       {{"uchar", "uint8"}, 0, 255, true},
                            {{"short", "int16"}, -32768, 32767, true}, {{"ushort", "uint16"}, 0, 65535, true},
                            {{"int", "int32"}, -2147483648.0, 2147483647.0, true},
                            {{"uint", "uint32"}, 0, 4294967295.0, true},
                            {{"float", "float32"}, -1e30, 1e30, false},
                            {{"double", "float64"}, -1e300, 1e300, false}};
  const char* const list_names[] = {"vertex_indices", "vertex_index", "corners"};
  std::mt19937 random(21);
  for (int round = 0; round < 16; ++round) {
    const int i = round % 8, name = round / 8;
    const Scalar& scalar = scalars[i];
    Ply_Layout layout;
    layout.coordinate_type = scalar.names[name];
    layout.count_type = scalars[(i + 1) % 8].names[1 - name];
    layout.index_type = scalars[(i + 3) % 8].names[name];
    layout.faces_first = round & 1;
    layout.extras = round & 2;
    layout.list_name = list_names[round % 3];
    SCOPED_TRACE(layout.coordinate_type + " " + layout.count_type + " " + layout.index_type + " " + layout.list_name +
                 (layout.faces_first ? ", faces first" : "") + (layout.extras ? ", extras" : ""));
    // 100 points: every index fits a char.
    Test_Mesh mesh = Random_Mesh(random, 100, 300, 9);
    std::uniform_real_distribution<double> any(scalar.low, scalar.high);
    std::uniform_real_distribution<double> small(-2, 2);
    std::vector<std::vector<double>> coordinates;
    for (size_t p = 0; p < mesh.points.size(); ++p) {
      std::vector<double> xyz;
      for (int k = 0; k < 3; ++k) {
        double value = p % 3 == 0 ? any(random) : p % 3 == 1 ? small(random) : coordinates[p - 1][k];
        if (scalar.whole) value = std::round(std::clamp(value, scalar.low, scalar.high));
        if (i == 6) value = static_cast<float>(value);
        xyz.push_back(value);
      }
      coordinates.push_back(xyz);
    }
    Expect_Binary_Reads_As_Ascii(mesh, layout, coordinates);
  }
}

// A polygon of n corners is n - 2 triangles; each face the file ends before
// is one zero triangle, and so is a binary face cut inside.
TEST(Binary_Ply, FacesCutShortLoadWithZeros) {
  std::mt19937 random(4);
  const Test_Mesh mesh = Random_Mesh(random, 10, 6, 6);
  int32_t triangles = 0;
  for (size_t f = 0; f < 4; ++f) triangles += static_cast<int32_t>(mesh.faces[f].size()) - 2;
  for (const char* format : {"ascii", "binary_little_endian", "binary_big_endian"}) {
    SCOPED_TRACE(format);
    Ply_Layout layout;
    layout.format = format;
    const std::string whole = Ply_File(mesh, layout);
    // The last two faces: two lines, or 2 x (1 + 4 x corners) bytes.
    const size_t last_two = layout.format == "ascii"
                                ? whole.size() - 1 - whole.rfind('\n', whole.rfind('\n', whole.size() - 2) - 1)
                                : 2 + 4 * (mesh.faces[4].size() + mesh.faces[5].size());
    // Right after the fourth face, and (binary only) inside the fifth.
    for (size_t cut : {last_two, last_two - 3}) {
      if (cut != last_two && layout.format == "ascii") continue;
      Outcome outcome;
      MeshStore store = Read_Ply_Bytes(whole.substr(0, whole.size() - cut), outcome);
      ASSERT_TRUE(outcome.ok) << outcome.message;
      EXPECT_EQ(store.Nb_Faces, triangles + 2 - 1);
      EXPECT_EQ(store.Faces_Optimized.size(), static_cast<size_t>(triangles + 2));
      EXPECT_EQ(store.Polygons_Split, std::count_if(mesh.faces.begin(), mesh.faces.begin() + 4,
                                                    [](const auto& face) { return face.size() > 3; }));
      for (int32_t f = triangles; f <= store.Nb_Faces; ++f) {
        EXPECT_EQ(store.Faces_Normal[f].A, 0);
        EXPECT_EQ(store.Faces_Normal[f].C, 0);
      }
    }
  }
}

struct Refused_Case {
  const char* name;
  std::string bytes;
  const char* says;
};
void PrintTo(const Refused_Case& c, std::ostream* out) { *out << c.name; }

std::string Tet_Header(const std::string& vertex_properties, const std::string& face_properties,
                       const char* format = "binary_little_endian", int vertices = 4, int faces = 4) {
  return "ply\nformat " + std::string(format) + " 1.0\nelement vertex " + std::to_string(vertices) + "\n" +
         vertex_properties + "element face " + std::to_string(faces) + "\n" + face_properties + "end_header\n";
}

const std::string kXyz = "property float x\nproperty float y\nproperty float z\n";
const std::string kList = "property list uchar int vertex_indices\n";

// Four vertices, then the faces, little-endian floats and ints.
std::string Tet_Body(float bad = 0, int32_t corner = 3, uint8_t count = 3, int faces = 4) {
  Byte_Writer out(false);
  const float points[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, bad}};
  for (const auto& p : points)
    for (float v : p) out.Put(v);
  for (int f = 0; f < faces; ++f) {
    out.Put(f == 1 ? count : uint8_t{3});
    for (int k = 0; k < 3; ++k) out.Put(f == 1 && k == 2 ? corner : int32_t{k});
  }
  return out.Bytes();
}

class Binary_Ply_Refused : public testing::TestWithParam<Refused_Case> {};

TEST_P(Binary_Ply_Refused, SaysWhy) {
  Outcome outcome;
  MeshStore store = Read_Ply_Bytes(GetParam().bytes, outcome);
  EXPECT_FALSE(outcome.ok);
  EXPECT_THAT(outcome.message, HasSubstr(GetParam().says));
  EXPECT_FALSE(store.Object_Loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Binary_Ply_Refused,
    testing::Values(
        Refused_Case{"NoZ", Tet_Header("property float x\nproperty float y\n", kList) + Tet_Body(),
                     "Line 3: \"element vertex\" has no property z"},
        Refused_Case{"NoCornerList", Tet_Header(kXyz, "property int corners\n") + Tet_Body(),
                     "Line 7: \"element face\" has no list property"},
        Refused_Case{"UnknownType", Tet_Header(kXyz, "property list uchar long vertex_indices\n") + Tet_Body(),
                     "Line 8: the property type \"long\" is not a PLY type"},
        Refused_Case{"UnknownFormat", Tet_Header(kXyz, kList, "binary_middle_endian") + Tet_Body(),
                     "Line 2: the format is binary_middle_endian"},
        Refused_Case{"CountBeyondTheFile", Tet_Header(kXyz, kList, "binary_little_endian", 100) + Tet_Body(),
                     "Line 3: \"element vertex\" declares 100 entries of at least 12 bytes, but the file has only "},
        Refused_Case{"NotFinite", Tet_Header(kXyz, kList) + Tet_Body(std::numeric_limits<float>::infinity()),
                     "Vertex 3 has a coordinate that is not a finite number"},
        Refused_Case{"NotANumber", Tet_Header(kXyz, kList) + Tet_Body(std::numeric_limits<float>::quiet_NaN()),
                     "Vertex 3 has a coordinate that is not a finite number"},
        Refused_Case{"CornerOutside", Tet_Header(kXyz, kList) + Tet_Body(0, 4),
                     "Face 1 names vertex 4, but the file has 4 vertices"},
        Refused_Case{"NegativeCorner", Tet_Header(kXyz, kList) + Tet_Body(0, -1), "Face 1 names vertex -1"},
        Refused_Case{"NegativeListCount",
                     Tet_Header(kXyz, "property list char int vertex_indices\n") + Tet_Body(0, 2, 0xff),
                     "Entry 1 of \"element face\" declares a list of -1 values"},
        Refused_Case{"VerticesCutShort", Tet_Header(kXyz, kList) + Tet_Body().substr(0, 40),
                     "The file ends after 3 of the 4 vertices its header declares"}),
    [](const testing::TestParamInfo<Refused_Case>& info) { return info.param.name; });

// Lists of fewer than three corners read as the ASCII line of the same
// values: the corners they have, then zeros.
TEST(Binary_Ply, ShortListsReadAsTheirAsciiLines) {
  Test_Mesh mesh;
  mesh.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  mesh.faces = {{3, 2}, {1}, {}, {1, 2, 3}};
  Expect_Binary_Reads_As_Ascii(mesh, Ply_Layout{});
}

}  // namespace
