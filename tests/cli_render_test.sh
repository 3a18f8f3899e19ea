#!/usr/bin/env bash
# stl2bas render: the preview's wireframe as SVG and PNG pictures.
source "$(dirname "${BASH_SOURCE[0]}")/cli_checks.sh"
# lines FILE: the <line> elements of an SVG picture, one a line
lines() { grep '^<line ' "$1"; }
# png_size FILE: "WIDTH HEIGHT" from the PNG's header
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}'; }
is_png() { [ "$(od -An -tx1 -N8 "$1" | tr -d ' ')" = "89504e470d0a1a0a" ]; }
# png_pixels FILE [X,Y ...]: decodes the PNG on its own, failing on a wrong
# chunk CRC, chunk order, header, zlib stream, Adler-32 or row filter; prints
# "WIDTH HEIGHT BLACK_PIXELS", then the grey level of each pixel asked for.
png_pixels() {
  python3 - "$@" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "signature"
chunks, at = [], 8
while at < len(data):
    length, kind = struct.unpack(">I4s", data[at:at + 8])
    body = data[at + 8:at + 8 + length]
    (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
    assert zlib.crc32(kind + body) == crc, "CRC of %r at %d" % (kind, at)
    chunks.append((kind, body))
    at += 12 + length
assert at == len(data), "bytes after the last chunk"
kinds = [kind for kind, _ in chunks]
assert kinds[0] == b"IHDR" and kinds[-1] == b"IEND" and set(kinds[1:-1]) == {b"IDAT"}, kinds
width, height, depth, colour, method, filtering, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
assert (depth, colour, method, filtering, interlace) == (8, 0, 0, 0, 0), "8-bit greyscale"
stream = zlib.decompressobj()  # checks the Adler-32 at the end of the stream
raw = stream.decompress(b"".join(body for kind, body in chunks if kind == b"IDAT"))
assert stream.eof and not stream.unused_data, "the zlib stream ends with the image data"
row = width + 1
assert len(raw) == row * height, "one filter byte and one byte a pixel on every row"
assert all(raw[y * row] == 0 for y in range(height)), "rows unfiltered"
pixels = b"".join(raw[y * row + 1:(y + 1) * row] for y in range(height))
assert set(pixels) <= {0, 255}, "black on white"
print(width, height, pixels.count(0))
for point in sys.argv[2:]:
    x, y = map(int, point.split(","))
    print(pixels[y * width + x])
PY
}

# Two facets over the points (0,0,0), (0,5,0), (5,0,0): the first faces the
# viewer, the second is the same triangle wound the other way.
two="$work/two.stl"
cat >"$two" <<'EOF'
solid two
  facet normal 0 0 -1
    outer loop
      vertex 0 0 0
      vertex 0 5 0
      vertex 5 0 0
    endloop
  endfacet
  facet normal 0 0 1
    outer loop
      vertex 0 0 0
      vertex 5 0 0
      vertex 0 5 0
    endloop
  endfacet
endsolid two
EOF

# Normal mesh: every face as A-B then B-C, never C-A, in drawing order.
check "normal view" run 0 "$bin" render "$two" -o "$work/two.svg" --zoom 20 --size 401x400
check "normal segments" test "$(lines "$work/two.svg")" = '<line x1="200" y1="200" x2="200" y2="300"/>
<line x1="200" y1="300" x2="300" y2="200"/>
<line x1="200" y1="200" x2="300" y2="200"/>
<line x1="300" y1="200" x2="200" y2="300"/>'
check "svg size" grep -q '<svg xmlns="http://www.w3.org/2000/svg" width="401" height="400"' "$work/two.svg"
check "white background" grep -q 'fill="white"' "$work/two.svg"
check "black lines" grep -q 'stroke="black"' "$work/two.svg"
check "svg ends" test "$(tail -n 1 "$work/two.svg")" = "</svg>"

# Optimized mesh: the back face is culled.
check "optimized view" run 0 "$bin" render "$two" -o "$work/two-opt.svg" --zoom 20 --size 401x400 --mesh optimized
check "optimized segments" test "$(lines "$work/two-opt.svg")" = '<line x1="200" y1="200" x2="200" y2="300"/>
<line x1="200" y1="300" x2="300" y2="200"/>'

# Defaults: the window's drawing area (481 x 473, centre 240, 236), zoom 1, no turn.
check "defaults" run 0 "$bin" render "$two" -o "$work/default.SVG"
check "default size" grep -q 'width="481" height="473"' "$work/default.SVG"
check "default view" test "$(lines "$work/default.SVG" | head -n 1)" = '<line x1="240" y1="236" x2="240" y2="241"/>'
# Turned 90 degrees about Z: +X comes to +Y (299 with pi taken as 3.14159).
check "angles" run 0 "$bin" render "$two" -o "$work/turned.svg" --angles 0,0,90 --zoom 20 --size 400x400
check "turned segments" test "$(lines "$work/turned.svg" | head -n 2)" = '<line x1="200" y1="200" x2="100" y2="200"/>
<line x1="100" y1="200" x2="200" y2="299"/>'

# PNG: the same picture rasterised.
check "png" run 0 "$bin" render "$two" -o "$work/two.png" --zoom 20 --size 64x32
check "png signature" is_png "$work/two.png"
check "png size" test "$(png_size "$work/two.png")" = "64 32"
check "png default size" run 0 "$bin" render "$two" -o "$work/default.png"
check "png default is the drawing area" test "$(png_size "$work/default.png")" = "481 473"
check "png again" run 0 "$bin" render "$two" -o "$work/again.png" --zoom 20 --size 64x32
check "png is repeatable" cmp -s "$work/two.png" "$work/again.png"
check "png optimized" run 0 "$bin" render "$two" -o "$work/two-opt.png" --zoom 20 --size 64x32 --mesh optimized
check "png shows the culling" bash -c '! cmp -s "$1" "$2"' _ "$work/two.png" "$work/two-opt.png"

# The PNG decoded independently: the normal view of the two facets draws a
# column, a row and a diagonal of 101 pixels each, meeting at the 3 corners.
if command -v python3 >/dev/null; then
  check "png to decode" run 0 "$bin" render "$two" -o "$work/two-big.png" --zoom 20 --size 401x400
  pixels=$(png_pixels "$work/two-big.png" 200,200 200,300 300,200 250,250 201,201 0,0 | tr '\n' ' ')
  check "png decodes to the lines" test "$pixels" = "401 400 300 0 0 0 0 255 255 "
  # The default picture, decoded.
  # Three lines of 6 pixels meeting at the 3 corners.
  check "png default decodes" test "$(png_pixels "$work/default.png" 240,236 240,241 245,236 | tr '\n' ' ')" = \
    "481 473 15 0 0 0 "
  check "png of a mesh" run 0 "$bin" render "$data/pro2stl-cube-crlf.stl" -o "$work/cube.png" --angles 30,45,0 --zoom 20
  check "png of a mesh has black pixels" test "$(png_pixels "$work/cube.png" | cut -d' ' -f3)" -gt 0
  # Two facets that both face away: the optimized view draws nothing.
  facet='facet normal 0 0 1
outer loop
vertex 0 0 0
vertex 5 0 0
vertex 0 5 0
endloop
endfacet'
  printf 'solid away\n%s\n%s\nendsolid away\n' "$facet" "$facet" >"$work/away.stl"
  check "png with every face culled" run 0 "$bin" render "$work/away.stl" -o "$work/away.png" --zoom 20 --mesh optimized
  check "png with every face culled is white" test "$(png_pixels "$work/away.png")" = "481 473 0"
  check "png of the same facets drawn" run 0 "$bin" render "$work/away.stl" -o "$work/away-normal.png" --zoom 20
  check "png of the same facets has black pixels" test "$(png_pixels "$work/away-normal.png" | cut -d' ' -f3)" -gt 0
else
  echo "skipped: the PNG decoding checks need python3"
fi

# A real file: the 12-facet cube draws 24 segments, and 20 with its far cap culled.
check "cube" run 0 "$bin" render "$data/pro2stl-cube-crlf.stl" -o "$work/cube.svg" --angles 30,45,0 --zoom 20
check "cube segments" test "$(lines "$work/cube.svg" | wc -l)" -eq 24
check "cube optimized" run 0 "$bin" render "$data/pro2stl-cube-crlf.stl" -o "$work/cube-opt.svg" --mesh optimized
check "cube front faces" test "$(lines "$work/cube-opt.svg" | wc -l)" -eq 20

# Not loaded: exit 1, the reason on standard error, an existing picture kept.
head -n 8 "$two" >"$work/one.stl"
echo "old" >"$work/keep.svg"
check "one facet is not loaded" run 1 "$bin" render "$work/one.stl" -o "$work/keep.svg"
check "not loaded names the input" grep -q "one.stl" "$work/err"
check "old picture untouched" test "$(cat "$work/keep.svg")" = "old"
check "missing input" run 1 "$bin" render "$work/nothing.stl" -o "$work/n.svg"
check "nothing written" test ! -e "$work/n.svg"
check "unwritable output" run 1 "$bin" render "$two" -o "$work/missing/dir/x.svg"

# A BASIC data file draws its optimized mesh by default, as the window does
# after opening one: the same picture as the STL's optimized view.
check "convert for render" run 0 "$bin" convert "$data/pro2stl-cube-crlf.stl" -o "$work/cube.bas"
check "render BASIC data" run 0 "$bin" render "$work/cube.bas" -o "$work/cube-bas.svg" --angles 30,40,0 --zoom 20
check "render STL optimized" run 0 "$bin" render "$data/pro2stl-cube-crlf.stl" -o "$work/cube-stl.svg" --angles 30,40,0 --zoom 20 --mesh optimized
check "BASIC picture equals the STL's optimized one" cmp -s "$work/cube-bas.svg" "$work/cube-stl.svg"
check "BASIC picture has lines" grep -q "<line " "$work/cube-bas.svg"

# Usage errors exit 2: the scroll bars' ranges, the size, the formats, the mesh.
for angles in 360,0,0 0,-1,0 0,0 0,0,0,0 a,b,c 1.5,0,0 "" ,0,0 "0, 0,0"; do
  check "angles '$angles'" run 2 "$bin" render "$two" -o "$work/x.svg" --angles "$angles"
done
for zoom in 0 21 -1 2.5 x; do
  check "zoom '$zoom'" run 2 "$bin" render "$two" -o "$work/x.svg" --zoom "$zoom"
done
for size in 0x10 10x0 10 x10 10x 8193x10 -5x10 10x10x10; do
  check "size '$size'" run 2 "$bin" render "$two" -o "$work/x.svg" --size "$size"
done
check "output kind" run 2 "$bin" render "$two" -o "$work/x.jpg"
check "output without extension" run 2 "$bin" render "$two" -o "$work/svg"
check "no output" run 2 "$bin" render "$two"
check "mesh name" run 2 "$bin" render "$two" -o "$work/x.svg" --mesh wire
check "unsupported input" run 2 "$bin" render "$work/two.txt" -o "$work/x.svg"
check "BASIC data has no normal mesh" run 2 "$bin" render "$work/two.bas" -o "$work/x.svg" --mesh normal
check "normal mesh message" grep -q "no normal mesh" "$work/err"
check "nothing written on usage errors" test ! -e "$work/x.svg"

summary "cli render"
