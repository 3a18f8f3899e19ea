// stl2bas: the headless converter, over the same core as the window.
#include <cstdio>
#include <exception>
#include <iostream>
#include <new>

#include "commands.h"

namespace {

int Run(int argc, char** argv) {
  CLI::App app{"stl2bas: turn STL, PLY, OBJ, OFF, 3MF, glTF and other meshes, and BASIC data files, into BASIC data files"};
  app.require_subcommand(1);
  app.footer(
      "Examples:\n"
      "  stl2bas convert cube.stl -o cube.bas\n"
      "  stl2bas convert scans/*.stl -d out --start 1000 --step 10\n"
      "  stl2bas info bunny.ply --json\n"
      "  stl2bas render bunny.ply -o bunny.png --angles 180,30,0 --zoom 20\n");
  Command_Run convert = Add_Convert_Command(app);
  Command_Run info = Add_Info_Command(app);
  Command_Run render = Add_Render_Command(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
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
  // Each command says what it was doing when memory ran out; this is the
  // last resort for what happens around them (reading the options,
  // printing), so that no failure ends in an abort.
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("stl2bas: not enough memory\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "stl2bas: %s\n", e.what());
  }
  return 1;
}
