#pragma once
// The kind of an input file, chosen as the window's open commands choose it:
// the last three characters of the name (the whole name when shorter),
// upper-cased, must be "STL", "PLY" or "BAS". "mystl" is an STL name;
// "cube.stla" is none. OFF files (read by stl2bas) are known by their
// extension alone, since the window does not open them.

#include <string_view>

#include "core/file_extension.h"

enum class Input_Kind { Stl, Ply, Bas, Off, Unsupported };

Input_Kind Kind_Of_Input(std::string_view name);
// "stl", "ply", "bas", "off" (or "" for Unsupported).
std::string_view Kind_Name(Input_Kind kind);
