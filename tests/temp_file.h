#pragma once
// Files written by a test, in a folder of the running test's own under the
// test temporary folder, so that parallel tests never share a file.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

inline std::filesystem::path Test_Temp_Folder() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (char& c : name)
    if (c == '/') c = '_';
  std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "korvane_tests" / name;
  std::filesystem::create_directories(folder);
  return folder;
}

// Writes the bytes of `text` unchanged and returns the file's path.
inline std::string Write_Temp_File(const std::string& name, std::string_view text) {
  std::string path = (Test_Temp_Folder() / name).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  return path;
}

inline std::string Read_Whole_File(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
