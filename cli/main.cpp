// stl2bas: the headless converter, over the same core as the window.
#include <iostream>
#include <string>

#include "commands.h"

int main(int argc, char** argv) {
  CLI::App app{"stl2bas: turn ASCII STL, ASCII PLY and BASIC data files into BASIC data files"};
  app.set_help_all_flag("--help-all", "Print this help with every subcommand's options and exit");
  app.set_version_flag("--version", std::string("stl2bas ") + KORVANE_VERSION, "Print the version and exit");
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
