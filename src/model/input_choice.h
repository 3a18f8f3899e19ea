#pragma once
// Which reader an input gets. By default its name decides: the last three
// letters "STL", "PLY" or "BAS" (any case) choose our own readers, as the
// window's open buttons do; the extension "off" chooses our OFF reader; any
// other extension a program's further formats read ("obj", "3mf", "gltf",
// ...: stl2bas adds those of the general mesh library) chooses that reader.
// A named kind (stl2bas's --from) decides instead, and is required for "-",
// standard input, which has no name to go by.

#include <string>
#include <string_view>

#include "core/outcome.h"
#include "import/input_kind.h"
#include "import/more_formats.h"

struct Input_Choice {
  Input_Kind kind = Input_Kind::Unsupported;
  // A format of More_Formats ("obj"); empty for our own kinds.
  std::string format;

  bool Chosen() const { return kind != Input_Kind::Unsupported || !format.empty(); }
  // "stl", "ply", "bas", "off", or the further format.
  std::string Name() const;
};

// Whether a kind a user names ("STL", "obj", ...) is one that is read.
bool Reads_Kind(std::string_view named, const More_Formats& more);

// The kind of `input` ("-": standard input), or of `named` when that is not
// empty. Not Chosen with a usage message when neither decides.
Input_Choice Choose_Input(const std::string& input, const std::string& named, const More_Formats& more,
                          Outcome& refused);
