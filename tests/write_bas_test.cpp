// The BASIC data file: layout, packing, coordinate text and line numbering.
#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "core/line_numbering.h"
#include "export/coordinate_text.h"
#include "export/write_bas.h"
#include "test_files.h"

namespace {

MeshStore Optimized_Mesh(const std::vector<Point3>& points, const std::vector<Face3>& faces, int16_t start,
                         int16_t step) {
  MeshStore store;
  store.Pts_Optimized = points;
  store.Faces_Optimized = faces;
  store.Nb_Pts_Optimized = static_cast<int32_t>(points.size()) - 1;
  store.Nb_Faces = static_cast<int32_t>(faces.size()) - 1;
  store.Basic_Line = start;
  store.Basic_Step = step;
  return store;
}

std::string Save(MeshStore& store, const std::string& name) {
  store.File_Output = ::testing::TempDir() + name;
  Outcome outcome = Write_Bas(store);
  EXPECT_TRUE(outcome.ok) << outcome.message;
  return Read_Test_File(store.File_Output);
}

std::string Crlf(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

TEST(WriteBas, OneTriangle) {
  MeshStore store = Optimized_Mesh({{0, 0, 0}, {12.34f, -1.5f, 5}, {-7.25f, 100, 0.05f}}, {{0, 1, 2}}, 10, 1);
  EXPECT_EQ(Save(store, "triangle.bas"), Crlf({"10'Number of Faces and Number of Points", "11 data 0,2",
                                               "12'Points from the 3D Object",
                                               "13 data 0.0,0.0,0.0,12.3,-1.5,5.0,-7.3,100.0,0.1",
                                               "14'Faces from the 3D Object", "15 data 0,1,2"}));
  EXPECT_EQ(store.Basic_Line, 16);
}

TEST(WriteBas, CubeWrapsPastOneHundredCharacters) {
  MeshStore store = Optimized_Mesh(
      {{-5, -5, -5}, {5, -5, -5}, {5, 5, -5}, {-5, 5, -5}, {-5, -5, 5}, {5, -5, 5}, {5, 5, 5}, {-5, 5, 5}},
      {{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}, {0, 1, 5}, {0, 5, 4}, {3, 2, 6}, {3, 6, 7}, {0, 3, 7}, {0, 7, 4},
       {1, 2, 6}, {1, 6, 5}},
      100, 10);
  EXPECT_EQ(Save(store, "cube.bas"),
            Crlf({"100'Number of Faces and Number of Points", "110 data 11,7", "120'Points from the 3D Object",
                  "130 data -5.0,-5.0,-5.0,5.0,-5.0,-5.0,5.0,5.0,-5.0,-5.0,5.0,-5.0,-5.0,-5.0,5.0,5.0,-5.0,5.0,5.0,5.0,5.0",
                  "140 data -5.0,5.0,5.0", "150'Faces from the 3D Object",
                  "160 data 0,1,2,0,2,3,4,5,6,4,6,7,0,1,5,0,5,4,3,2,6,3,6,7,0,3,7,0,7,4,1,2,6,1,6,5"}));
}

TEST(WriteBas, EmptyMeshGivesFourLines) {
  MeshStore store = Optimized_Mesh({}, {}, 10, 1);
  EXPECT_EQ(Save(store, "empty.bas"), Crlf({"10'Number of Faces and Number of Points", "11 data -1,-1",
                                            "12'Points from the 3D Object", "13'Faces from the 3D Object"}));
}

// "13 data " + "1000.0,1000.0,1000.0" + six ",0.0,0.0,0.0" is exactly 100 characters.
std::vector<Point3> Points_Filling_A_Line(int zeros) {
  std::vector<Point3> points = {{1000, 1000, 1000}};
  points.resize(1 + zeros, Point3{});
  return points;
}

TEST(WriteBas, PackingAtTheHundredCharacterMark) {
  std::string full_line = "13 data 1000.0,1000.0,1000.0";
  for (int i = 0; i < 6; ++i) full_line += ",0.0,0.0,0.0";
  ASSERT_EQ(full_line.size(), 100u);

  // Exactly 100: not written until the section ends.
  MeshStore at_100 = Optimized_Mesh(Points_Filling_A_Line(6), {{0, 1, 2}}, 10, 1);
  std::string text = Save(at_100, "at100.bas");
  EXPECT_NE(text.find(full_line + "\r\n14'Faces from the 3D Object\r\n15 data 0,1,2\r\n"), std::string::npos);

  // The last point pushes the line past 100: it is written, no empty data
  // line follows, and the faces comment takes the next number.
  MeshStore past = Optimized_Mesh(Points_Filling_A_Line(7), {{0, 1, 2}}, 10, 1);
  text = Save(past, "past100.bas");
  EXPECT_NE(text.find(full_line + ",0.0,0.0,0.0\r\n14'Faces from the 3D Object\r\n"), std::string::npos);

  // One more point opens the next data line.
  MeshStore more = Optimized_Mesh(Points_Filling_A_Line(8), {{0, 1, 2}}, 10, 1);
  text = Save(more, "more.bas");
  EXPECT_NE(text.find(",0.0,0.0,0.0\r\n14 data 0.0,0.0,0.0\r\n15'Faces"), std::string::npos);
}

TEST(WriteBas, ALongFirstItemIsNotTestedAlone) {
  MeshStore store = Optimized_Mesh({{FLT_MAX, -FLT_MAX, FLT_MAX}, {1, 2, 3}}, {{0, 1, 1}}, 10, 1);
  std::string text = Save(store, "huge.bas");
  const std::string max = "340282350000000000000000000000000000000.0";
  EXPECT_NE(text.find("13 data " + max + ",-" + max + "," + max + ",1.0,2.0,3.0\r\n14'Faces"), std::string::npos);
}

TEST(WriteBas, LineNumbersFollowStartAndStep) {
  MeshStore zero_step = Optimized_Mesh({}, {}, 7, 0);
  EXPECT_EQ(Save(zero_step, "zero.bas"), Crlf({"7'Number of Faces and Number of Points", "7 data -1,-1",
                                               "7'Points from the 3D Object", "7'Faces from the 3D Object"}));
  MeshStore negative = Optimized_Mesh({{1, 2, 3}, {4, 5, 6}, {10, 11, 12}}, {{0, 1, 2}}, -5, -2);
  std::string text = Save(negative, "negative.bas");
  EXPECT_EQ(text.substr(0, 40), "-5'Number of Faces and Number of Points\r");
  EXPECT_NE(text.find("-15 data 0,1,2\r\n"), std::string::npos);
  // the last line may use 32767 itself
  MeshStore top = Optimized_Mesh({}, {}, 32758, 3);
  EXPECT_NE(Save(top, "top.bas").find("32767'Faces from the 3D Object\r\n"), std::string::npos);
}

TEST(WriteBas, LineNumbersOutOfRangeWriteNothing) {
  const std::filesystem::path folder = ::testing::TempDir() + "kept-folder";
  std::filesystem::create_directories(folder);
  for (auto [start, step] : {std::pair<int16_t, int16_t>{32760, 3}, {-32766, -1}, {32767, 1}}) {
    MeshStore store = Optimized_Mesh({{1, 2, 3}}, {{0, 0, 0}}, start, step);
    store.File_Output = Write_Test_File("kept-folder/kept.bas", "the user's old file");
    Outcome outcome = Write_Bas(store);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.shown);
    EXPECT_EQ(outcome.message, "Too many lines for the BASIC line numbers");
    EXPECT_EQ(Read_Test_File(store.File_Output), "the user's old file");
  }
  // nothing but the old file is left in its folder
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    EXPECT_EQ(entry.path().filename(), "kept.bas");
}

// The line count that --faces auto relies on is the writer's own: over
// random meshes and numberings, the lines written are the lines counted, and
// a save is refused exactly when they are more than the numbers allow.
TEST(WriteBas, CountedLinesAreTheWrittenLinesAndDecideTheRefusal) {
  std::mt19937 random(42);
  std::uniform_real_distribution<float> coordinate(-2000, 2000);
  const std::string path = (Test_Temp_Folder() / "counted.bas").string();
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<Point3> points(random() % 400);
    for (Point3& p : points) p = {coordinate(random), coordinate(random) / 100, coordinate(random) * 1000};
    std::vector<Face3> faces(random() % 600);
    for (Face3& f : faces) f = {static_cast<int32_t>(random() % 100000), 7, static_cast<int32_t>(random() % 10)};
    // Starts near either end of the range, so that many saves are refused.
    const int16_t start = static_cast<int16_t>(trial % 2 ? 32767 - static_cast<int>(random() % 700)
                                                         : -32768 + static_cast<int>(random() % 700));
    const int16_t step = static_cast<int16_t>(static_cast<int>(random() % 7) - 3);
    SCOPED_TRACE(std::to_string(start) + " by " + std::to_string(step));
    MeshStore store = Optimized_Mesh(points, faces, start, step);
    store.File_Output = path;
    std::filesystem::remove(path);
    const int64_t counted = Count_Bas_Lines(points, faces, start, step);
    const int64_t available = Available_Bas_Lines(start, step);
    // Brute force: the numbers start, start + step, ... within the range.
    int64_t numbered = 0;
    for (int64_t number = start; step != 0 && number >= INT16_MIN && number <= INT16_MAX; number += step) ++numbered;
    EXPECT_EQ(available, step == 0 ? -1 : numbered);
    const Outcome written = Write_Bas(store);
    EXPECT_EQ(written.ok, available < 0 || counted <= available);
    if (written.ok) {
      const std::string text = Read_Test_File(path);
      EXPECT_EQ(static_cast<int64_t>(std::count(text.begin(), text.end(), '\n')), counted);
    }
  }
}

