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

# BASIC to BASIC with a zero step, then back to the first numbering.
run_stl2bas convert "$work/cube.bas" -o "$work/zero.bas" --start 0 --step 0
check "convert bas exits 0" test "$code" -eq 0
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
refused "binary ply" "$work/binary.ply" "Line 2: the format is binary_little_endian"

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

summary "cli_import"
