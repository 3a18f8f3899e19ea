#pragma once
// Files an input names (a glTF's buffers and images, an OBJ's material
// library, a texture, any other file a format refers to) are untrusted
// names: a model downloaded from anywhere may name /etc/passwd or
// ../../secret.bin. Every reader of such a file asks here first, and reads
// only what lies in the input's own folder or below it, judged after `..`
// and symbolic links are followed.

#include <string>
#include <string_view>

struct Companion_Path {
  std::string path;     // the file to open; empty when refused
  std::string refusal;  // why it was refused, naming the file as the input names it
};

// Resolves `name`, as the input names it, against `folder`, the input's
// folder. Refused: an empty folder (an input from standard input or memory
// has none), an empty or absolute name, and any name that leads outside the
// folder, through `..`, through a symbolic link or both. A name that leads
// nowhere (a missing file) is resolved all the same: opening it fails.
Companion_Path Resolve_Companion(const std::string& folder, std::string_view name);
