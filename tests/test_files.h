#pragma once
// Small helpers for tests: inputs read from memory, and files on disk where
// a test is about files.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "core/byte_source.h"
#include "core/platform.h"
#include "export/write_bas.h"
#include "import/read_input.h"
#include "stream_source.h"

// Reads `bytes` as an input of `kind` named `name`, as an open command does
// with a file of that content (or, with `as_stream`, with a pipe of it).
inline Outcome Read_Bytes(MeshStore& store, Input_Kind kind, std::string_view bytes,
                          const std::string& name = "mesh", bool as_stream = false) {
  store.File_Input = name;
  if (as_stream) {
    Stream_Source stream(bytes);
    return Read_Input(store, kind, stream);
  }
  Memory_Source memory(bytes);
  return Read_Input(store, kind, memory);
}

inline std::string Write_Test_File(const std::string& name, const std::string& bytes) {
  std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

inline std::string Read_Test_File(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A facet in the usual ASCII STL layout.
inline std::string Stl_Facet(const std::string& a, const std::string& b, const std::string& c) {
  return "  facet normal 0 0 1\n    outer loop\n      vertex " + a + "\n      vertex " + b +
         "\n      vertex " + c + "\n    endloop\n  endfacet\n";
}

// A folder of the running test's own under the test temporary folder, so
// that tests running in parallel never share a file.
inline std::filesystem::path Test_Temp_Folder() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (char& c : name)
    if (c == '/') c = '_';
  std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "korvane_tests" / name;
  std::filesystem::create_directories(folder);
  return folder;
}

// Writes the bytes in the running test's own folder; returns the path.
inline std::string Write_Temp_File(const std::string& name, const std::string& bytes) {
  std::string path = (Test_Temp_Folder() / name).string();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// The text with every LF replaced by `line_end`.
inline std::string With_Line_Ends(std::string_view text, std::string_view line_end) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += line_end;
    else out += c;
  }
  return out;
}

template <typename T>
bool Same_Entries(const Flat_Array<T>& a, const Flat_Array<T>& b, int64_t last) {
  if (last >= static_cast<int64_t>(a.size()) || last >= static_cast<int64_t>(b.size())) return false;
  return last < 0 || std::memcmp(a.data(), b.data(), static_cast<size_t>(last + 1) * sizeof(T)) == 0;
}

// Reads `bytes` both as a file and as a pipe into copies of the store, and
// expects the same outcome and store: a stream is read as its file is.
// Returns the file's read.
inline Outcome Read_Both_Ways(MeshStore& store, Input_Kind kind, std::string_view bytes) {
  const MeshStore before = store;
  MeshStore streamed = before;
  const Outcome outcome = Read_Bytes(store, kind, bytes);
  const Outcome from_stream = Read_Bytes(streamed, kind, bytes, "mesh", true);
  // A file refused for a count beyond its size is checked as it is read; a
  // pipe's size is known at its end, and it may meet another fault first.
  if (!outcome.ok && outcome.message.find(", but the file has only ") != std::string::npos) {
    EXPECT_FALSE(from_stream.ok);
    return outcome;
  }
  EXPECT_EQ(from_stream.ok, outcome.ok);
  EXPECT_EQ(from_stream.message, outcome.message);
  EXPECT_EQ(from_stream.shown, outcome.shown);
  EXPECT_EQ(streamed.Object_Loaded, store.Object_Loaded);
  EXPECT_EQ(streamed.Nb_Pts_Normal, store.Nb_Pts_Normal);
  EXPECT_EQ(streamed.Nb_Faces, store.Nb_Faces);
  EXPECT_EQ(streamed.Nb_Pts_Optimized, store.Nb_Pts_Optimized);
  EXPECT_EQ(streamed.Input_Format, store.Input_Format);
  EXPECT_EQ(streamed.Polygons_Split, store.Polygons_Split);
  if (store.Object_Loaded && streamed.Object_Loaded) {
    if (kind != Input_Kind::Bas) {
      EXPECT_TRUE(Same_Entries(streamed.Pts_Normal, store.Pts_Normal, store.Nb_Pts_Normal));
      EXPECT_TRUE(Same_Entries(streamed.Faces_Normal, store.Faces_Normal, store.Nb_Faces));
    }
    EXPECT_TRUE(Same_Entries(streamed.Pts_Optimized, store.Pts_Optimized, store.Nb_Pts_Optimized));
    EXPECT_TRUE(Same_Entries(streamed.Faces_Optimized, store.Faces_Optimized, store.Nb_Faces));
    EXPECT_EQ(streamed.Pts_Screen.size(), store.Pts_Screen.size());
    EXPECT_EQ(streamed.Faces_Visible.size(), store.Faces_Visible.size());
  }
  return outcome;
}

// The BASIC data file the store saves (numbered from 10 by 0, so that any
// mesh fits the line numbers), or "" when it cannot be written.
inline std::string Saved_Bas(MeshStore& store, const std::string& name) {
  store.File_Output = (Test_Temp_Folder() / name).string();
  store.Basic_Line = 10;
  store.Basic_Step = 0;
  if (!Write_Bas(store).ok) return "";
  return Read_Test_File(store.File_Output);
}

// Two reads of the same mesh in different forms: the same counters, the same
// normal and optimized arrays bit for bit, and the same saved file.
inline void Expect_Same_Mesh(MeshStore& a, MeshStore& b) {
  ASSERT_TRUE(a.Object_Loaded);
  ASSERT_TRUE(b.Object_Loaded);
  ASSERT_EQ(a.Nb_Pts_Normal, b.Nb_Pts_Normal);
  ASSERT_EQ(a.Nb_Faces, b.Nb_Faces);
  ASSERT_EQ(a.Nb_Pts_Optimized, b.Nb_Pts_Optimized);
  EXPECT_EQ(a.Polygons_Split, b.Polygons_Split);
  EXPECT_TRUE(Same_Entries(a.Pts_Normal, b.Pts_Normal, a.Nb_Pts_Normal));
  EXPECT_TRUE(Same_Entries(a.Faces_Normal, b.Faces_Normal, a.Nb_Faces));
  EXPECT_TRUE(Same_Entries(a.Pts_Optimized, b.Pts_Optimized, a.Nb_Pts_Optimized));
  EXPECT_TRUE(Same_Entries(a.Faces_Optimized, b.Faces_Optimized, a.Nb_Faces));
  const std::string saved = Saved_Bas(a, "a.bas");
  EXPECT_FALSE(saved.empty());
  EXPECT_EQ(saved, Saved_Bas(b, "b.bas"));
}

// Whether this platform runs work apart in a child process (Run_Isolated):
// the child's writes do not reach this process's memory.
inline bool Runs_Apart() {
  static bool touched = false;
  std::string result;
  Run_Isolated([] { touched = true; return std::string(); }, result, {});
  return !touched;
}
