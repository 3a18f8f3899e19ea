#!/usr/bin/env bash
# stl2bas convert and info on PLY and BASIC data inputs.
#   STL2BAS=path/to/stl2bas bash cli_import_test.sh TEST_DATA_DIR
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh"

# run_stl2bas ARGS...: runs stl2bas, keeping its exit code, standard output and error.
run_stl2bas() {
  "$bin" "$@" >"$work/out" 2>"$work/err"
  code=$?
}
says() { grep -qF -- "$1" "$work/$2"; }

# The cube of side 10 as the BASIC data file that start 100 and step 10 give.
printf '%s\r\n' \
  "100'Number of Faces and Number of Points" \
  "110 data 11,7" \
  "120'Points from the 3D Object" \
  "130 data -5.0,-5.0,-5.0,5.0,-5.0,-5.0,5.0,5.0,-5.0,-5.0,5.0,-5.0,-5.0,-5.0,5.0,5.0,-5.0,5.0,5.0,5.0,5.0" \
  "140 data -5.0,5.0,5.0" \
  "150'Faces from the 3D Object" \
  "160 data 0,1,2,0,2,3,4,5,6,4,6,7,0,1,5,0,5,4,3,2,6,3,6,7,0,3,7,0,7,4,1,2,6,1,6,5" >"$work/expected.bas"

# A PLY file converts to its BASIC data file.
run_stl2bas convert "$data/cube.ply" -o "$work/cube.bas" --start 100 --step 10
check "convert ply exits 0" test "$code" -eq 0
check "convert ply writes the cube" cmp -s "$work/cube.bas" "$work/expected.bas"

run_stl2bas info "$data/cube.ply" --json
check "info ply exits 0" test "$code" -eq 0
check "info ply counts" says '"faces": 11,' out
check "info ply points" says '"points": 7,' out
check "info ply loaded" says '"loaded": true' out

# A BASIC data file: its points are its only points.
run_stl2bas info "$work/cube.bas" --json
check "info bas exits 0" test "$code" -eq 0
check "info bas kind" says '"kind": "bas"' out
check "info bas points" says '"points": 7,' out
check "info bas points optimized" says '"points_optimized": 7,' out
run_stl2bas info "$work/cube.bas"
check "info bas caption" says "Number of Points:           7" out

# A BASIC data file of any numbering reads the same: every line numbered 0
# (as no step the converter takes writes it), then back to the first numbering.
sed 's/^[0-9]*/0/' "$work/cube.bas" >"$work/zero.bas"
check "zero step numbers every line 0" test "$(cut -d"'" -f1 "$work/zero.bas" | cut -d' ' -f1 | sort -u)" = "0"
run_stl2bas convert "$work/zero.bas" -o "$work/again.bas" --start 100 --step 10
check "bas read back writes the same file" cmp -s "$work/again.bas" "$work/expected.bas"

# Several inputs of different kinds into one folder.
cp "$data/cube.ply" "$work/a.ply"
cp "$work/cube.bas" "$work/b.bas"
mkdir "$work/out.d"
run_stl2bas convert "$work/a.ply" "$work/b.bas" -d "$work/out.d"
check "convert -d exits 0" test "$code" -eq 0
check "convert -d writes both" test -s "$work/out.d/a.bas" -a -s "$work/out.d/b.bas"

# Refused inputs: exit 1, the reason on standard error, no output file.
refused() {  # refused NAME FILE TEXT: converting FILE fails saying TEXT
  rm -f "$work/refused.bas"
  run_stl2bas convert "$2" -o "$work/refused.bas"
  check "$1 exits 1" test "$code" -eq 1
  check "$1 says why" says "$3" err
  check "$1 writes nothing" test ! -e "$work/refused.bas"
}

{
  printf 'ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\nproperty float y\n'
  printf 'property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n'
  printf '\000\000\200\077\000\000\000\100\012\015\000\000'
} >"$work/binary.ply"
refused "binary ply cut short" "$work/binary.ply" "The file ends after 1 of the 3 vertices its header declares"

printf 'ply\nformat ascii 1.0\nelement vertex 4\nelement face 2\nend_header\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 1 2\n3 0 1 9\n' \
  >"$work/missing-vertex.ply"
refused "face naming a missing vertex" "$work/missing-vertex.ply" \
  "Line 11: face 1 names vertex 9, but the file has 4 vertices"

printf 'ply\nformat ascii 1.0\nelement vertex 4\nelement face 2\nend_header\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 1 2\n' \
  >"$work/one-face.ply"
refused "a single face" "$work/one-face.ply" "4 vertices and 1 face read"

printf "10'Number of Faces and Number of Points\r\n11 data -1,-1\r\n12'Points from the 3D Object\r\n13'Faces from the 3D Object\r\n" \
  >"$work/empty.bas"
refused "an empty mesh" "$work/empty.bas" "Wrong number of Faces or Points"

refused "a missing file" "$work/absent.ply" "Cannot open file: $work/absent.ply"

run_stl2bas info "$work/binary.ply" --json
check "info binary ply exits 1" test "$code" -eq 1
check "info binary ply not loaded" says '"loaded": false' out

# Standard input ("-") needs --from, and reads as the file does, for every
# command and kind; a FIFO given by name reads as a stream too.
run_stl2bas convert - -o "$work/stdin.bas" <"$data/cube.ply"
check "standard input without --from is a usage error" test "$code" -eq 2
check "it says --from is needed" says "needs --from" err
for kind in ply bas; do
  source_file="$data/cube.ply"
  [ "$kind" = bas ] && source_file="$work/cube.bas"
  run_stl2bas convert - --from "$kind" -o "$work/stdin.bas" --start 100 --step 10 <"$source_file"
  check "$kind from standard input exits 0" test "$code" -eq 0
  check "$kind from standard input writes the cube" cmp -s "$work/stdin.bas" "$work/expected.bas"
  cat "$source_file" | "$bin" info - --from "$kind" --json >"$work/out" 2>"$work/err"
  check "$kind piped to info loads" says '"points_optimized": 7,' out
  mkfifo "$work/fifo.$kind"
  cat "$source_file" >"$work/fifo.$kind" &
  run_stl2bas render "$work/fifo.$kind" -o "$work/fifo.svg" --mesh optimized
  wait
  "$bin" render "$source_file" -o "$work/file.svg" --mesh optimized
  check "$kind from a FIFO draws as from its file" cmp -s "$work/fifo.svg" "$work/file.svg"
done
# A pipe whose header declares more than it holds is refused once it ends,
# with the message a file of the same bytes gets.
printf 'ply\nformat ascii 1.0\nelement vertex 99999\nelement face 2\nend_header\n0 0 0\n' >"$work/short.ply"
run_stl2bas info "$work/short.ply"
file_message=$(sed -n 2p "$work/out")
cat "$work/short.ply" | "$bin" info - --from ply >"$work/out" 2>"$work/err"
check "a short pipe is refused as its file is" test "$(sed -n 2p "$work/out")" = "$file_message"

summary "cli_import"
