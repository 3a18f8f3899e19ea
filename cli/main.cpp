// stl2bas: the headless converter, over the same core as the window.
#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "assimp_bridge/read_scene.h"
#include "commands.h"
#include "core/platform.h"

namespace {

int Run(int argc, char** argv) {
  CLI::App app{"stl2bas: turn STL, PLY, OBJ, OFF, 3MF, glTF and other meshes, and BASIC data files, into BASIC data files"};
  app.set_help_all_flag("--help-all", "Print this help with every subcommand's options and exit");
  app.set_version_flag("--version", std::string("stl2bas ") + KORVANE_VERSION, "Print the version and exit");
  app.require_subcommand(1);
  // The same options everywhere: "/" starts a path, never an option, also on
  // Windows.
  app.allow_windows_style_options(false);
  app.footer(
      "Examples:\n"
      "  stl2bas convert cube.stl -o cube.bas\n"
      "  stl2bas convert scans/*.stl -d out --start 1000 --step 10\n"
      "  stl2bas info bunny.ply --json\n"
      "  stl2bas render bunny.ply -o bunny.png --angles 180,30,0 --zoom 20\n");
  // Our own readers, and the general mesh library's formats beside them.
  static const More_Formats more = Scene_Formats();
  Command_Run convert = Add_Convert_Command(app, more);
  Command_Run info = Add_Info_Command(app, more);
  Command_Run render = Add_Render_Command(app, more);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  }
  if (app.got_subcommand("convert")) return convert();
  if (app.got_subcommand("info")) return info();
  if (app.got_subcommand("render")) return render();
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Each step of the core says what it was doing when memory ran out; this
  // is the last resort for what happens around them (reading the options,
  // printing), so that no failure ends in an abort.
  Use_Binary_Standard_Streams();
  int code = 1;
  try {
    std::vector<std::string> arguments = Program_Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    code = Run(static_cast<int>(pointers.size()), pointers.data());
  } catch (const std::bad_alloc&) {
    std::fputs("stl2bas: not enough memory\n", stderr);
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "stl2bas: %s\n", e.what());
    return 1;
  }
  // What was printed must have arrived: a full disk or a closed standard
  // output makes the command fail, whatever it did besides.
  if (!std::cout.flush()) {
    std::cerr << "Cannot write to standard output\n";
    return 1;
  }
  return code;
}
