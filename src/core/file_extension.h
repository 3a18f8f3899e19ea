#pragma once
// The extension test of the open commands: the last three characters of a
// name (the whole name when shorter), upper-cased, against "STL", "PLY" or
// "BAS". "cube.Stl" and "mystl" end in STL; "cube.stla" does not.

#include <string_view>

bool Has_Extension(std::string_view name, std::string_view extension);
