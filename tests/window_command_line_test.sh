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
check "help names the file" grep -q "^Usage: korvane-converter \[FILE\]" "$work/out"
check "version without a display" run 0 no_display "$window" --version
check "version" grep -qx "korvane-converter [0-9][0-9.]*" "$work/out"
check "no display" run 1 no_display "$window"
check "no display said" grep -q "no display to open the window on (DISPLAY is not set)" "$work/err"
check "no display: the way out" grep -q "stl2bas" "$work/err"
check "unreachable display" run 1 no_display env DISPLAY=:9999 "$window"
check "unreachable display said" grep -q "DISPLAY=:9999 could not be reached" "$work/err"
check "not a kind the window opens" run 2 env QT_QPA_PLATFORM=offscreen "$window" part.obj
check "usage names the kinds" grep -q "part.obj: the window opens STL, PLY and BAS files" "$work/err"
check "unknown option" run 2 env QT_QPA_PLATFORM=offscreen "$window" --bogus
check "two files" run 2 env QT_QPA_PLATFORM=offscreen "$window" a.stl b.stl

check "desktop entry passes the file" grep -qx "Exec=korvane-converter %f" "$entry"
check "desktop entry declares STL" grep -q "^MimeType=.*model/stl;" "$entry"
check "desktop entry declares PLY and BAS" grep -q "^MimeType=.*model/x-ply;.*text/x-basic;" "$entry"
if command -v desktop-file-validate >/dev/null; then
  check "desktop entry validates" desktop-file-validate "$entry"
fi

summary "window command line"
