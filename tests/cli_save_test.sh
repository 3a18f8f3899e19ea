#!/usr/bin/env bash
# stl2bas never harms what is there when it writes, and says so when it
# could not write: devices, read-only files, its own input, signals during a
# write, a standard output that fails, and JSON of any file name.
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh"

bin=$(cd "$(dirname "$bin")" && pwd)/$(basename "$bin")  # also from other folders
cube="$work/cube.stl"
cp "$data/pro2stl-cube-crlf.stl" "$cube"
says() { grep -qF -- "$1" "$work/err"; }

# An empty output name is a usage error, not a request for ./cube.bas.
mkdir "$work/here"
check "empty -o" run 2 bash -c 'cd "$1" && "$2" convert "$3" -o ""' _ "$work/here" "$bin" "$cube"
check "empty -d" run 2 bash -c 'cd "$1" && "$2" convert "$3" -d ""' _ "$work/here" "$bin" "$cube"
check "nothing written for an empty name" test -z "$(ls -A "$work/here")"

# Devices are written to, never replaced, and nothing is left beside them;
# a link to a device stays a link. As root, a writer that replaced devices
# would destroy the system's own /dev/null and /dev/full: root gets copies of
# them in the scratch folder.
mkdir "$work/dev"
null=/dev/null
full=/dev/full
if [ "$(id -u)" -eq 0 ] && mknod -m 666 "$work/dev/null" c 1 3 && mknod -m 666 "$work/dev/full" c 1 7; then
  null=$work/dev/null
  full=$work/dev/full
fi
ln -s "$full" "$work/dev/full.png"
devices=$(ls -A "$work/dev")
check "to /dev/null" run 0 "$bin" convert "$cube" -o "$null"
check "to /dev/full" run 1 "$bin" convert "$cube" -o "$full"
check "/dev/full says so" says "Cannot write file: $full"
check "render to /dev/full" run 1 "$bin" render "$cube" -o "$work/dev/full.png"
check "render says so" says "Cannot write file: $work/dev/full.png"
check "devices and the link stay, nothing beside them" \
  test -c "$null" -a -c "$full" -a -L "$work/dev/full.png" -a "$(ls -A "$work/dev")" = "$devices"
check "a folder is refused" run 1 "$bin" convert "$cube" -o "$work/here"

# A file the user may not write is refused, as the shell refuses it, even
# in a folder where a rename could replace it. Run as "nobody" when root.
mkdir "$work/open-folder"
chmod 755 "$work"
chmod 777 "$work/open-folder"
echo old >"$work/open-folder/ro.bas"
chmod 444 "$work/open-folder/ro.bas"
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
if "${as_user[@]}" "$bin" --help >/dev/null 2>&1 && "${as_user[@]}" test -r "$cube"; then
  check "read-only file refused" run 1 "${as_user[@]}" "$bin" convert "$cube" -o "$work/open-folder/ro.bas"
  check "read-only refusal says so" says "Cannot write file: $work/open-folder/ro.bas"
  check "read-only file untouched, alone" \
    test "$(cat "$work/open-folder/ro.bas")" = old -a "$(ls -A "$work/open-folder")" = ro.bas \
    -a "$(stat -c %a "$work/open-folder/ro.bas")" = 444
else
  echo "SKIPPED: read-only file (cannot run stl2bas as an unprivileged user here)"
fi

# The input itself is never replaced by its own conversion, even under a
# second name (file_sink_test.cpp tries its own name and links); a BASIC
# data file saved over itself is renumbered.
cp "$cube" "$work/before.stl"
ln "$cube" "$work/cube-hard.bas"
check "convert over its input" run 1 "$bin" convert "$cube" -o "$work/cube-hard.bas"
check "the refusal names it" says "Cannot write file: $work/cube-hard.bas"
ln -s cube.stl "$work/cube-link.svg"
check "render over its input" run 1 "$bin" render "$cube" -o "$work/cube-link.svg"
check "the input is untouched" cmp -s "$cube" "$work/before.stl"
check "the link is untouched" test -L "$work/cube-link.svg"
mkdir "$work/renumber"
"$bin" convert "$cube" -o "$work/renumber/cube.bas" || exit 1
check "renumber in place" run 0 "$bin" convert "$work/renumber/cube.bas" -o "$work/renumber/cube.bas" --start 100
check "renumbered" test "$(head -n 1 "$work/renumber/cube.bas")" = $'100\'Number of Faces and Number of Points\r'
check "renumber in place with -d" run 0 "$bin" convert "$work/renumber/cube.bas" -d "$work/renumber" --step 5
check "renumbered again" grep -q $'^20\'Points from the 3D Object\r$' "$work/renumber/cube.bas"

