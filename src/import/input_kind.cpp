#include "import/input_kind.h"

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
    case Input_Kind::Off: return "off";
    case Input_Kind::Unsupported: break;
  }
  return "";
}
