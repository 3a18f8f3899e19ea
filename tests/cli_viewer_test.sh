#!/usr/bin/env bash
# The viewer program run by a real BASIC interpreter (bwbasic) draws what the
# preview draws: for every mesh file here (and in the shared corpus, where it
# is present) and four views each, the segments the print dialect prints are
# those of `stl2bas render` for that view, in the same order. The
# interpreter's arithmetic is double throughout, the preview's rounds three
# steps to 32-bit floats: a coordinate may then lie one unit off, and those
# segments are counted.
#   STL2BAS=path/to/stl2bas bash cli_viewer_test.sh TEST_DATA_DIR [CORPUS_DIR]
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh"
corpus=${2:-}
if ! command -v bwbasic >/dev/null || ! command -v jq >/dev/null; then
  echo "skipped: bwbasic and jq are needed (./scripts/test installs them)"
  exit 77
fi

files=("$data"/*.stl "$data"/*.ply "$data"/scene/*.obj "$data"/scene/*.off "$data"/scene/*.glb)
if [ -n "$corpus" ] && [ -d "$corpus" ]; then
  files+=("$corpus"/stl/*.stl "$corpus"/ply/*.ply "$corpus"/binary/*.stl "$corpus"/binary/*.ply)
else
  echo "note: the shared corpus (${corpus:-not given}) is absent: only the files of $data are run"
fi

# The views: the mesh, the angles X,Y,Z and the zoom.
views=("normal 30,45,60 1" "optimized 30,45,60 3" "normal 300,20,170 3" "optimized 300,20,170 1")

# as_ply BAS PLY: the data file's mesh as a PLY file, whose normal mesh is
# exactly those points and faces (render draws a BASIC file's optimized mesh only).
as_ply() {
  "$bin" info "$1" --json --dump | jq -r '
    "ply\nformat ascii 1.0\nelement vertex \(.pts_optimized | length)",
    "property float x\nproperty float y\nproperty float z",
    "element face \(.faces_optimized | length)\nproperty list uchar int vertex_indices\nend_header",
    (.pts_optimized[] | map(tostring) | join(" ")),
    (.faces_optimized[] | "3 " + (map(tostring) | join(" ")))' >"$2"
}

# run_viewer BAS OUT: runs the program in bwbasic, in the scratch folder (it
# can hand a line it does not know to the shell, so it only ever gets our
# own programs); OUT gets the printed segments, one "X1 Y1 X2 Y2" a line.
# bwbasic takes no comment straight after the line number: those become REM.
run_viewer() {
  tr -d '\r' <"$1" | sed -E "s/^([0-9]+)'/\1 REM /" >"$work/run.bas"
  (cd "$work" && timeout 600 bwbasic run.bas </dev/null >"$work/bwbasic.out" 2>&1)
  if grep -q "ERROR" "$work/bwbasic.out"; then
    grep "ERROR" "$work/bwbasic.out" | head -n 3
    return 1
  fi
  grep -E '^ *-?[0-9]+ +-?[0-9]+ +-?[0-9]+ +-?[0-9]+ *$' "$work/bwbasic.out" | awk '{print $1, $2, $3, $4}' >"$2"
}

# compare PRINTED SVG: the same number of segments, each coordinate equal or
# one unit off, and no more than one segment in a hundred off (a rounding
# that falls on a whole number is rare; a wrong step is not); prints
# "SEGMENTS OFF_BY_ONE".
compare() {
  sed -nE 's/^<line x1="(-?[0-9]+)" y1="(-?[0-9]+)" x2="(-?[0-9]+)" y2="(-?[0-9]+)".*/\1 \2 \3 \4/p' "$2" \
    >"$work/drawn.txt"
  [ "$(wc -l <"$1")" -eq "$(wc -l <"$work/drawn.txt")" ] || {
    echo "$(wc -l <"$1") segments printed, $(wc -l <"$work/drawn.txt") drawn"
    return 1
  }
  paste -d' ' "$1" "$work/drawn.txt" | awk '
    function abs(v) { return v < 0 ? -v : v }
    { off = 0
      for (i = 1; i <= 4; ++i) {
        d = abs($i - $(i + 4))
        if (d > 1) { print "segment " NR ": printed " $1, $2, $3, $4 ", drawn " $5, $6, $7, $8; bad = 1 }
        if (d == 1) off = 1
      }
      offs += off }
    END { if (bad) exit 1
          if (offs * 100 > NR) { print offs " of " NR " segments one unit off"; exit 1 }
          print NR, offs + 0 }'
}

total_files=0
total_views=0
total_segments=0
total_off=0
started=$SECONDS
for file in "${files[@]}"; do
  [ -f "$file" ] || continue
  name=$(basename "$file")
  # Files of more than 1000 faces, or larger than the drawing area, are
  # fitted: 400 units across, at most 1000 faces.
  "$bin" info "$file" --json >"$work/info.json" 2>/dev/null
  fit=()
  if jq -e '.faces >= 1000 or ([.bounds.max[0] - .bounds.min[0], .bounds.max[1] - .bounds.min[1],
                                .bounds.max[2] - .bounds.min[2]] | max) > 400' "$work/info.json" >/dev/null; then
    fit=(--fit 400 --faces 1000)
  fi
  check "$name converts" run 0 "$bin" convert "$file" -o "$work/mesh.bas" "${fit[@]}" || continue
  check "$name as PLY" as_ply "$work/mesh.bas" "$work/mesh.ply" || continue
  total_files=$((total_files + 1))
  for view in "${views[@]}"; do
    read -r mesh angles zoom <<<"$view"
    what="$name $mesh $angles zoom $zoom"
    # The program is written from the input and the same options, as a user
    # would; the picture from the data file it holds.
    check "$what: program" run 0 "$bin" convert "$file" -o "$work/program.bas" "${fit[@]}" --program \
      --mesh "$mesh" --angles "$angles" --zoom "$zoom" || continue
    source_file="$work/mesh.bas"
    [ "$mesh" = normal ] && source_file="$work/mesh.ply"
    check "$what: render" run 0 "$bin" render "$source_file" -o "$work/drawn.svg" --mesh "$mesh" \
      --angles "$angles" --zoom "$zoom" || continue
    check "$what: bwbasic runs the program" run_viewer "$work/program.bas" "$work/printed.txt" || continue
    if result=$(compare "$work/printed.txt" "$work/drawn.svg"); then
      passed=$((passed + 1))
      read -r segments off <<<"$result"
      total_views=$((total_views + 1))
      total_segments=$((total_segments + segments))
      total_off=$((total_off + off))
      [ "$off" -gt 0 ] && echo "$what: $off of $segments segments one unit off"
    else
      failed=$((failed + 1))
      echo "FAILED: $what: the printed segments differ from the drawn ones"
      echo "$result" | head -n 5
    fi
  done
done
check "some segments compared" test "$total_segments" -gt 0
echo "viewer: $total_files files, $total_views views, $total_segments segments compared," \
  "$total_off one unit off, in $((SECONDS - started)) s"
summary "cli viewer"