# SIGINT or SIGTERM during a write removes the temporary file and leaves
# the old file as it was. A mesh of 240,000 points takes long enough to
# write that the write can be caught: stopped as soon as its temporary file
# appears, signalled, and let go.
awk 'BEGIN {
  n = 240000
  print "ply\nformat ascii 1.0\nelement vertex " n "\nproperty float x\nproperty float y\nproperty float z"
  print "element face " n / 3 "\nproperty list uchar int vertex_indices\nend_header"
  for (i = 0; i < n; i++) printf "%d.5 %d.25 %d\n", i % 1000, int(i / 1000), i % 7
  for (i = 0; i < n / 3; i++) print "3 " 3 * i " " 3 * i + 1 " " 3 * i + 2
}' >"$work/big.ply"
mkdir "$work/signals"
interrupted_write() {  # interrupted_write SIGNAL: 0 when the write was caught and ended by SIGNAL
  local signal=$1 attempt pid code entries
  for attempt in $(seq 20); do
    echo old >"$work/signals/keep.bas"
    # A background job starts with SIGINT ignored; give it the usual action.
    env --default-signal=INT "$bin" convert "$work/big.ply" -o "$work/signals/keep.bas" --start -32768 2>/dev/null &
    pid=$!
    local caught=""
    while kill -0 "$pid" 2>/dev/null; do
      # Any second file in the folder is the write's temporary file.
      entries=("$work"/signals/* "$work"/signals/.[!.]*)
      if [ -e "${entries[1]}" ]; then
        kill -STOP "$pid" && caught=1
        break
      fi
    done
    [ -n "$caught" ] && kill "-$signal" "$pid" && kill -CONT "$pid"
    wait "$pid"
    code=$?
    if [ -n "$caught" ]; then
      [ "$code" -eq $((128 + $(kill -l "$signal"))) ] || { echo "exit $code after SIG$signal"; return 1; }
      return 0
    fi
  done
  echo "the write was never caught in 20 attempts"
  return 1
}
for signal in TERM INT; do
  check "SIG$signal during a write" interrupted_write "$signal"
  check "SIG$signal removes the temporary file" test -z "$(ls -A "$work/signals" | grep -v '^keep.bas$')"
  check "SIG$signal keeps the old file" test "$(cat "$work/signals/keep.bas")" = old
done

# Output that cannot be written is a failure, said on standard error.
for command in "info $cube" "info $cube --json" "info $cube --json --dump" "convert $cube -o -" "--help"; do
  for redirect in '>/dev/full' '>&-'; do
    # shellcheck disable=SC2086
    check "$command $redirect" run 1 bash -c "\"\$0\" \"\$@\" $redirect" "$bin" $command
    check "$command $redirect says so" says "Cannot write to standard output"
  done
done

# info --json always parses, whatever bytes the name holds; the raw name
# comes along as bytes when it is not UTF-8, and nothing else changes.
odd=$'\xff\xfecube \x01"\\\n.stl'
cp "$cube" "$work/$odd"
check "json of a UTF-8 name" run 0 "$bin" info "$cube" --json --dump
mv "$work/out" "$work/plain.json"
check "the name as it is" grep -qxF "  \"file\": \"$cube\"," "$work/plain.json"
check "a UTF-8 name has no file_bytes" test -z "$(grep file_bytes "$work/plain.json")"
check "json of a name that is not UTF-8" run 0 "$bin" info "$work/$odd" --json --dump
check "only the name's lines differ" cmp -s <(grep -v '^  "file' "$work/plain.json") <(grep -v '^  "file' "$work/out")
if command -v jq >/dev/null; then
  parses() { jq -e . "$1" >/dev/null; }
  check "it parses" parses "$work/out"
  expected_bytes=$(printf '%s' "$work/$odd" | od -An -tu1 -v | tr -s ' \n' '  ' | sed 's/^ //; s/ $//' | tr ' ' ',')
  check "file_bytes are the name's bytes" test "$(jq -c '.file_bytes' "$work/out")" = "[$expected_bytes]"
  check "missing file with such a name" run 1 "$bin" info "$work/missing-$odd" --json
  check "its message parses" test "$(jq -r '.message | startswith("Cannot open file: ")' "$work/out")" = true
else
  echo "SKIPPED: JSON parsing checks (jq is not installed)"
fi

summary "cli save"
