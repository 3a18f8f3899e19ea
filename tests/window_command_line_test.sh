#!/usr/bin/env bash
# korvane-converter's command line: --help and --version answer without a
# display, a missing display is said plainly with exit 1 (not Qt's abort),
# a FILE the window cannot open is a usage error, and the desktop entry
# hands the window the file and names the kinds of file it opens.
#   WINDOW=path/to/korvane-converter bash SCRIPT DESKTOP_ENTRY
set -u
window=${WINDOW:?set WINDOW to the korvane-converter binary}
entry=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # check NAME CONDITION...: the condition must hold
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
# run EXPECTED_EXIT CMD...: runs without a display, keeps stdout/stderr in $work/out, $work/err
run() {
  local expected=$1
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" >"$work/out" 2>"$work/err"
  local code=$?
  [ "$code" -eq "$expected" ] || { echo "exit $code, expected $expected: $*"; cat "$work/err"; return 1; }
}

check "help without a display" run 0 "$window" --help
check "help names the file" grep -q "^Usage: korvane-converter \[FILE\]" "$work/out"
check "version without a display" run 0 "$window" --version
check "version" grep -qx "korvane-converter [0-9][0-9.]*" "$work/out"
check "no display" run 1 "$window"
check "no display said" grep -q "no display to open the window on (DISPLAY is not set)" "$work/err"
check "no display: the way out" grep -q "stl2bas" "$work/err"
check "unreachable display" run 1 env DISPLAY=:9999 "$window"
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

echo "window command line: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
