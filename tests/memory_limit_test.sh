#!/usr/bin/env bash
# stl2bas under address-space limits from 20 MB to 300 MB: every command
# either succeeds or exits 1 saying that memory ran out; none ends in a
# signal (an abort on std::bad_alloc, say).
#   STL2BAS=path/to/stl2bas MAKE_MESH=path/to/make_mesh bash memory_limit_test.sh
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh" ""
make_mesh=${MAKE_MESH:?set MAKE_MESH to the make_mesh binary}

"$make_mesh" 200000 ply "$work/mesh.ply"
"$make_mesh" 200000 stl-e "$work/mesh.stl"

limited=0
for limit_mb in 20 24 28 32 40 48 64 96 128 192 256 300; do
  for mesh in "$work/mesh.ply" "$work/mesh.stl"; do
    for args in "info $mesh --json --dump" "convert $mesh -o $work/out.bas --faces 4000" \
                "convert $mesh -o - --faces 4000" "render $mesh -o $work/out.svg" "render $mesh -o $work/out.png"; do
      # shellcheck disable=SC2086
      (ulimit -v $((limit_mb * 1024)) && exec "$bin" $args) >"$work/out" 2>"$work/err"
      code=$?
      name="$limit_mb MB: stl2bas ${args//$work\//}"
      check "$name exits 0 or 1 (exit $code)" test "$code" -le 1
      if [ "$code" -eq 1 ]; then
        limited=$((limited + 1))
        check "$name says memory ran out" grep -qi "memory" "$work/out" "$work/err"
      fi
    done
  done
done
# The sweep must reach the limit somewhere, or it tests nothing.
check "some limit is too small for a command" test "$limited" -gt 0
summary "memory_limit"
