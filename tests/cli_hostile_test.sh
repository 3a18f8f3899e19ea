#!/usr/bin/env bash
# stl2bas against files made to attack it: files that name others outside
# their folder, files that stall or swell the library that reads them, and
# the ways its isolation could be lost; and every exit telling the truth.
#   STL2BAS=path/to/stl2bas KORVANE_PORTABLE=0|1 bash cli_hostile_test.sh TEST_DATA_DIR
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh"
portable=${KORVANE_PORTABLE:-0}

# ---- Files a model names, outside its folder ---------------------------------
# root/secret.bin, root/model/ the model's folder, with a link leading out
# and a folder link leading up. The secret is six points' worth of bytes.
root="$work/hostile"
mkdir -p "$root/model/sub"
secret='SECRET-TOKEN-AAAABBBBCCCCDDDDEEEEFFFFGGGGHHHHIIIIJJJJKKKKLLLLMMMMNNNNOOOO'
printf '%s' "$secret" >"$root/secret.bin"
ln -s ../secret.bin "$root/model/out-link.bin"
ln -s .. "$root/model/up"
export KORVANE_TEST_ENVIRONMENT=ENVIRONMENT-SECRET-1234567890

le32() {  # the four bytes of a little-endian 32-bit number
  local n=$1
  printf "\\x$(printf %02x $((n & 255)))\\x$(printf %02x $((n >> 8 & 255)))"
  printf "\\x$(printf %02x $((n >> 16 & 255)))\\x$(printf %02x $((n >> 24 & 255)))"
}
gltf_json() {  # two triangles of six points from a buffer at URI (in a GLB, its second buffer)
  local first="" index=0
  [ "${2:-}" = glb ] && first='{"byteLength":4},' index=1
  printf '{"asset":{"version":"2.0"},"scenes":[{"nodes":[0]}],"scene":0,"nodes":[{"mesh":0}],'
  printf '"meshes":[{"primitives":[{"attributes":{"POSITION":0},"mode":4}]}],'
  printf '"buffers":[%s{"uri":"%s","byteLength":72}],' "$first" "$1"
  printf '"bufferViews":[{"buffer":%d,"byteOffset":0,"byteLength":72}],' "$index"
  printf '"accessors":[{"bufferView":0,"componentType":5126,"count":6,"type":"VEC3"}]}'
}
write_model() {  # write_model KIND NAME FILE: a model of KIND naming NAME
  local kind=$1 name=$2 file=$3
  case $kind in
    gltf) gltf_json "$name" >"$file" ;;
    glb)
      local json
      json=$(gltf_json "$name" glb)
      while [ $(( ${#json} % 4 )) -ne 0 ]; do json="$json "; done
      { printf 'glTF'; le32 2; le32 $((12 + 8 + ${#json} + 8 + 4)); le32 ${#json}; printf 'JSON%s' "$json"
        le32 4; printf 'BIN\0\0\0\0\0'; } >"$file" ;;
    obj) printf 'mtllib %s\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nusemtl m\nf 1 2 3\nf 2 4 3\n' "$name" >"$file" ;;
  esac
}
# The secret's bytes read as points, as a glTF inside the folder gives them:
# the text by which they would show in a dump.
mkdir -p "$work/control"
cp "$root/secret.bin" "$work/control/secret.bin"
gltf_json secret.bin >"$work/control/control.gltf"
secret_points=$("$bin" info "$work/control/control.gltf" --json --dump | sed -n 's/^  "pts_normal": //p')
check "the secret read from inside its folder shows as points" test -n "$secret_points"
# No output of stl2bas holds a byte of what it must not read, as text or as points.
leaks_nothing() {
  ! grep -qaF -e "$secret" -e "SECRET-TOKEN" -e "root:x:0" -e "Linux version" -e "$KORVANE_TEST_ENVIRONMENT" \
    -e "$secret_points" "$work/out" "$work/err" "$work/all" "$root/model/out.bas" 2>/dev/null
}
for kind in gltf glb obj; do
  for name in ../secret.bin "$root/secret.bin" sub/../../secret.bin out-link.bin up/secret.bin /etc/passwd \
              /proc/version /proc/self/environ; do
    model="$root/model/m.$kind"
    write_model "$kind" "$name" "$model"
    rm -f "$root/model/out.bas" "$work/all"
    for args in "info $model --json --dump" "info $model" "convert $model -o $root/model/out.bas"; do
      # shellcheck disable=SC2086
      "$bin" $args >>"$work/all" 2>&1
    done
    "$bin" info "$model" --json --dump >"$work/out" 2>"$work/err"
    check "$kind naming $name: no byte of it in any output" leaks_nothing
    if [ "$kind" = obj ]; then
      # A material changes no mesh: the file loads as it would without it.
      check "$kind naming $name: loads" grep -q '"loaded": true' "$work/out"
      sed "/^mtllib/d" "$model" >"$root/model/plain.obj"
      "$bin" info "$root/model/plain.obj" --json --dump | sed 1,2d >"$work/plain"
      check "$kind naming $name: the mesh of the file alone" cmp -s <(sed 1,2d "$work/out") "$work/plain"
    else
      # The buffer the mesh needs is refused, and the message names it.
      check "$kind naming $name: refused" grep -q '"loaded": false' "$work/out"
      check "$kind naming $name: says which file" grep -qF "\\\"$name\\\" is not read" "$work/out"
      check "$kind naming $name: no output file" test ! -e "$root/model/out.bas"
    fi
  done
  # The same bytes inside the folder are read: the checks above would see them.
  cp "$root/secret.bin" "$root/model/sub/inside.bin"
  write_model "$kind" sub/inside.bin "$root/model/in.$kind"
  printf 'newmtl m\nKd 1 1 1\n' >"$root/model/sub/inside.bin.mtl"
  [ "$kind" = obj ] && write_model obj sub/inside.bin.mtl "$root/model/in.obj"
  check "$kind: a file inside the folder is read" run 0 "$bin" info "$root/model/in.$kind" --json
done
# A reason of the library's that quotes a file the input names is not shown.
printf 'newmtl m\nKd -%s\n' "$secret" >"$root/model/quoted.mtl"
write_model obj quoted.mtl "$root/model/quoted.obj"
check "a reason quoting a named file" run 1 "$bin" info "$root/model/quoted.obj"
check "is not shown" grep -q 'its reason quotes "quoted.mtl", a file the input names' "$work/out"
check "nor any byte of the file" leaks_nothing

# A glTF whose buffer is a data: URI needs no file at all.
float_bytes() {  # the little-endian bytes of each 0 or 1 given
  for value in "$@"; do
    if [ "$value" = 1 ]; then printf '\0\0\x80\x3f'; else printf '\0\0\0\0'; fi
  done
}
uri="data:application/octet-stream;base64,$(float_bytes 0 0 0 1 0 0 0 1 0 1 0 0 1 1 0 0 1 0 | base64 -w0)"
gltf_json "$uri" >"$work/data.gltf"
check "a data: URI buffer loads" run 0 "$bin" info - --from gltf --json <"$work/data.gltf"
check "its six points" grep -q '"points": 5,' "$work/out"

# ---- Files that stall or swell the library ---------------------------------
# A 200-byte SMD on which the library loops gets seconds, not a minute.
started=$SECONDS
check "a looping file is stopped" run 1 timeout 120 "$bin" info "$data/scene/loops.smd"
check "and says so" grep -q "ran for longer than a file of this size may take" "$work/out"
check "within its limit of a few seconds of processor time" test $((SECONDS - started)) -lt 60

# A glTF whose nodes place each other twice over, 40 deep (2^40 placements),
# padded with 20 MB of blanks: its memory follows its 1 KB, not its padding.
{
  printf '{"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":['
  for i in $(seq 0 39); do printf '{"mesh":0,"children":[%d,%d]},' $((i + 1)) $((i + 1)); done
  printf '{"mesh":0}],"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],'
  printf '"buffers":[{"uri":"%s","byteLength":72}],"bufferViews":[{"buffer":0,"byteLength":72}],' "$uri"
  printf '"accessors":[{"bufferView":0,"componentType":5126,"count":6,"type":"VEC3"}]}'
  head -c 20000000 /dev/zero | tr '\0' ' '
} >"$work/bomb.gltf"
/usr/bin/time -f "%M" -o "$work/peak" "$bin" info "$work/bomb.gltf" >"$work/out" 2>"$work/err"
check "a node bomb is refused" test $? -eq 1
check "for its memory" grep -q "memory" "$work/out"
check "having taken well under a gigabyte" test "$(tail -1 "$work/peak")" -lt 1000000

# Standard input is checked as it arrives, and no more of it is kept than the
# reading could use.
( head -c 3000000000 /dev/zero | /usr/bin/time -f "%M" -o "$work/peak" "$bin" info - --from obj ) >"$work/out" 2>"$work/err"
check "a NUL stream is refused at once" grep -q "byte 0 is a NUL" "$work/out"
check "having kept little of it" test "$(tail -1 "$work/peak")" -lt 100000
( head -c 3000000000 /dev/zero | "$bin" info - --from gltf --memory 64 ) >"$work/out" 2>"$work/err"
check "a stream longer than the memory allows is refused" grep -q -- "--memory allows more" "$work/out"

# ---- Isolation ----------------------------------------------------------------
if [ "$portable" = 0 ]; then
  # The child that reads ends with stl2bas, whatever ends stl2bas.
  "$bin" info "$data/scene/loops.smd" >/dev/null 2>&1 &
  parent=$!
  child=""
  for _ in $(seq 100); do child=$(pgrep -P "$parent" | head -1); [ -n "$child" ] && break; sleep 0.05; done
  check "the reading runs in a child" test -n "$child"
  kill -TERM "$parent"
  wait "$parent" 2>/dev/null
  gone() { [ ! -e "/proc/$child" ] || grep -q '^[0-9]* ([^)]*) [ZX]' "/proc/$child/stat"; }
  for _ in $(seq 40); do gone && break; sleep 0.05; done
  check "the child ends with its parent" gone

  # Where no child process can be made, the file is refused: the library
  # never runs unlimited inside stl2bas.
  chmod 755 "$work"
  { printf '{"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":['
    for i in $(seq 0 19999); do printf '{"children":[%d]},' $((i + 1)); done
    printf '{}]}'; } >"$work/deep.gltf"
  chmod 644 "$work/deep.gltf"
  if [ "$(id -u)" -eq 0 ]; then
    limited=(setpriv --reuid=65534 --regid=65534 --clear-groups prlimit --nproc=1 --)
  else
    limited=(prlimit --nproc=1 --)
  fi
  "${limited[@]}" "$bin" info "$work/deep.gltf" >"$work/out" 2>"$work/err"
  check "no child process: refused, not crashed (exit $?)" test $? -eq 1
  check "no child process: says why" grep -q "the system refused the process that reads them" "$work/out"
fi

# ---- Every exit tells the truth ------------------------------------------------
cube="$data/pro2stl-cube-crlf.stl"
cp "$cube" "$work/c2.stl"
if [ "$portable" = 0 ]; then
  check "standard input's own file is not replaced" run 1 "$bin" convert - --from stl -o "$work/c2.stl" <"$work/c2.stl"
  check "it says so" grep -q "Cannot write file" "$work/err"
  check "the input stays" cmp -s "$cube" "$work/c2.stl"
fi
awk 'BEGIN { print "solid big"; for (i = 0; i < 3000; i++) { printf "facet normal 0 0 1\nouter loop\n";
     printf "vertex %d 0 0\nvertex %d 1 0\nvertex %d 0 1\nendloop\nendfacet\n", i, i, i } print "endsolid" }' \
  >"$work/big.stl"
"$bin" convert "$work/big.stl" -o - 2>"$work/err" | head -c5 >/dev/null
check "a closed pipe: exit 1, not a signal (exit ${PIPESTATUS[0]})" test "${PIPESTATUS[0]}" -eq 1
check "a closed pipe says so" grep -q "Cannot write to standard output" "$work/err"
for option in "--start abc" "--step abc" "--start 10x" "--step ''" "--step 0" "--step -1" "--step 0.4"; do
  # shellcheck disable=SC2086
  eval "check \"convert $option is a usage error\" run 2 \"\$bin\" convert \"\$cube\" -o \"\$work/x.bas\" $option"
  check "convert $option writes nothing" test ! -e "$work/x.bas"
  eval "check \"info $option is a usage error\" run 2 \"\$bin\" info \"\$cube\" $option"
done
check "a step below 1 says why" grep -q "Basic Line Step must be 1 or more" "$work/err"
check "a step of 1.5 rounds to 2" run 0 "$bin" convert "$cube" -o - --step 1.5
printf 'ply\nformat ascii 1.0\nelement vertex 2147483648\nproperty float x\nend_header\n' >"$work/huge.ply"
check "a count beyond the counters" run 1 "$bin" info "$work/huge.ply"
check "is named as the file declares it" grep -q 'declares 2147483648 entries' "$work/out"

summary "cli_hostile"
