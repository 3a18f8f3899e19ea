#!/usr/bin/env bash
# stl2bas convert --program and the options that shape the BASIC file.
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh"
cube="$data/pro2stl-cube-crlf.stl"
lines_needed() { "$bin" info "$@" --json | sed -n 's/.*"lines_needed": \([0-9]*\).*/\1/p'; }

check "data file" run 0 "$bin" convert "$cube" -o "$work/data.bas"
check "lower case named" run 0 "$bin" convert "$cube" -o "$work/lower.bas" --keyword-case lower
check "lower case is the default" cmp -s "$work/data.bas" "$work/lower.bas"

# A program: the viewer first, then the data lines as the data file has them.
check "program" run 0 "$bin" convert "$cube" -o "$work/program.bas" --program --start 100 --step 10
check "numbered from the start by the step" test "$(head -c 3 "$work/program.bas")" = "100"
check "every line ends in CR LF" test "$(tr -cd '\r' <"$work/program.bas" | wc -c)" -eq "$(wc -l <"$work/program.bas")"
tr -d '\r' <"$work/data.bas" | sed 's/^[0-9]*//' >"$work/data.text"
tr -d '\r' <"$work/program.bas" | sed 's/^[0-9]*//' | tail -n "$(wc -l <"$work/data.text")" >"$work/tail.text"
check "the data follows the viewer unchanged" cmp -s "$work/data.text" "$work/tail.text"
check "the program's lines are its lines needed" \
  test "$(lines_needed "$cube" --program --start 100 --step 10)" -eq "$(wc -l <"$work/program.bas")"
check "the data file's lines are its lines needed" test "$(lines_needed "$cube")" -eq "$(wc -l <"$work/data.bas")"
check "the view stands in the program" run 0 "$bin" convert "$cube" -o "$work/view.bas" --program --zoom 7 \
  --angles 30,45,60 --size 320x192
for assignment in "zm=7" "ax=30" "ay=45" "az=60" "wd=320" "ht=192"; do
  check "$assignment" grep -q "^[0-9]* $assignment"$'\r'"\$" "$work/view.bas"
done

# Read back as the data alone, upper-case DATA included.
check "upper case" run 0 "$bin" convert "$cube" -o "$work/upper.bas" --program --keyword-case upper --dialect hplot
check "upper-case DATA" grep -q "^[0-9]* DATA " "$work/upper.bas"
check "no lower-case data" bash -c '! grep -q "^[0-9]* data " "$1"' _ "$work/upper.bas"
"$bin" info "$work/data.bas" --json --dump | grep -v '"file"' >"$work/data.json"
for program in program upper view; do
  "$bin" info "$work/$program.bas" --json --dump | grep -v '"file"' | grep -v '"lines_needed"' >"$work/read.json"
  grep -v '"lines_needed"' "$work/data.json" >"$work/expected.json"
  check "$program reads back as the data" cmp -s "$work/expected.json" "$work/read.json"
done

# A line length: no data line longer, an item never split.
check "line length" run 0 "$bin" convert "$cube" -o "$work/short.bas" --line-length 64
check "no line longer than 64" test "$(tr -d '\r' <"$work/short.bas" | awk '{ print length }' | sort -n | tail -n 1)" -le 64
check "short lines read back" bash -c 'cmp -s <("$1" info "$2" --json --dump | grep -v "\"file\"\|lines_needed") \
  <(grep -v lines_needed "$3")' _ "$bin" "$work/short.bas" "$work/data.json"

# Refusals: options that need --program, values out of range, numbering a
# program cannot run with (nothing written).
check "angles need --program" run 2 "$bin" convert "$cube" -o "$work/x.bas" --angles 1,2,3
check "dialect needs --program" run 2 "$bin" convert "$cube" -o "$work/x.bas" --dialect line
check "unknown dialect" run 2 "$bin" convert "$cube" -o "$work/x.bas" --program --dialect basic
check "keyword case" run 2 "$bin" convert "$cube" -o "$work/x.bas" --keyword-case title
check "line length too short" run 2 "$bin" convert "$cube" -o "$work/x.bas" --line-length 63
check "line length too long" run 2 "$bin" convert "$cube" -o "$work/x.bas" --line-length 256
check "step 0" run 1 "$bin" convert "$cube" -o "$work/x.bas" --program --step 0
check "step 0 says why" grep -q "step of 1 or more" "$work/err"
check "negative start" run 1 "$bin" convert "$cube" -o "$work/x.bas" --program --start -5
check "nothing written" test ! -e "$work/x.bas"
check "a BASIC data file's program shows every face when asked" \
  run 0 "$bin" convert "$work/data.bas" -o "$work/again.bas" --program --mesh normal
check "every face drawn" grep -q "^[0-9]* op=0"$'\r'"\$" "$work/again.bas"
check "optimized by default for a BASIC data file" \
  run 0 "$bin" convert "$work/data.bas" -o "$work/again.bas" --program
check "faces turned away hidden" grep -q "^[0-9]* op=1"$'\r'"\$" "$work/again.bas"

summary "cli program"
