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

# Devices are written to, never replaced. (file_sink_test.cpp checks every
# kind of path over the shared write path; these run it through the
# commands.) As root, a writer that replaced devices would destroy the system's own
# /dev/null and /dev/full: root gets copies of them in the scratch folder.
null=/dev/null
full=/dev/full
if [ "$(id -u)" -eq 0 ] && mknod -m 666 "$work/null" c 1 3 && mknod -m 666 "$work/full" c 1 7; then
  null=$work/null
  full=$work/full
fi
check "to /dev/null" run 0 "$bin" convert "$cube" -o "$null"
check "/dev/null stays a device" test -c "$null"
check "to /dev/full" run 1 "$bin" convert "$cube" -o "$full"
check "/dev/full says so" says "Cannot write file: $full"
check "/dev/full stays a device" test -c "$full"
ln -s "$full" "$work/full.png"
check "render to /dev/full" run 1 "$bin" render "$cube" -o "$work/full.png"
check "render says so" says "Cannot write file: $work/full.png"
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
  check "read-only file untouched" test "$(cat "$work/open-folder/ro.bas")" = old
else
  echo "SKIPPED: read-only file (cannot run stl2bas as an unprivileged user here)"
fi

# The input itself is never replaced by its own conversion, by any name;
# a BASIC data file saved over itself is renumbered.
cp "$cube" "$work/before.stl"
ln -s cube.stl "$work/cube-link.bas"
ln "$cube" "$work/cube-hard.bas"
for out in "$cube" "$work/cube-link.bas" "$work/cube-hard.bas"; do
  check "output is the input: $out" run 1 "$bin" convert "$cube" -o "$out"
  check "refusal names $out" says "Cannot write file: $out"
done
ln -s cube.stl "$work/cube-link.svg"
check "render over its input" run 1 "$bin" render "$cube" -o "$work/cube-link.svg"
check "the input is untouched" cmp -s "$cube" "$work/before.stl"
check "the link is untouched" test -L "$work/cube-link.bas" -a -L "$work/cube-link.svg"
mkdir "$work/renumber"
"$bin" convert "$cube" -o "$work/renumber/cube.bas" || exit 1
check "renumber in place" run 0 "$bin" convert "$work/renumber/cube.bas" -o "$work/renumber/cube.bas" --start 100
check "renumbered" test "$(head -n 1 "$work/renumber/cube.bas")" = $'100\'Number of Faces and Number of Points\r'
check "renumber in place with -d" run 0 "$bin" convert "$work/renumber/cube.bas" -d "$work/renumber" --step 5
check "renumbered again" grep -q $'^20\'Points from the 3D Object\r$' "$work/renumber/cube.bas"

# SIGINT or SIGTERM during a write removes the temporary file and leaves
# the old file as it was. A mesh of 300,000 points takes long enough to
# write that the write can be caught: stopped as soon as its temporary file
# appears, signalled, and let go.
awk 'BEGIN {
  n = 300000
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
    env --default-signal=INT "$bin" convert "$work/big.ply" -o "$work/signals/keep.bas" --step 0 2>/dev/null &
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
  # shellcheck disable=SC2086
  check "$command >/dev/full" run 1 bash -c '"$0" "$@" >/dev/full' "$bin" $command
  check "$command >/dev/full says so" says "Cannot write to standard output"
  # shellcheck disable=SC2086
  check "$command >&-" run 1 bash -c '"$0" "$@" >&-' "$bin" $command
  check "$command >&- says so" says "Cannot write to standard output"
done

# info --json always parses, whatever bytes the name holds; the raw name
# comes along as bytes when it is not UTF-8.
if command -v jq >/dev/null; then
  odd=$'\xff\xfecube \x01"\\\n.stl'
  cp "$cube" "$work/$odd"
  check "json of a name that is not UTF-8" run 0 "$bin" info "$work/$odd" --json --dump
  parses() { jq -e . "$1" >/dev/null; }
  check "it parses" parses "$work/out"
  expected_bytes=$(printf '%s' "$work/$odd" | od -An -tu1 -v | tr -s ' \n' '  ' | sed 's/^ //; s/ $//' | tr ' ' ',')
  check "file_bytes are the name's bytes" test "$(jq -c '.file_bytes' "$work/out")" = "[$expected_bytes]"
  check "missing file with such a name" run 1 "$bin" info "$work/missing-$odd" --json
  check "its message parses" test "$(jq -r '.message | startswith("Cannot open file: ")' "$work/out")" = true
  check "a UTF-8 name has no file_bytes" run 0 "$bin" info "$work/cube.stl" --json
  check "no file_bytes" test "$(jq 'has("file_bytes")' "$work/out")" = false
else
  echo "SKIPPED: JSON parsing checks (jq is not installed)"
fi
# The JSON's layout is unchanged for an ordinary name.
cat >"$work/cube.json" <<EOF
{
  "file": "$work/cube.stl",
  "kind": "stl",
  "format": "ascii-stl",
  "polygons_split": 0,
  "loaded": true,
  "faces": 11,
  "points": 35,
  "points_optimized": 7,
  "message": null,
EOF
check "json layout" run 0 "$bin" info "$work/cube.stl" --json
check "json layout unchanged" cmp -s <(head -n 10 "$work/out") "$work/cube.json"

summary "cli save"