TEST(WriteBas, UnwritablePathFailsWithoutAFile) {
  MeshStore store = Optimized_Mesh({{1, 2, 3}}, {{0, 0, 0}}, 10, 1);
  store.File_Output = ::testing::TempDir() + "no-such-folder/out.bas";
  Outcome outcome = Write_Bas(store);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.message, "Cannot write file: " + store.File_Output);
  EXPECT_FALSE(std::filesystem::exists(store.File_Output));
}

#ifdef KORVANE_CHECK_STORE
// Saving is offered only for a loaded object, whose arrays hold what their
// counters name; the checked build catches a store that breaks the rule.
TEST(WriteBasDeathTest, CountersBeyondTheArraysAreCaught) {
  MeshStore store = Optimized_Mesh({{1, 2, 3}}, {{0, 0, 0}}, 10, 1);
  store.Nb_Pts_Optimized = 5;
  store.File_Output = (Test_Temp_Folder() / "incomplete.bas").string();
  EXPECT_DEATH(Write_Bas(store), "the saved mesh holds what its counters name");
  EXPECT_FALSE(std::filesystem::exists(store.File_Output));
}
#endif

struct Coordinate_Case {
  float value;
  const char* text;
};

void PrintTo(const Coordinate_Case& c, std::ostream* out) { *out << c.text; }

