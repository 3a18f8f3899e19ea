#pragma once
// Small helpers for tests that need files on disk.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

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
