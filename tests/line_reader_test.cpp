// Line splitting over the reader's chunked buffer.
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

TEST(LineReader, MissingFilesAndFoldersDoNotOpen) {
  std::string_view line;
  Line_Reader missing;
  EXPECT_FALSE(missing.Open(::testing::TempDir() + "no/such/file.stl"));
  EXPECT_FALSE(missing.Next(line));
  Line_Reader folder;
  EXPECT_FALSE(folder.Open(::testing::TempDir()));
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
