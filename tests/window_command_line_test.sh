#!/usr/bin/env bash
# korvane-converter's command line: --help and --version answer without a
# display, a missing display is said plainly with exit 1 (not Qt's abort),
# a FILE the window cannot open is a usage error, and the desktop entry
# hands the window the file and names the kinds of file it opens.
#   WINDOW=path/to/korvane-converter STL2BAS=path/to/stl2bas bash SCRIPT DESKTOP_ENTRY
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh"
window=${WINDOW:?set WINDOW to the korvane-converter binary}
entry=$data
no_display() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

check "help without a display" run 0 no_display "$window" --help
check "version without a display" run 0 no_display "$window" --version
check "help and version" grep -qx "korvane-converter [0-9][0-9.]*" "$work/out"
check "no display: exit 1, said" run 1 no_display "$window"
check "no display said, with the way out" grep -q "no display to open the window on (DISPLAY is not set)" "$work/err"
check "not a kind the window opens" run 2 env QT_QPA_PLATFORM=offscreen "$window" part.obj
check "desktop entry passes the file" grep -qx "Exec=korvane-converter %f" "$entry"
check "desktop entry declares STL, PLY and BAS" grep -q "^MimeType=model/stl;.*model/x-ply;text/x-basic;" "$entry"
summary "window command line"
