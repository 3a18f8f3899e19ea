#include "import/input_kind.h"

bool Has_Extension(std::string_view name, std::string_view extension) {
  std::string_view tail = name.size() > 3 ? name.substr(name.size() - 3) : name;
  if (tail.size() != extension.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char c = tail[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != extension[i]) return false;
  }
  return true;
}

Input_Kind Kind_Of_Input(std::string_view name) {
  if (Has_Extension(name, "STL")) return Input_Kind::Stl;
  if (Has_Extension(name, "PLY")) return Input_Kind::Ply;
  if (Has_Extension(name, "BAS")) return Input_Kind::Bas;
  return Input_Kind::Unsupported;
}

std::string_view Kind_Name(Input_Kind kind) {
  switch (kind) {
    case Input_Kind::Stl: return "stl";
    case Input_Kind::Ply: return "ply";
    case Input_Kind::Bas: return "bas";
    case Input_Kind::Unsupported: break;
  }
  return "";
}
