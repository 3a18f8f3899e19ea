#include "model/input_choice.h"

#include <filesystem>

#include "core/text_chars.h"

namespace {

// The text after the name's last dot, or "".
std::string Extension_Of(const std::string& input) {
  const std::string file = std::filesystem::path(input).filename().string();
  const size_t dot = file.rfind('.');
  return dot == std::string::npos ? std::string() : file.substr(dot + 1);
}

// Our own kind of a lower-case name, or Unsupported.
Input_Kind Own_Kind(std::string_view kind) {
  for (Input_Kind k : {Input_Kind::Stl, Input_Kind::Ply, Input_Kind::Bas, Input_Kind::Off})
    if (kind == Kind_Name(k)) return k;
  return Input_Kind::Unsupported;
}

bool More_Reads(const More_Formats& more, std::string_view format) { return more.reads && more.reads(format); }

}  // namespace

std::string Input_Choice::Name() const { return format.empty() ? std::string(Kind_Name(kind)) : format; }

bool Reads_Kind(std::string_view named, const More_Formats& more) {
  const std::string kind = Lower(named);
  return Own_Kind(kind) != Input_Kind::Unsupported || More_Reads(more, kind);
}

Input_Choice Choose_Input(const std::string& input, const std::string& named, const More_Formats& more,
                          Outcome& refused) {
  Input_Choice choice;
  refused = Outcome::Success();
  if (!named.empty()) {
    const std::string kind = Lower(named);
    choice.kind = Own_Kind(kind);
    if (choice.kind == Input_Kind::Unsupported) choice.format = kind;
    return choice;
  }
  if (input == "-") {
    refused = Outcome::Failure("standard input (-) needs --from (stl, ply, bas, obj, ...)");
    return choice;
  }
  // Our own readers first: "mystl" is an STL name, as the window sees it.
  choice.kind = Kind_Of_Input(input);
  if (choice.kind != Input_Kind::Unsupported) return choice;
  const std::string extension = Lower(Extension_Of(input));
  if (extension == Kind_Name(Input_Kind::Off)) {
    choice.kind = Input_Kind::Off;
    return choice;
  }
  if (More_Reads(more, extension)) {
    choice.format = extension;
    return choice;
  }
  refused = Outcome::Failure("unsupported input: " + input);
  return choice;
}
