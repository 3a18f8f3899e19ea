// Inputs made to exhaust the converter: declared counts far beyond what the
// input holds, a line of a hundred megabytes, an input of nothing but line
// ends. Each read must end with a clear outcome, and the work it does is
// bounded by what it reads, not by what the input claims: nothing is sized
// from a refused count, and a long line is refused after at most the longest
// line's worth of bytes. The inputs are made in memory, piece by piece.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "core/line_reader.h"
#include "import/read_input.h"
#include "test_files.h"

namespace {

// head, then `count` copies of `fill`, then tail, produced as they are read
// (the test never holds the whole input), counting the bytes handed out.
class Pattern_Source final : public Byte_Source {
 public:
  Pattern_Source(std::string head, std::string fill, size_t count, std::string tail)
      : head_(std::move(head)), fill_(std::move(fill)), tail_(std::move(tail)),
        size_(head_.size() + fill_.size() * count + tail_.size()) {}

  int64_t Read(char* out, size_t size) override {
    size_t done = 0;
    for (; done < size && at_ < size_; ++done, ++at_) out[done] = Byte_At(at_);
    return static_cast<int64_t>(done);
  }
  int64_t Size() const override { return static_cast<int64_t>(size_); }
  uint64_t Bytes_Read() const { return at_; }

 private:
  char Byte_At(size_t at) const {
    if (at < head_.size()) return head_[at];
    at -= head_.size();
    const size_t body = size_ - head_.size() - tail_.size();
    return at < body ? fill_[at % fill_.size()] : tail_[at - body];
  }

  std::string head_, fill_, tail_;
  size_t size_;
  size_t at_ = 0;
};

struct Read_Result {
  MeshStore store;
  Outcome outcome;
  uint64_t bytes_read = 0;
};

Read_Result Read_Source(const std::string& name, Pattern_Source source) {
  Read_Result read;
  read.store.File_Input = name;
  read.outcome = Read_Input(read.store, Kind_Of_Input(name), source);
  read.bytes_read = source.Bytes_Read();
  return read;
}

Read_Result Read_Text(const std::string& name, const std::string& text) {
  return Read_Source(name, Pattern_Source(text, "", 0, ""));
}

void Expect_Refused(const Read_Result& read, const std::string& message) {
  EXPECT_FALSE(read.outcome.ok);
  EXPECT_EQ(read.outcome.message, message);
  EXPECT_FALSE(read.store.Object_Loaded);
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
  faces.replace(faces.find("face 2"), 6, "face 99999999999999999999");  // beyond every counter
  const std::string bas = kBas_Head + "11 data 2000000000,2000000000\r\n12'Points from the 3D Object\r\n";
  const std::string bas_points = kBas_Head + "11 data 1,1e300\r\n12'Points from the 3D Object\r\n";
  const Case cases[] = {
      {"vertices.ply", vertices + ply_tail,
       "Line 3: \"element vertex\" declares 2147483647 entries, but the file has only " + ply_size(vertices) +
           " bytes"},
      {"faces.ply", faces + ply_tail,
       "Line 7: \"element face\" declares 99999999999999999999 entries, more than a mesh can hold"},
      {"faces.bas", bas,
       "Line 2: the header declares 2000000001 faces, but the file has only " + std::to_string(bas.size()) +
           " bytes"},
      {"points.bas", bas_points,
       "Line 2: the header declares 2147483648 points, but the file has only " + std::to_string(bas_points.size()) +
           " bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Read_Result read = Read_Text(c.name, c.text);
    Expect_Refused(read, c.message);
    EXPECT_TRUE(read.outcome.shown);
    // Nothing was sized for the count.
    const MeshStore& s = read.store;
    EXPECT_EQ(s.Pts_Normal.size() + s.Faces_Normal.size() + s.Pts_Optimized.size() + s.Faces_Optimized.size() +
                  s.Faces_Visible.size() + s.Pts_Screen.size(),
              0u);
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
    Read_Result read = Read_Source(c.name, Pattern_Source(c.head, std::string(1, c.fill), kLine, c.tail));
    Expect_Refused(read, c.message);
    EXPECT_TRUE(read.outcome.shown);
    // Refused once the longest line (and a line end) is in the buffer: no
    // more than one further chunk of the input is read.
    EXPECT_LE(read.bytes_read, c.head.size() + Line_Reader::kMax_Line + 2 + (size_t{1} << 20));
  }
}

TEST(Robustness, LongLineBelowTheLimitStillReads) {
  // A megabyte-long solid name is odd but harmless.
  Read_Result read = Read_Source("long-name.stl", Pattern_Source("solid ", "n", size_t{1} << 20, "\n" + kFacets));
  EXPECT_TRUE(read.outcome.ok) << read.outcome.message;
  EXPECT_EQ(read.store.Nb_Faces, 1);
  EXPECT_EQ(read.store.Nb_Pts_Optimized, 3);
}

// ---- nothing but line ends ----

TEST(Robustness, FileOfOnlyLineEndsIsRefusedInOnePass) {
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
      Read_Result read = Read_Source(name, Pattern_Source("", line_end, kBytes / std::strlen(line_end), ""));
      Expect_Refused(read, kind.message);
      EXPECT_EQ(read.outcome.shown, kind.shown);
      EXPECT_EQ(read.bytes_read, kBytes / std::strlen(line_end) * std::strlen(line_end)) << "every byte read once";
    }
  }
}

}  // namespace
