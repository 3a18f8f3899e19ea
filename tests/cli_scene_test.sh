#!/usr/bin/env bash
# stl2bas on OBJ, OFF, 3MF, glTF, DAE, 3DS and FBX inputs, and on a binary
# PLY file from a pipe.
#   STL2BAS=path/to/stl2bas bash cli_scene_test.sh TEST_DATA_DIR
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh"
scenes="$data/scene"

# Every cube file converts to the 12 triangles and 8 corners of the cube.
for file in cube.obj cube.off cube.3mf cube.dae cube.3ds cube-ascii.fbx; do
  check "$file converts" run 0 "$bin" convert "$scenes/$file" -o "$work/$file.bas"
  check "$file holds the cube" grep -q $'^11 data 11,7\r$' "$work/$file.bas"
done
# The extension decides in any case, and --from names the format instead.
cp "$scenes/cube.obj" "$work/CUBE.OBJ"
check "upper-case extension" run 0 "$bin" convert "$work/CUBE.OBJ" -o - --start 100 --step 10
cp "$work/out" "$work/from-file.bas"
check "obj from standard input" run 0 "$bin" convert - --from obj -o - --start 100 --step 10 <"$scenes/cube.obj"
check "standard input as its file" cmp -s "$work/out" "$work/from-file.bas"
cp "$scenes/cube.off" "$work/cube.txt"
check "--from off on another name" run 0 "$bin" info "$work/cube.txt" --from off --json
check "info format" grep -q '"format": "off"' "$work/out"
check "info polygons split" grep -q '"polygons_split": 6' "$work/out"
check "info kind" grep -q '"kind": "off"' "$work/out"
check "render an obj" run 0 "$bin" render "$scenes/cube.obj" -o "$work/cube.svg" --angles 30,20,10 --zoom 20
check "the picture has lines" grep -q '<line' "$work/cube.svg"

# A glTF's buffer file is found beside it, not beside standard input.
check "gltf with its buffer file" run 0 "$bin" info "$scenes/quads-separate.gltf" --json
check "three placed quads" grep -q '"faces": 5,' "$work/out"
check "gltf from standard input" run 1 "$bin" info - --from gltf <"$scenes/quads-separate.gltf"
check "names the missing buffer" grep -q 'quads.bin' "$work/out"

# What is not a mesh format stl2bas reads is a usage error.
printf 'x\n' >"$work/notes.xyz123"
check "unknown extension" run 2 "$bin" convert "$work/notes.xyz123" -o "$work/x.bas"
check "unknown extension named" grep -q "unsupported input: $work/notes.xyz123" "$work/err"
check "unknown --from" run 2 "$bin" info - --from xyz123 <"$work/notes.xyz123"
printf 'OFF\n100000000 100000000 0\n0 0 0\n' >"$work/bad.off"
check "bad OFF refused" run 1 "$bin" convert "$work/bad.off" -o "$work/bad.bas"
check "bad OFF says why" grep -q "Line 2: the OFF header declares 100000000 vertices" "$work/err"
check "bad OFF writes nothing" test ! -e "$work/bad.bas"

# A binary PLY file, from a pipe.
check "binary ply from a pipe" run 0 "$bin" info - --from ply --json <"$data/platonic_shelf_big_endian.ply"
check "binary ply named" grep -q '"format": "binary-ply"' "$work/out"

summary "cli_scene"