class CoordinateText : public ::testing::TestWithParam<Coordinate_Case> {};

TEST_P(CoordinateText, OneDecimalHalfAwayFromZero) {
  char out[64];
  size_t n = Format_Coordinate(GetParam().value, out);
  EXPECT_EQ(std::string(out, n), GetParam().text) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, CoordinateText,
    ::testing::Values(Coordinate_Case{0, "0.0"}, Coordinate_Case{0.5f, "0.5"}, Coordinate_Case{0.05f, "0.1"},
                      Coordinate_Case{0.25f, "0.3"}, Coordinate_Case{0.96f, "1.0"}, Coordinate_Case{1.96f, "2.0"},
                      Coordinate_Case{12.34f, "12.3"}, Coordinate_Case{-1.5f, "-1.5"},
                      Coordinate_Case{-7.25f, "-7.3"}, Coordinate_Case{100, "100.0"},
                      Coordinate_Case{1234.56f, "1234.6"},
                      // from the shortest decimal text, not the binary expansion
                      Coordinate_Case{0.35f, "0.4"}, Coordinate_Case{0.95f, "1.0"}, Coordinate_Case{-9.96f, "-10.0"},
                      Coordinate_Case{99.95f, "100.0"}, Coordinate_Case{0.049f, "0.0"},
                      // no minus sign on a zero
                      Coordinate_Case{-0.0f, "0.0"}, Coordinate_Case{-0.04f, "0.0"}, Coordinate_Case{-0.05f, "-0.1"},
                      Coordinate_Case{1e-30f, "0.0"}, Coordinate_Case{123456789.0f, "123456790.0"},
                      Coordinate_Case{1e20f, "100000000000000000000.0"}));

