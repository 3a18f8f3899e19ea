#!/usr/bin/env bash
# The print viewer run by bwbasic prints the segments `stl2bas render` draws, in
# order, for every mesh file here and in the shared corpus (where present), in
# four views each. Its arithmetic is double throughout, the preview's rounds three
# steps to 32-bit floats: a coordinate may rarely lie one unit off (counted).
#   STL2BAS=path/to/stl2bas bash cli_viewer_test.sh TEST_DATA_DIR [CORPUS_DIR]
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh"
corpus=${2:-}
if ! command -v bwbasic >/dev/null || ! command -v jq >/dev/null; then
  echo "skipped: bwbasic and jq are needed (./scripts/test installs them)"
  exit 77
fi
files=("$data"/*.stl "$data"/*.ply "$data"/scene/*.obj "$data"/scene/*.off "$data"/scene/*.glb)
if [ -d "$corpus" ]; then
  files+=("$corpus"/stl/*.stl "$corpus"/ply/*.ply "$corpus"/binary/*.stl "$corpus"/binary/*.ply)
else
  echo "note: the shared corpus (${corpus:-not given}) is absent: only the files of $data are run"
fi

# as_ply BAS PLY: the data file's mesh as a PLY file, whose normal mesh is
# those very points and faces (render draws a BASIC file's optimized mesh only).
as_ply() {
  "$bin" info "$1" --json --dump | jq -r '"ply\nformat ascii 1.0\nelement vertex \(.pts_optimized | length)",
    "property float x\nproperty float y\nproperty float z\nelement face \(.faces_optimized | length)",
    "property list uchar int vertex_indices\nend_header", (.pts_optimized[] | map(tostring) | join(" ")),
    (.faces_optimized[] | "3 " + (map(tostring) | join(" ")))' >"$2"
}
# printed BAS: its segments as bwbasic prints them, run in the scratch folder
# (it may hand a line it does not know to the shell: it gets only our programs)
# with the comments as REM, which it needs.
printed() {
  tr -d '\r' <"$1" | sed -E "s/^([0-9]+)'/\1 REM /" >"$work/run.bas"
  (cd "$work" && timeout 600 bwbasic run.bas </dev/null >"$work/bwbasic.out" 2>&1)
  if grep "ERROR" "$work/bwbasic.out" >&2; then return 1; fi
  grep -E '^ *-?[0-9]+( +-?[0-9]+){3} *$' "$work/bwbasic.out" || true  # a view may hide every face
}
# must NAME CONDITION...: a check whose failure ends this file's or view's run
must() { local before=$failed; check "$@"; [ "$failed" -eq "$before" ]; }
# compare PRINTED SVG: each coordinate equal or one unit off, at most one
# segment in a hundred off; prints "SEGMENTS OFF".
compare() {
  sed -nE 's/^<line x1="(-?[0-9]+)" y1="(-?[0-9]+)" x2="(-?[0-9]+)" y2="(-?[0-9]+)".*/\1 \2 \3 \4/p' "$2" >"$work/drawn"
  [ "$(wc -l <"$1")" -eq "$(wc -l <"$work/drawn")" ] || { echo "$(wc -l <"$1") printed, $(wc -l <"$work/drawn") drawn"; return 1; }
  paste -d' ' "$1" "$work/drawn" | awk '{ off = 0
      for (i = 1; i <= 4; ++i) { d = $i - $(i + 4); d = d < 0 ? -d : d; if (d > 1) bad = 1; if (d == 1) off = 1 }
      offs += off }
    END { if (bad || offs * 100 > NR) { print "segments more than one unit off, or " offs " of " NR " off"; exit 1 }
          print NR, offs + 0 }'
}

views=("normal 30,45,60 1" "optimized 30,45,60 3" "normal 300,20,170 3" "optimized 300,20,170 1")
total_files=0 total_views=0 total_segments=0 total_off=0 started=$SECONDS
for file in "${files[@]}"; do
  [ -f "$file" ] || continue
  name=$(basename "$file")
  # More than 1000 faces, or larger than 400 units: fitted to 400 units and 1000 faces.
  fit=()
  "$bin" info "$file" --json | jq -e '.faces >= 1000 or ([.bounds.max, .bounds.min] | transpose |
    map(.[0] - .[1]) | max) > 400' >/dev/null && fit=(--fit 400 --faces 1000)
  must "$name converts" run 0 "$bin" convert "$file" -o "$work/mesh.bas" "${fit[@]}" || continue
  must "$name as PLY" as_ply "$work/mesh.bas" "$work/mesh.ply" || continue
  total_files=$((total_files + 1))
  for view in "${views[@]}"; do
    read -r mesh angles zoom <<<"$view"
    what="$name $mesh $angles zoom $zoom"
    shown="$work/mesh.bas"
    [ "$mesh" = normal ] && shown="$work/mesh.ply"
    # The program as a user writes it, from the input; the picture from the data it holds.
    must "$what: program" run 0 "$bin" convert "$file" -o "$work/program.bas" "${fit[@]}" --program \
      --mesh "$mesh" --angles "$angles" --zoom "$zoom" &&
      must "$what: render" run 0 "$bin" render "$shown" -o "$work/drawn.svg" --mesh "$mesh" --angles "$angles" \
        --zoom "$zoom" &&
      must "$what: bwbasic runs it" eval 'printed "$work/program.bas" >"$work/printed"' &&
      must "$what: printed as drawn" eval 'result=$(compare "$work/printed" "$work/drawn.svg") || ! echo "$result"' ||
      continue
    read -r segments off <<<"$result"
    total_views=$((total_views + 1)) total_segments=$((total_segments + segments)) total_off=$((total_off + off))
    [ "$off" -eq 0 ] || echo "$what: $off of $segments segments one unit off"
  done
done
check "segments compared" test "$total_segments" -gt 0
echo "viewer: $total_files files, $total_views views, $total_segments segments compared, $total_off one unit off," \
  "in $((SECONDS - started)) s"
summary "cli viewer"
