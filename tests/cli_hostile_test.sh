#!/usr/bin/env bash
# stl2bas against files made to attack it, its isolation, and its exits.
#   STL2BAS=path/to/stl2bas KORVANE_PORTABLE=0|1 bash cli_hostile_test.sh TEST_DATA_DIR
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh"
portable=${KORVANE_PORTABLE:-0}

# ---- Files a model names, outside its folder ---------------------------------
# root/secret.bin (six points' worth) beside root/model/, with links out and up.
root="$work/hostile"
mkdir -p "$root/model/sub" "$work/control"
secret='SECRET-TOKEN-AAAABBBBCCCCDDDDEEEEFFFFGGGGHHHHIIIIJJJJKKKKLLLLMMMMNNNNOOOO'
printf '%s' "$secret" | tee "$root/secret.bin" >"$work/control/secret.bin"
ln -s ../secret.bin "$root/model/out-link.bin"
ln -s .. "$root/model/up"
export KORVANE_TEST_ENVIRONMENT=ENVIRONMENT-SECRET-1234567890
le32() { for s in 0 8 16 24; do printf "\\x$(printf %02x $(($1 >> s & 255)))"; done; }
gltf_json() {  # gltf_json URI [glb|gltf] [NODES]: two triangles from a 72-byte buffer at URI
  local first="" index=0
  [ "${2:-}" = glb ] && first='{"byteLength":4},' index=1  # a GLB's first buffer is its own
  printf '{"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[%s],"meshes":[{"primitives":' \
    "${3:-{\"mesh\":0\}}"
  printf '[{"attributes":{"POSITION":0}}]}],"buffers":[%s{"uri":"%s","byteLength":72}],"bufferViews":[{"buffer":%d,' \
    "$first" "$1" "$index"
  printf '"byteLength":72}],"accessors":[{"bufferView":0,"componentType":5126,"count":6,"type":"VEC3"}]}'
}
write_model() {  # write_model KIND NAME FILE: a model of KIND naming NAME
  case $1 in
    gltf) gltf_json "$2" >"$3" ;;
    glb) local json
      json=$(gltf_json "$2" glb)
      while [ $((${#json} % 4)) -ne 0 ]; do json="$json "; done
      { printf glTF; le32 2; le32 $((32 + ${#json})); le32 ${#json}; printf JSON%s "$json"; le32 4
        printf 'BIN\0\0\0\0\0'; } >"$3" ;;
    obj) printf 'mtllib %s\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nusemtl m\nf 1 2 3\nf 2 4 3\n' "$2" >"$3" ;;
  esac
}
# The secret read as points (from inside its folder): how it would show in a dump.
gltf_json secret.bin >"$work/control/control.gltf"
secret_points=$("$bin" info "$work/control/control.gltf" --json --dump | sed -n 's/^  "pts_normal": //p')
check "the secret inside its folder reads as points" test -n "$secret_points"
leaks_nothing() {  # no output holds a byte of what must not be read, as text or as points
  ! grep -qaF -e "$secret" -e "SECRET-TOKEN" -e "root:x:0" -e "Linux version" -e "$KORVANE_TEST_ENVIRONMENT" \
    -e "$secret_points" "$work/out" "$work/err" "$work/all" "$root/model/out.bas" 2>/dev/null
}
for kind in gltf glb obj; do
  for name in ../secret.bin "$root/secret.bin" sub/../../secret.bin out-link.bin up/secret.bin /etc/passwd \
              /proc/version /proc/self/environ; do
    model="$root/model/m.$kind"
    write_model "$kind" "$name" "$model"
    rm -f "$root/model/out.bas"
    { "$bin" info "$model"; "$bin" convert "$model" -o "$root/model/out.bas"; } >"$work/all" 2>&1
    "$bin" info "$model" --json --dump >"$work/out" 2>"$work/err"
    check "$kind naming $name: no byte of it in any output" leaks_nothing
    if [ "$kind" = obj ]; then  # a material changes no mesh: loaded as without it
      sed /^mtllib/d "$model" >"$root/model/plain.obj"
      check "$kind naming $name: the mesh of the file alone" cmp -s <(sed 1,2d "$work/out") \
        <("$bin" info "$root/model/plain.obj" --json --dump | sed 1,2d)
    else  # the buffer the mesh needs: refused, and named
      check "$kind naming $name: refused, saying which" grep -qF "\\\"$name\\\" is not read" "$work/out"
      check "$kind naming $name: no output file" test ! -e "$root/model/out.bas"
    fi
  done
done
# A reason of the library's that quotes a file the input names is not shown.
printf 'newmtl m\nKd -%s\n' "$secret" >"$root/model/quoted.mtl"
write_model obj quoted.mtl "$root/model/quoted.obj"
check "a reason quoting a named file" run 1 "$bin" info "$root/model/quoted.obj"
check "is not shown" grep -q 'its reason quotes "quoted.mtl", a file the input names' "$work/out"
check "nor any byte of the file" leaks_nothing
# A buffer given as a data: URI needs no file.
floats=""
for v in 0 0 0 1 0 0 0 1 0 1 0 0 1 1 0 0 1 0; do [ $v = 1 ] && floats+='\x0\x0\x80\x3f' || floats+='\x0\x0\x0\x0'; done
uri="data:application/octet-stream;base64,$(printf "$floats" | base64 -w0)"
gltf_json "$uri" >"$work/data.gltf"
check "a data: URI buffer loads, from standard input too" run 0 "$bin" info - --from gltf <"$work/data.gltf"

# ---- Files that stall or swell the library (where it runs apart) ------------------
if [ "$portable" = 0 ]; then
  started=$SECONDS
  check "a 200-byte SMD the library loops on is stopped" run 1 "$bin" info "$data/scene/loops.smd"
  check "in seconds, saying so" grep -q "ran for longer than a file of this size may take" "$work/out"
  check "not a minute" test $((SECONDS - started)) -lt 50
  # Nodes placing each other twice over, 40 deep, padded with 20 MB of blanks:
  # the memory follows the 1 KB, not the padding.
  { gltf_json "$uri" gltf "$(for i in $(seq 40); do printf '{"mesh":0,"children":[%d,%d]},' $i $i; done){\"mesh\":0}"
    head -c 20000000 /dev/zero | tr '\0' ' '; } >"$work/bomb.gltf"
  /usr/bin/time -f %M -o "$work/peak" "$bin" info "$work/bomb.gltf" >"$work/out" 2>&1
  check "a node bomb is refused for its memory" grep -q "it needed more memory than a file of this size may" "$work/out"
  check "having taken well under a gigabyte" test "$(tail -1 "$work/peak")" -lt 1000000
fi
# Standard input is checked as it arrives, and no more is kept than could be used.
head -c 3000000000 /dev/zero | /usr/bin/time -f %M -o "$work/peak" "$bin" info - --from obj >"$work/out"
check "a NUL stream is refused at once" grep -q "byte 0 is a NUL" "$work/out"
check "having kept little of it" test "$(tail -1 "$work/peak")" -lt 100000
head -c 3000000000 /dev/zero | "$bin" info - --from gltf --memory 64 >"$work/out"
check "a stream beyond the memory is refused" grep -q "larger than the 32 MiB that the gltf reader may be given" \
  "$work/out"

# ---- Isolation: the reading never runs unlimited, nor outlives stl2bas -------------
if [ "$portable" = 0 ]; then
  "$bin" info "$data/scene/loops.smd" >/dev/null 2>&1 &
  parent=$! child=""
  for _ in $(seq 100); do child=$(pgrep -P $parent) && break; sleep 0.05; done
  kill -TERM $parent
  wait $parent
  gone() { [ -n "$child" ] && { [ ! -e /proc/$child ] || grep -q '^[0-9]* ([^)]*) [ZX]' /proc/$child/stat; }; }
  for _ in $(seq 40); do gone && break; sleep 0.05; done
  check "the child ends with stl2bas" gone
  # No child can be made: refused, never read inside stl2bas (where 20000 nested nodes crash it).
  { printf '{"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":['
    for i in $(seq 20000); do printf '{"children":[%d]},' $i; done; printf '{}]}'; } >"$work/deep.gltf"
  chmod 755 "$work" && chmod 644 "$work/deep.gltf"
  limited=(prlimit --nproc=1 --)
  [ "$(id -u)" -eq 0 ] && limited=(setpriv --reuid=65534 --regid=65534 --clear-groups "${limited[@]}")
  check "no child process: refused" run 1 "${limited[@]}" "$bin" info "$work/deep.gltf"
  check "saying why" grep -q "the system refused the process that reads them" "$work/out"
fi

# ---- Every exit tells the truth ---------------------------------------------------
cube="$data/pro2stl-cube-crlf.stl"
cp "$cube" "$work/c2.stl"
if [ "$portable" = 0 ]; then
  check "standard input's own file is not replaced" run 1 "$bin" convert - --from stl -o "$work/c2.stl" <"$work/c2.stl"
  check "the input stays" cmp -s "$cube" "$work/c2.stl"
fi
awk 'BEGIN { for (i = 0; i < 3000; i++) printf "facet normal 0 0 1\nvertex %d 0 0\nvertex %d 1 0\nvertex %d 0 1\n", i, i, i }' \
  >"$work/big.stl"
"$bin" convert "$work/big.stl" -o - 2>"$work/err" | head -c5 >/dev/null
check "a closed pipe: exit 1, not a signal (exit ${PIPESTATUS[0]})" test "${PIPESTATUS[0]}" -eq 1
check "saying so" grep -q "Cannot write to standard output" "$work/err"
for option in "--start abc" "--step abc" "--start 10x" "--step 0" "--step -1" "--step 0.4"; do
  # shellcheck disable=SC2086
  check "$option is a usage error, nothing written" run 2 "$bin" convert "$cube" -o "$work/x.bas" $option
done
check "nothing was written" test ! -e "$work/x.bas"
check "a step below 1 says why" grep -q "Basic Line Step must be 1 or more" "$work/err"
printf 'ply\nformat ascii 1.0\nelement vertex 2147483648\nproperty float x\nend_header\n' >"$work/huge.ply"
check "a PLY count beyond the counters" run 1 "$bin" info "$work/huge.ply"
check "is named as declared" grep -q 'declares 2147483648 entries' "$work/out"

summary "cli_hostile"
