#include "program_options.h"

#include <vector>

#include "export/viewer_dialects.h"

const char* const Program_Options_Footer =
    "A whole program for the Korvane 3D (the viewer, then the data):\n"
    "  --program --angles 30,20,10 --zoom 3 --mesh optimized    draws that view on the target\n"
    "  --program --dialect line --keyword-case upper --line-length 80\n";

void Add_Program_Options(CLI::App& command, Program_Option_Texts& texts, bool with_view) {
  CLI::Option* program = command.add_flag(
      "--program", texts.program,
      "Write one runnable BASIC program: a viewer that reads the data and draws the model, then the data lines");
  std::vector<std::string> names;
  std::string help = "The viewer's drawing statement (default print):";
  for (const Viewer_Dialect& dialect : Viewer_Dialects()) {
    names.emplace_back(dialect.name);
    help += "\n  " + std::string(dialect.name) + ": " + std::string(dialect.families);
  }
  command.add_option("--dialect", texts.dialect, help)->check(CLI::IsMember(names))->needs(program);
  command
      .add_option("--keyword-case", texts.keyword_case,
                  "Keywords in lower case (the data file's \"data\", the default) or upper case")
      ->check(CLI::IsMember({"lower", "upper"}));
  command
      .add_option("--line-length", texts.line_length,
                  "No data line longer than N characters, for BASICs whose lines are shorter (default: "
                  "items packed until a line passes 100 characters)")
      ->check(CLI::Range(Shortest_Line_Length, Longest_Line_Length));
  if (with_view)
    for (CLI::Option* option : Add_View_Options(command, texts.view)) option->needs(program);
}

Bas_Format Read_Program_Options(const Program_Option_Texts& texts, bool bas_input) {
  Bas_Format format;
  format.keywords = texts.keyword_case == "upper" ? Keyword_Case::Upper : Keyword_Case::Lower;
  format.line_length = texts.line_length;
  if (texts.program) {
    View_Choice view;
    Read_View_Options(texts.view, bas_input, view);
    Viewer_Settings settings;
    Copy_View(view, settings);
    settings.all_faces = view.show_normal;
    settings.dialect = texts.dialect;
    format.viewer = settings;
  }
  return format;
}
