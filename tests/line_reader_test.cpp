// Line splitting over the reader's chunked buffer.
#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/line_reader.h"
#include "test_files.h"

namespace {

// The lines of `bytes`, which must come out the same whether they are read
// from a block of known size or from a stream in pieces.
std::vector<std::string> Lines_Of(const std::string& bytes) {
  std::vector<std::string> lines[2];
  Memory_Source memory(bytes);
  Stream_Source stream(bytes);
  Byte_Source* sources[2] = {&memory, &stream};
  for (int i = 0; i < 2; ++i) {
    Line_Reader reader(*sources[i]);
    std::string_view line;
    while (reader.Next(line)) lines[i].emplace_back(line);
    EXPECT_FALSE(reader.Read_Failed());
    EXPECT_TRUE(reader.Ended());
    EXPECT_EQ(reader.Bytes_Consumed(), bytes.size());
  }
  EXPECT_EQ(lines[0], lines[1]);
  return lines[0];
}

using Lines = std::vector<std::string>;

TEST(LineReader, EveryLineEndKind) {
  EXPECT_EQ(Lines_Of("a\nb\n"), (Lines{"a", "b"}));
  EXPECT_EQ(Lines_Of("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(Lines_Of("a\rb\r"), (Lines{"a", "b"}));
  EXPECT_EQ(Lines_Of("a\r\rb\n\nc"), (Lines{"a", "", "b", "", "c"}));
  EXPECT_EQ(Lines_Of("last line without end"), (Lines{"last line without end"}));
  EXPECT_EQ(Lines_Of(""), Lines{});
  EXPECT_EQ(Lines_Of("\n"), Lines{""});
  EXPECT_EQ(Lines_Of("\n\r\n\r"), (Lines{"", "", ""}));
}

TEST(LineReader, LinesAcrossChunkBoundariesAndLongerThanTheBuffer) {
  // A CR LF split exactly at the 1 MiB chunk boundary, then a 3 MiB line.
  std::string bytes(1 << 20, 'x');
  bytes[(1 << 20) - 1] = '\r';
  bytes += "\nshort\r";
  bytes += std::string(3 << 20, 'y');
  bytes += "\r\nend";
  Lines lines = Lines_Of(bytes);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], std::string((1 << 20) - 1, 'x'));
  EXPECT_EQ(lines[1], "short");
  EXPECT_EQ(lines[2].size(), size_t{3} << 20);
  EXPECT_EQ(lines[3], "end");
}

TEST(LineReader, ManyShortCrOnlyLines) {
  std::string bytes;
  for (int i = 0; i < 300000; ++i) bytes += std::to_string(i) + "\r";
  Lines lines = Lines_Of(bytes);
  ASSERT_EQ(lines.size(), 300000u);
  EXPECT_EQ(lines[123456], "123456");
}

// The limit counts a line's characters, not its line end, whatever the end.
TEST(LineReader, LongestLineIsReadAndOneCharacterMoreIsRefused) {
  for (const char* line_end : {"\n", "\r\n", "\r", ""}) {
    SCOPED_TRACE(testing::PrintToString(std::string(line_end)));
    for (size_t length : {Line_Reader::kMax_Line, Line_Reader::kMax_Line + 1}) {
      // Without a line end, the line is the input's last.
      const std::string bytes = std::string(length, 'x') + line_end + (*line_end ? "next" : "");
      Memory_Source source(bytes);
      Line_Reader reader(source);
      std::string_view line;
      const bool fits = length <= Line_Reader::kMax_Line;
      ASSERT_EQ(reader.Next(line), fits);
      EXPECT_EQ(reader.Line_Too_Long(), !fits);
      if (fits) {
        EXPECT_EQ(line.size(), length);
      }
    }
  }
}

// Text lines, then raw bytes from the same input: whatever mix of lines,
// peeks and raw reads, every byte comes out once and in order, from a block
// of known size and from a stream in pieces.
TEST(LineReader, LinesPeeksAndRawBytesShareOneInput) {
  std::mt19937 random(14);
  std::string bytes;
  for (int i = 0; i < 3000; ++i) bytes += "line " + std::to_string(i) + (i % 3 ? "\n" : "\r\n");
  for (int i = 0; i < (3 << 20); ++i) bytes += static_cast<char>(random());
  for (int round = 0; round < 2; ++round) {
    Memory_Source memory(bytes);
    Stream_Source stream(bytes);
    Line_Reader reader(round ? static_cast<Byte_Source&>(stream) : memory);
    std::string out;
    std::string_view line;
    for (int i = 0; i < 3000; ++i) {
      ASSERT_TRUE(reader.Next(line));
      out += std::string(line) + (i % 3 ? "\n" : "\r\n");
    }
    std::uniform_int_distribution<size_t> size(0, 300000);
    std::vector<char> piece;
    while (out.size() < bytes.size()) {
      std::string_view peeked;
      const size_t wanted = size(random);
      ASSERT_TRUE(reader.Peek(wanted, peeked));
      EXPECT_EQ(peeked, std::string_view(bytes).substr(out.size(), wanted));
      piece.resize(size(random));
      const size_t got = reader.Read_Raw(piece.data(), piece.size());
      EXPECT_EQ(got, std::min(piece.size(), bytes.size() - out.size()));
      out.append(piece.data(), got);
      EXPECT_EQ(reader.Bytes_Consumed(), out.size());
    }
    EXPECT_EQ(out, bytes);
    EXPECT_EQ(reader.Read_Raw(piece.data(), 1), 0u);
    EXPECT_TRUE(reader.Ended());
    EXPECT_FALSE(reader.Read_Failed());
  }
}

TEST(LineReader, MissingFilesFoldersAndRefusedStreamsDoNotOpen) {
  bool refused = false;
  EXPECT_EQ(Open_Input_File(::testing::TempDir() + "no/such/file.stl", Input_Streams::Read, refused), nullptr);
  EXPECT_FALSE(refused);
  EXPECT_EQ(Open_Input_File(::testing::TempDir(), Input_Streams::Read, refused), nullptr);
  EXPECT_FALSE(refused);
  // A device (or a FIFO) is refused where streams are, without waiting.
  EXPECT_EQ(Open_Input_File("/dev/zero", Input_Streams::Refuse, refused), nullptr);
  EXPECT_TRUE(refused);
  EXPECT_NE(Open_Input_File("/dev/null", Input_Streams::Read, refused), nullptr);
}

TEST(FindText, CaseSensitiveAnywhere) {
  EXPECT_EQ(Find_Text("  facet normal 0 0 1", "facet normal"), 2u);
  EXPECT_FALSE(Contains("FACET NORMAL", "facet normal"));
  EXPECT_FALSE(Contains("facet", "facet normal"));
  EXPECT_TRUE(Contains("solid facet normals", "facet normal"));
  EXPECT_TRUE(Contains("ffffacet normal", "facet normal"));
  EXPECT_EQ(Find_Text("vertex", "vertex"), 0u);
  EXPECT_EQ(Find_Text("   xvertex", "vertex"), 4u);
  EXPECT_FALSE(Contains("verte", "vertex"));
}

}  // namespace
