#pragma once
// Small helpers for tests that need files on disk.
#include <fstream>
#include <iterator>
#include <string>

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
