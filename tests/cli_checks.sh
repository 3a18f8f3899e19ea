# Sourced by the stl2bas check scripts: the binary, the test data folder, a
# scratch folder removed at exit, and the check and run helpers.
#   STL2BAS=path/to/stl2bas bash SCRIPT TEST_DATA_DIR
set -u
data=$1
bin=${STL2BAS:?set STL2BAS to the stl2bas binary}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

check() {  # check NAME CONDITION...: the condition must hold
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
# run EXPECTED_EXIT CMD...: runs, keeps stdout/stderr in $work/out, $work/err
run() {
  local expected=$1
  shift
  "$@" >"$work/out" 2>"$work/err"
  local code=$?
  [ "$code" -eq "$expected" ] || { echo "exit $code, expected $expected: $*"; cat "$work/err"; return 1; }
}
# summary NAME: the closing line, and the script's exit status
summary() {
  echo "$1: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
