#!/usr/bin/env bash
# stl2bas convert --program and the options that shape the BASIC file.
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh"
cube="$data/pro2stl-cube-crlf.stl"
# read_back FILE: what info reads from a BASIC file, without its name and line count
read_back() { "$bin" info "$1" --json --dump | grep -v '"file"\|"lines_needed"'; }
lines_needed() { "$bin" info "$@" --json | sed -n 's/.*"lines_needed": \([0-9]*\).*/\1/p'; }

check "data file" run 0 "$bin" convert "$cube" -o "$work/data.bas"
check "lower case named" run 0 "$bin" convert "$cube" -o "$work/lower.bas" --keyword-case lower
check "lower case is the default" cmp -s "$work/data.bas" "$work/lower.bas"
# Each program counts its lines as info does and reads back as the data.
for options in "--start 100 --step 10 --zoom 7 --angles 30,45,60" "--keyword-case upper --dialect hplot" \
               "--line-length 64 --dialect move --mesh optimized --size 320x192"; do
  check "$options" run 0 "$bin" convert "$cube" -o "$work/program.bas" --program $options
  check "$options: counted" test "$(lines_needed "$cube" --program $options)" -eq "$(wc -l <"$work/program.bas")"
  check "$options: reads back as the data" cmp -s <(read_back "$work/data.bas") <(read_back "$work/program.bas")
done
check "faces auto leaves room for the viewer" run 0 "$bin" convert "$data/suzanne-quads-tris.ply" -o "$work/fit.bas" \
  --program --faces auto --start 32600
# Options that need --program, values out of range, a numbering a program
# cannot run with: refused, nothing written.
for options in "--angles 1,2,3" "--dialect line" "--program --dialect basic" "--keyword-case title" \
               "--line-length 63" "--line-length 256"; do
  check "usage error: $options" run 2 "$bin" convert "$cube" -o "$work/x.bas" $options
done
check "start below 0" run 1 "$bin" convert "$cube" -o "$work/x.bas" --program --start -10
check "start below 0 says why" grep -q "start at 0 or above" "$work/err"
check "nothing written" test ! -e "$work/x.bas"
summary "cli program"
