#!/usr/bin/env bash
# stl2bas fitting a model for the Korvane 3D: --up, --fit, --faces, --clean,
# what info says the target gets, the advice after too many lines, and the
# warning of a plain conversion that loses faces.
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh"

cube="$data/pro2stl-cube-crlf.stl"

# make_torus SCALE FILE: a closed torus of 2 x 40 x 30 faces, radii 0.8 and
# 0.3 times SCALE, lying in the XY plane around the Z axis.
make_torus() {
awk -v scale="$1" 'BEGIN {
  rings = 40; segments = 30; pi = 3.141592653589793
  print "ply\nformat ascii 1.0\nelement vertex " rings * segments
  print "property float x\nproperty float y\nproperty float z\nelement face " 2 * rings * segments
  print "property list uchar int vertex_indices\nend_header"
  for (r = 0; r < rings; r++) for (s = 0; s < segments; s++) {
    u = 2 * pi * r / rings; v = 2 * pi * s / segments; radius = 0.8 + 0.3 * cos(v)
    printf "%.6f %.6f %.6f\n", scale * radius * cos(u), scale * radius * sin(u), scale * 0.3 * sin(v)
  }
  for (r = 0; r < rings; r++) for (s = 0; s < segments; s++) {
    a = r * segments + s; b = ((r + 1) % rings) * segments + s
    c = ((r + 1) % rings) * segments + (s + 1) % segments; d = r * segments + (s + 1) % segments
    print "3 " a " " b " " c; print "3 " a " " c " " d
  }
}' >"$2"
}
torus="$work/torus.ply"  # a model measured in metres
make_torus 1 "$torus"

json_number() {  # json_number KEY: the value of "KEY": in $work/out
  grep -o "\"$1\": [-0-9.e]*" "$work/out" | head -1 | awk '{print $2}'
}

# Without options, info says what rounding to one decimal costs.
check "info plain" run 0 "$bin" info "$torus" --json
check "metres collapse at one decimal" test "$(json_number points_collapsing)" -gt 0
check "faces lose their area" test "$(json_number faces_degenerate)" -gt 0
check "lines needed and available" test "$(json_number lines_needed)" -gt 0 -a "$(json_number lines_available)" = 32758
check "bounds" grep -q '"bounds": {"min": \[-1.1, -1.1, -0.29[0-9]*\], "max": \[1.1, 1.1, 0.29[0-9]*\]}' "$work/out"
check "no reduction fields" bash -c "! grep -q faces_target '$work/out'"

# Fitted, stood upright and reduced: at most N faces, nothing collapses
# or loses its area any more, the box is SIZE across.
check "info fitted" run 0 "$bin" info "$torus" --json --up z --fit 400 --faces 300
check "faces within the limit" test "$(json_number faces_achieved)" -le 300 -a "$(json_number faces)" -lt 300
check "target in json" test "$(json_number faces_target)" = 300
check "error reported" test -n "$(json_number simplify_error)"
check "tidy leaves nothing to collapse" test "$(json_number points_collapsing)" = 0 -a "$(json_number faces_degenerate)" = 0
# --up z: the ring's axis points up the screen, so the ring is seen edge on,
# 400 units wide and deep, 0.3 / 1.1 of that high: the box of the faces
# kept is the one fitted.
check "fitted box turned" grep -q '"bounds": {"min": \[-200.0, -5[0-9.]*, -200.0\], "max": \[200.0, 5[0-9.]*, 200.0\]}' "$work/out"

# The options change nothing for a mesh that is already clean: --clean on
# the cube writes the very file a plain conversion writes.
check "plain cube" run 0 "$bin" convert "$cube" -o "$work/plain.bas"
check "clean cube" run 0 "$bin" convert "$cube" -o "$work/clean.bas" --clean
check "clean cube unchanged" cmp -s "$work/plain.bas" "$work/clean.bas"

# The normal mesh keeps all its faces: reducing changes only what is saved.
check "render normal reduced" run 0 "$bin" render "$torus" -o "$work/normal.svg" --faces 50 --fit 400 --mesh normal
check "normal mesh whole" test "$(grep -c '<line' "$work/normal.svg")" = 4800
check "render optimized reduced" run 0 "$bin" render "$torus" -o "$work/reduced.svg" --faces 50 --fit 400 --mesh optimized
check "optimized mesh reduced" test "$(grep -c '<line' "$work/reduced.svg")" -le 100

# Too many lines: the numbers, the ways out; --faces max then fills them.
check "too many lines" run 1 "$bin" convert "$torus" -o "$work/big.bas" --start 32000 --step 2
check "first line as the window says it" grep -q "Too many lines for the BASIC line numbers" "$work/err"
check "second line with the numbers" grep -q "The file needs [0-9]* lines; the line numbers from 32000 by 2 leave room for 384. Use --faces auto to keep the faces that draw legibly, --faces max to keep as many as fit, or a smaller --step." "$work/err"
check "nothing written" test ! -e "$work/big.bas"
check "faces max" run 0 "$bin" convert "$torus" -o "$work/max.bas" --start 32000 --step 2 --faces max --fit 400
check "max file reads back" run 0 "$bin" info "$work/max.bas" --json --start 32000 --step 2
check "max fills the numbers" test "$(json_number lines_needed)" -le 384 -a "$(json_number lines_needed)" -ge 380
max_faces=$(json_number faces)
check "no room even for a face" run 1 "$bin" convert "$torus" -o "$work/none.bas" --start 32767 --faces max
check "no room message" grep -q "Not even one face fits the BASIC line numbers from 32767 by 1" "$work/err"
# --faces auto keeps the faces that draw legibly, fewer than fit; render draws the optimized mesh then.
check "auto" run 0 "$bin" info "$torus" --json --start 32000 --step 2 --faces auto --fit 400
check "auto fits, legible, fewer than max" test "$(json_number lines_needed)" -le 384 -a "$(json_number faces)" -lt "$max_faces"
check "render fitted" run 0 "$bin" render "$torus" -o "$work/default.svg" --faces 50 --fit 400
check "render fitted draws the optimized mesh" cmp -s "$work/default.svg" "$work/reduced.svg"

# A model too small for tenths: its file would hold no face.
make_torus 0.05 "$work/tiny.ply"

# Converted without options it is written as read, exit 0, with a warning
# naming the faces that lose their area and the cure.
check "tiny converts" run 0 "$bin" convert "$work/tiny.ply" -o "$work/tiny.bas"
check "tiny warning" grep -q "tiny.ply: warning: [0-9]* of 2400 faces lose their area at one decimal.*--fit 400" "$work/err"
check "tiny written as read" run 0 "$bin" info "$work/tiny.bas" --json
check "tiny keeps its faces" test "$(json_number faces)" = 2399
for quiet in "$cube" "$work/tiny.bas"; do  # every face keeps its area; a BASIC data file is what the target gets
  check "no warning for $quiet" run 0 "$bin" convert "$quiet" -o "$work/quiet.bas"
  check "nothing on stderr for $quiet" test ! -s "$work/err"
done
check "all faces lost" run 1 "$bin" convert "$work/tiny.ply" -o "$work/lost.bas" --clean --up y
check "lost message" grep -q "No face keeps its area at one decimal.*--fit 400" "$work/err"

# Usage errors exit 2.
for bad in "--up w" "--up xy" "--fit 0" "--fit -3" "--fit big" "--faces 0" "--faces -2" "--faces many" "--faces Auto"; do
  # shellcheck disable=SC2086
  check "usage $bad" run 2 "$bin" convert "$cube" -o - $bad
done

summary "cli fit"
