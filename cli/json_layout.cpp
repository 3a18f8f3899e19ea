#include "json_layout.h"

#include <cstdio>

#include "core/float_text.h"

namespace {

std::string Json_String(const std::string& text) {
  return Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

void Print_Value(std::ostream& out, const Json& value) {
  switch (value.type()) {
    case Json::value_t::number_float:
      out << Shortest_Float_Text(static_cast<float>(value.get<double>()));
      return;
    case Json::value_t::string:
      out << Json_String(value.get_ref<const std::string&>());
      return;
    case Json::value_t::array: {
      out << "[";
      const char* comma = "";
      for (const Json& item : value) {
        out << comma;
        Print_Value(out, item);
        comma = ", ";
      }
      out << "]";
      return;
    }
    case Json::value_t::object: {
      out << "{";
      const char* comma = "";
      for (const auto& [key, item] : value.items()) {
        out << comma << Json_String(key) << ": ";
        Print_Value(out, item);
        comma = ", ";
      }
      out << "}";
      return;
    }
    default:  // null, true, false and whole numbers print as the library prints them
      out << value.dump();
  }
}

}  // namespace

void Json_Object_Printer::Key(const std::string& key) {
  out_ << (first_ ? "{\n  " : ",\n  ") << Json_String(key) << ": ";
  first_ = false;
}

void Json_Object_Printer::Field(const std::string& key, const Json& value) {
  Key(key);
  Print_Value(out_, value);
}

void Json_Object_Printer::Fields(const Json& object) {
  for (const auto& [key, value] : object.items()) Field(key, value);
}

void Json_Object_Printer::Field(const std::string& key, std::span<const Point3> points) {
  Key(key);
  out_ << "[";
  for (size_t i = 0; i < points.size(); ++i)
    out_ << (i ? ", [" : "[") << Shortest_Float_Text(points[i].X) << ", " << Shortest_Float_Text(points[i].Y) << ", "
         << Shortest_Float_Text(points[i].Z) << "]";
  out_ << "]";
}

void Json_Object_Printer::Field(const std::string& key, std::span<const Face3> faces) {
  Key(key);
  out_ << "[";
  for (size_t i = 0; i < faces.size(); ++i)
    out_ << (i ? ", [" : "[") << faces[i].A << ", " << faces[i].B << ", " << faces[i].C << "]";
  out_ << "]";
}

void Json_Object_Printer::Field(const std::string& key, double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  Key(key);
  out_ << text;
}

void Json_Object_Printer::End() { out_ << (first_ ? "{" : "") << "\n}\n"; }
