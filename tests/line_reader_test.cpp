// Line splitting over the reader's chunked buffer.
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/line_reader.h"
#include "test_files.h"

namespace {

// Several tests write a file of the same name, and tests run in parallel.
std::string Write_Temp(const std::string& name, const std::string& bytes) { return Write_Temp_File(name, bytes); }

std::vector<std::string> Lines_Of(const std::string& bytes) {
  Line_Reader reader;
  EXPECT_TRUE(reader.Open(Write_Temp("lines.txt", bytes)));
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
  EXPECT_FALSE(reader.Read_Failed());
  EXPECT_EQ(reader.Bytes_Consumed(), bytes.size());
  return lines;
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

TEST(LineReader, RewindReadsAgainAndMissingFilesDoNotOpen) {
  Line_Reader reader;
  ASSERT_TRUE(reader.Open(Write_Temp("rewind.txt", "one\ntwo\n")));
  std::string_view line;
  while (reader.Next(line)) {
  }
  ASSERT_TRUE(reader.Rewind());
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, "one");

  Line_Reader missing;
  EXPECT_FALSE(missing.Open(::testing::TempDir() + "no/such/file.stl"));
  EXPECT_FALSE(missing.Next(line));
  Line_Reader folder;
  EXPECT_FALSE(folder.Open(::testing::TempDir()));
}

int64_t Count_In(const std::string& bytes, const std::string& needle) {
  Line_Reader reader;
  EXPECT_TRUE(reader.Open(Write_Temp("count.txt", bytes)));
  int64_t count = -1;
  EXPECT_TRUE(reader.Count_Lines_Containing(needle, count));
  return count;
}

TEST(LineReader, CountsLinesContainingAText) {
  EXPECT_EQ(Count_In("facet normal\nx\nfacet normal facet normal\n", "facet normal"), 2);
  EXPECT_EQ(Count_In("facet normal\rfacet normal\r\nfacet normal", "facet normal"), 3);
  EXPECT_EQ(Count_In("FACET NORMAL\nfacet\nnormal\n", "facet normal"), 0);
  EXPECT_EQ(Count_In("", "facet normal"), 0);
  // matches that straddle a chunk boundary, and a counted line that does
  std::string bytes(1 << 20, 'x');
  bytes.replace((1 << 20) - 5, 5, "\nfacet");
  bytes += " normal 1\n";
  bytes += std::string((1 << 20) - 3, 'y') + "facet normal" + std::string(100, 'z') + "facet normal\nfacet normal";
  EXPECT_EQ(Count_In(bytes, "facet normal"), 3);
  // the same count as line by line on a few thousand random lines
  std::string lines;
  int64_t expected = 0;
  for (int i = 0; i < 5000; ++i) {
    bool hit = (i * 7919) % 3 == 0;
    lines += std::string(static_cast<size_t>(i % 300), 'a') + (hit ? "facet normal" : "facet norma") + ((i % 5) ? "\n" : "\r");
    expected += hit;
  }
  EXPECT_EQ(Count_In(lines, "facet normal"), expected);
}

TEST(LineReader, CountingReportsEachChunkAndStopsWhenAsked) {
  std::string bytes;
  while (bytes.size() < (3u << 20)) bytes += "facet normal 0 0 1\n";
  Line_Reader reader;
  ASSERT_TRUE(reader.Open(Write_Temp("chunks.txt", bytes)));
  std::vector<uint64_t> seen;
  int64_t count = 0;
  EXPECT_TRUE(reader.Count_Lines_Containing("facet normal", count, [&](uint64_t consumed) {
    seen.push_back(consumed);
    return true;
  }));
  EXPECT_EQ(count, static_cast<int64_t>(bytes.size() / 19));
  ASSERT_GE(seen.size(), 3u);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

  ASSERT_TRUE(reader.Rewind());
  int calls = 0;
  EXPECT_FALSE(reader.Count_Lines_Containing("facet normal", count, [&](uint64_t) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(reader.Read_Failed());
  EXPECT_LT(count, static_cast<int64_t>(bytes.size() / 19));
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
