#pragma once
// How stl2bas prints a JSON document it built with nlohmann-json: the top
// object's fields one to a line, each value on its line in the compact form
// people read ("[1.5, 2.0, -0.5]", {"min": [...], "max": [...]}), so that a
// script can also grep a field. Numbers that are not whole are 32-bit
// floats, each printed as the shortest text that reads back to the same
// float; a string that is not UTF-8 shows U+FFFD for each stray byte, so the
// output always parses.

#include <ostream>
#include <span>

#include <nlohmann/json.hpp>

#include "core/mesh_store.h"

using Json = nlohmann::ordered_json;

// Prints an object field by field, so that a large value (a mesh's points)
// can be built, printed and let go before the next: the braces around the
// fields, and a line end after the last.
class Json_Object_Printer {
 public:
  explicit Json_Object_Printer(std::ostream& out) : out_(out) {}
  void Field(const std::string& key, const Json& value);
  void Fields(const Json& object);
  // A mesh's points or faces as an array of three-number arrays, printed as
  // they are read: a JSON value takes some 100 bytes a point, and the
  // library allocates while it destroys an array, which would end the
  // program where memory has run out.
  void Field(const std::string& key, std::span<const Point3> points);
  void Field(const std::string& key, std::span<const Face3> faces);
  // A number that means only its first `digits` significant digits (C's
  // "%.*g"), such as an error estimate.
  void Field(const std::string& key, double value, int digits);
  void End();

 private:
  void Key(const std::string& key);

  std::ostream& out_;
  bool first_ = true;
};