// An independent reference: the shortest fixed-notation text of the float,
// rounded at the first decimal by decimal string arithmetic. (Above 2^24 the
// fixed notation spells the float's exact integer, not its shortest digits,
// so the comparison stays below that.)
std::string Reference_Coordinate(float value) {
  char text[128];
  auto end = std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::fixed).ptr;
  std::string digits(text, end);
  size_t point = digits.find('.');
  if (point == std::string::npos) {
    digits += ".0";
    point = digits.size() - 2;
  }
  bool up = point + 2 < digits.size() && digits[point + 2] >= '5';
  std::string kept = digits.substr(0, point) + digits.substr(point + 1, 1);
  for (size_t i = kept.size(); up && i-- > 0;) {
    up = kept[i] == '9';
    kept[i] = up ? '0' : static_cast<char>(kept[i] + 1);
  }
  if (up) kept = "1" + kept;
  std::string result = kept.substr(0, kept.size() - 1) + "." + kept.back();
  if (std::signbit(value) && kept.find_first_not_of('0') != std::string::npos) result = "-" + result;
  return result;
}

TEST(CoordinateTextProperty, MatchesDecimalRoundingOfTheShortestText) {
  std::mt19937 random(11);
  std::vector<float> values;
  for (int k = -20000; k <= 20000; ++k) {  // every halfway point near zero, and its float neighbours
    float half = static_cast<float>(k) / 20.0f;
    values.insert(values.end(), {half, std::nextafter(half, -1e30f), std::nextafter(half, 1e30f)});
  }
  for (int i = 0; i < 300000; ++i) {
    uint32_t bits = static_cast<uint32_t>(random());
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value) && std::fabs(value) < 16777216.0f) values.push_back(value);
    values.push_back(std::uniform_real_distribution<float>(-5000, 5000)(random));
  }
  char out[64];
  for (float value : values) {
    size_t n = Format_Coordinate(value, out);
    ASSERT_EQ(std::string(out, n), Reference_Coordinate(value)) << value;
  }
}

TEST(WriteBas, FaceIndicesOfAnyValue) {
  MeshStore store = Optimized_Mesh({{1, 2, 3}}, {{INT32_MIN, -1, INT32_MAX}, {10, 11, 12}}, 10, 1);
  EXPECT_NE(Save(store, "indices.bas").find("15 data -2147483648,-1,2147483647,10,11,12\r\n"), std::string::npos);
}

TEST(LineNumbering, TextsRoundHalfToEven) {
  struct Case {
    const char* text;
    int16_t value;
  };
  for (Case c : {Case{"10", 10}, Case{"12.5", 12}, Case{"13.5", 14}, Case{" 20", 20}, Case{"abc", 0}, Case{"", 0},
                 Case{"-32768", -32768}, Case{"32767.4", 32767}, Case{"&H10", 16}}) {
    MeshStore store;
    ASSERT_TRUE(Set_Line_Numbering(store, c.text, "1").ok) << c.text;
    EXPECT_EQ(store.Basic_Line, c.value) << c.text;
    // A step below 1 is refused, and leaves the step as it was.
    store.Basic_Step = 7;
    EXPECT_EQ(Set_Line_Numbering(store, "10", c.text).ok, c.value >= 1) << c.text;
    EXPECT_EQ(store.Basic_Step, c.value >= 1 ? c.value : 7) << c.text;
  }
}

TEST(LineNumbering, OutOfRangeIsRefusedAndChangesNothing) {
  for (auto [start, step] : {std::pair{"40000", "1"}, {"10", "-32769"}, {"32767.5", "1"}, {"1e300", "1"}}) {
    MeshStore store;
    store.Basic_Line = 3;
    store.Basic_Step = 4;
    Outcome outcome = Set_Line_Numbering(store, start, step);
    EXPECT_FALSE(outcome.ok) << start << " " << step;
    EXPECT_EQ(outcome.message, "Basic Line Start and Step must lie between -32768 and 32767");
    EXPECT_EQ(store.Basic_Line, 3);
    EXPECT_EQ(store.Basic_Step, 4);
  }
}

}  // namespace
