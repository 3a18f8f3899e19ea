#!/usr/bin/env bash
# stl2bas convert and info, as a script or a user runs them.
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh"

cube="$data/pro2stl-cube-crlf.stl"
binary="$data/unit_cube-solid-header.stl"
# A binary STL one byte short of its 12 facets.
cut="$work/cut-cube.stl"
head -c 683 "$binary" >"$cut"

# convert to standard output: CR LF lines, header counts as last indices
check "convert to stdout" run 0 "$bin" convert "$cube" -o -
check "header line" grep -q $'^11 data 11,7\r$' "$work/out"
check "first line" test "$(head -n 1 "$work/out")" = $'10\'Number of Faces and Number of Points\r'
check "every line ends CR LF" test "$(grep -c $'\r$' "$work/out")" = "$(wc -l <"$work/out")"

# start and step are read as the window reads them: half to even
check "start 12.5 step 10" run 0 "$bin" convert "$cube" -o - --start 12.5 --step 10
check "start rounds to 12" grep -q $'^22 data 11,7\r$' "$work/out"

# -o FILE and -d DIR
check "convert -o" run 0 "$bin" convert "$cube" -o "$work/cube.bas"
check "output written" test -s "$work/cube.bas"
mkdir "$work/out-dir"
check "convert -d" run 0 "$bin" convert "$cube" "$data/multibody-crlf.stl" -d "$work/out-dir"
check "-d names outputs by stem" test -s "$work/out-dir/pro2stl-cube-crlf.bas" -a -s "$work/out-dir/multibody-crlf.bas"

# failures: the input is named, nothing is written for it, the rest converts
mkdir "$work/mixed"
check "one bad input" run 1 "$bin" convert "$cut" "$cube" -d "$work/mixed"
check "bad input named" grep -q "cut-cube.stl: The binary STL header declares 12 facets, which take 684 bytes, but the file has 683 bytes" "$work/err"
check "no output for the bad input" test ! -e "$work/mixed/cut-cube.bas"
check "good input converted" test -s "$work/mixed/pro2stl-cube-crlf.bas"

echo "old" >"$work/keep.bas"
check "line numbers overflow" run 1 "$bin" convert "$cube" -o "$work/keep.bas" --start 32767
check "overflow message" grep -q "Too many lines for the BASIC line numbers" "$work/err"
check "old file untouched" test "$(cat "$work/keep.bas")" = "old"
check "start out of range" run 1 "$bin" convert "$cube" -o "$work/keep.bas" --start 40000
check "range message" grep -q "Basic Line Start and Step must lie between -32768 and 32767" "$work/err"
check "unwritable output" run 1 "$bin" convert "$cube" -o "$work/missing/dir/x.bas"
check "unwritable message" grep -q "Cannot write file: $work/missing/dir/x.bas" "$work/err"
check "missing input" run 1 "$bin" convert "$work/nothing.stl" -o "$work/n.bas"
check "missing input message" grep -q "Cannot open file: $work/nothing.stl" "$work/err"

# usage errors exit 2
check "unsupported input" run 2 "$bin" convert "$work/cube.txt" -o -
check "unsupported message" grep -q "unsupported input: $work/cube.txt" "$work/err"
check "-o with two inputs" run 2 "$bin" convert "$cube" "$cube" -o "$work/x.bas"
check "neither -o nor -d" run 2 "$bin" convert "$cube"
check "both -o and -d" run 2 "$bin" convert "$cube" -o a.bas -d "$work"
check "no subcommand" run 2 "$bin"
check "same stem twice" run 2 "$bin" convert "$cube" "$work/other/pro2stl-cube-crlf.stl" -d "$work"

# info
check "info plain" run 0 "$bin" info "$cube"
check "info mentions counts" grep -q "Number of Points Optimized: 7" "$work/out"
check "info json" run 0 "$bin" info "$cube" --json
check "json counts" grep -q '"faces": 11' "$work/out"
check "json points" grep -q '"points": 35' "$work/out"
check "json optimized" grep -q '"points_optimized": 7' "$work/out"
check "json message null" grep -q '"message": null' "$work/out"
check "info json dump" run 0 "$bin" info "$cube" --json --dump
check "dump optimized faces" grep -q '"faces_optimized": \[\[' "$work/out"
printf 'facet normal 0 0 1\nouter loop\nvertex -0.0 1 2\nvertex 0 0 0\nvertex 1 0 0\nendloop\nendfacet\n' >"$work/z.stl"
printf 'facet normal 0 0 1\nouter loop\nvertex 0 1 2\nvertex 0 0 0\nvertex 1 0 0\nendloop\nendfacet\n' >>"$work/z.stl"
check "info json dump signed zero" run 0 "$bin" info "$work/z.stl" --json --dump
check "dump keeps the first zero's sign" grep -q '"pts_optimized": \[\[-0.0, 1.0, 2.0\]' "$work/out"
check "dump optimized points" grep -q '"pts_optimized": \[\[' "$work/out"
check "info binary" run 0 "$bin" info "$binary" --json
check "binary loaded" grep -q '"loaded": true' "$work/out"
check "binary format" grep -q '"format": "binary-stl"' "$work/out"
check "no polygon in an STL" grep -q '"polygons_split": 0' "$work/out"
check "binary from a pipe" run 0 "$bin" convert - --from stl -o - <"$binary"
check "pipe as the file" test "$("$bin" convert "$binary" -o - | md5sum)" = "$(md5sum <"$work/out")"
check "info cut binary" run 1 "$bin" info "$cut" --json
check "cut binary not loaded" grep -q '"loaded": false' "$work/out"
check "cut binary gives both sizes" grep -q '"message": "The binary STL header declares 12 facets, which take 684 bytes, but the file has 683 bytes"' "$work/out"

summary "cli"
