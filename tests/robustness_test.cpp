// Files made to exhaust the converter: declared counts far beyond what the
// file holds, a line of a hundred megabytes, a file of nothing but line
// ends. Each read must end with a clear outcome within seconds and without
// taking memory in proportion to what the file claims or to its longest line.
// The files are generated here, in the test's own temporary folder.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/line_reader.h"
#include "import/read_input.h"
#include "test_files.h"

namespace {

constexpr double kSeconds = 5.0;
constexpr long kMemory_Bytes = 64L << 20;  // far below the 100 MB line

long Peak_Memory_Bytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss * 1024L;
}

// Writes head, then `count` copies of `fill` in blocks of a megabyte (the
// test itself never holds the file), then tail.
std::string Write_Large_File(const std::string& name, const std::string& head, const std::string& fill,
                             size_t count, const std::string& tail) {
  const std::string path = (Test_Temp_Folder() / name).string();
  std::ofstream out(path, std::ios::binary);
  out << head;
  std::string block;
  const size_t per_block = std::max<size_t>(1, (1 << 20) / fill.size());
  for (size_t i = 0; i < per_block; ++i) block += fill;
  for (size_t done = 0; done < count; done += per_block)
    out.write(block.data(), static_cast<std::streamsize>(std::min(per_block, count - done) * fill.size()));
  out << tail;
  return path;
}

struct Timed_Read {
  MeshStore store;
  Outcome outcome;
  double seconds = 0;
  long memory_growth = 0;
};

Timed_Read Read_File(const std::string& path) {
  Timed_Read read;
  read.store.File_Input = path;
  const long peak_before = Peak_Memory_Bytes();
  const auto start = std::chrono::steady_clock::now();
  read.outcome = Read_Input(read.store, Kind_Of_Input(path));
  read.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  read.memory_growth = Peak_Memory_Bytes() - peak_before;
  std::filesystem::remove(path);
  return read;
}

void Expect_Refused(const Timed_Read& read, const std::string& message) {
  EXPECT_FALSE(read.outcome.ok);
  EXPECT_EQ(read.outcome.message, message);
  EXPECT_FALSE(read.store.Object_Loaded);
  EXPECT_LT(read.seconds, kSeconds);
  EXPECT_LT(read.memory_growth, kMemory_Bytes);
}

const std::string kFacets =
    Stl_Facet("0 0 0", "1 0 0", "0 1 0") + Stl_Facet("0 0 0", "0 1 0", "0 0 1");
const std::string kPly_Header =
    "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
    "element face 2\nproperty list uchar int vertex_indices\nend_header\n";
const std::string kBas_Head = "10'Number of Faces and Number of Points\r\n";
const std::string kBas_Counts = "11 data 1,2\r\n";

// ---- declared counts far beyond the file ----

TEST(Robustness, HugeDeclaredCountsAreRefusedBeforeAnythingIsSized) {
  struct Case {
    const char* name;
    std::string text;
    std::string message;
  };
  const std::string ply_tail = "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n3 0 2 1\n";
  auto ply_size = [&](const std::string& header) { return std::to_string(header.size() + ply_tail.size()); };
  std::string vertices = kPly_Header;
  vertices.replace(vertices.find("vertex 3"), 8, "vertex 2147483647");
  std::string faces = kPly_Header;
  faces.replace(faces.find("face 2"), 6, "face 99999999999999999999");  // saturates
  const std::string bas = kBas_Head + "11 data 2000000000,2000000000\r\n12'Points from the 3D Object\r\n";
  const std::string bas_points = kBas_Head + "11 data 1,1e300\r\n12'Points from the 3D Object\r\n";
  const Case cases[] = {
      {"vertices.ply", vertices + ply_tail,
       "Line 3: \"element vertex\" declares 2147483647 entries, but the file has only " + ply_size(vertices) +
           " bytes"},
      {"faces.ply", faces + ply_tail,
       "Line 7: \"element face\" declares 2147483647 entries, but the file has only " + ply_size(faces) + " bytes"},
      {"faces.bas", bas,
       "Line 2: the header declares 2000000001 faces, but the file has only " + std::to_string(bas.size()) +
           " bytes"},
      {"points.bas", bas_points,
       "Line 2: the header declares 2147483648 points, but the file has only " + std::to_string(bas_points.size()) +
           " bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Timed_Read read = Read_File(Write_Temp_File(c.name, c.text));
    Expect_Refused(read, c.message);
    EXPECT_TRUE(read.outcome.shown);
  }
}

// ---- a line of a hundred megabytes ----

TEST(Robustness, HundredMegabyteLineIsRefusedNamingTheLine) {
  const size_t kLine = size_t{100} << 20;
  auto too_long = [](int line) {
    return std::string("Line ") + std::to_string(line) + " is longer than " +
           std::to_string(Line_Reader::kMax_Line) + " characters: not a mesh file";
  };
  struct Case {
    const char* name;
    std::string head;
    char fill;
    std::string tail;
    std::string message;
  };
  const Case cases[] = {
      // In a solid's name: the facets around it are counted, then the
      // data pass meets the line.
      {"named.stl", "solid ", 'x', "\n" + kFacets, too_long(1)},
      {"comment.ply", "ply\nformat ascii 1.0\ncomment ", 'c', std::string("\n") + kPly_Header.substr(21), too_long(3)},
      {"data.bas", kBas_Head + kBas_Counts + "12'Points from the 3D Object\r\n13 data ", '1', "\r\n",
       too_long(4)},
      // A file of zeros, such as a disk image, has no line end at all.
      {"zeros.stl", "", '\0', "", too_long(1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write_Large_File(c.name, c.head, std::string(1, c.fill), kLine, c.tail);
    Timed_Read read = Read_File(path);
    Expect_Refused(read, c.message);
    EXPECT_TRUE(read.outcome.shown);
  }
}

TEST(Robustness, LongLineBelowTheLimitStillReads) {
  // A megabyte-long solid name is odd but harmless.
  const std::string path = Write_Large_File("long-name.stl", "solid ", "n", size_t{1} << 20, "\n" + kFacets);
  Timed_Read read = Read_File(path);
  EXPECT_TRUE(read.outcome.ok) << read.outcome.message;
  EXPECT_EQ(read.store.Nb_Faces, 1);
  EXPECT_EQ(read.store.Nb_Pts_Optimized, 3);
}

// ---- nothing but line ends ----

TEST(Robustness, FileOfOnlyLineEndsIsRefusedQuickly) {
  const size_t kBytes = size_t{4} << 20;
  struct Kind {
    const char* extension;
    bool shown;
    const char* message;
  };
  const Kind kinds[] = {
      {"stl", false, "No \"facet normal\" line: not an ASCII STL file"},
      {"ply", false, "No \"end_header\" line: the file ends inside its header"},
      {"bas", true, "Wrong number of Faces or Points"},
  };
  for (const char* line_end : {"\n", "\r\n", "\r"}) {
    for (const Kind& kind : kinds) {
      const std::string name = std::string("line-ends-") + (line_end[0] == '\n' ? "lf" : line_end[1] ? "crlf" : "cr") +
                               "." + kind.extension;
      SCOPED_TRACE(name);
      const std::string path = Write_Large_File(name, "", line_end, kBytes / std::strlen(line_end), "");
      Timed_Read read = Read_File(path);
      Expect_Refused(read, kind.message);
      EXPECT_EQ(read.outcome.shown, kind.shown);
    }
  }
}

}  // namespace
