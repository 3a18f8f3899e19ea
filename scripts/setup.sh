# Sourced by the other scripts: installs what the build needs from Debian's
# packages (through sudo when not root), once per machine.
set -euo pipefail

# What the two programs (and stl2bas's manual page) need to build:
# scripts/run installs only these.
KORVANE_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libcli11-dev nlohmann-json3-dev
                  libfast-float-dev libfmt-dev zlib1g-dev libmeshoptimizer-dev libassimp-dev help2man)
# What the WebAssembly build adds (scripts/web).
KORVANE_WEB_PACKAGES=(emscripten node-acorn)
# What the tests, the benchmarks and the fuzzers add (scripts/test, scripts/fuzz, bench/).
KORVANE_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev xvfb xauth jq bwbasic)
# What building and checking the Debian package adds (scripts/package).
KORVANE_PACKAGE_PACKAGES=(dpkg-dev desktop-file-utils xvfb xauth xdotool)

# Installs KORVANE_PACKAGES and the packages named, those that are missing.
korvane_install_missing() {
  local missing=()
  for package in "${KORVANE_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures one build folder: korvane_configure DIR [cmake options...]
korvane_configure() {
  local dir=$1
  shift
  # ccache, where it is installed, gives back what an earlier build compiled,
  # also one in another clone: paths are compared from the project's root.
  local launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$KORVANE_ROOT" CCACHE_NOHASHDIR=true
  fi
  cmake -S "$KORVANE_ROOT" -B "$KORVANE_ROOT/$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
}

# Whether a configured build folder has the target: korvane_has_target DIR TARGET
korvane_has_target() {
  cmake --build "$KORVANE_ROOT/$1" --target help | grep "^$2:" >/dev/null
}

# Configures and builds one build folder, every target or only those named
# after "--": korvane_build DIR [cmake options...] [-- targets...]
korvane_build() {
  local dir=$1
  shift
  local options=() targets=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    options+=("$1")
    shift
  done
  [ $# -gt 0 ] && shift
  targets=("$@")
  korvane_configure "$dir" "${options[@]}"
  if [ ${#targets[@]} -eq 0 ]; then
    cmake --build "$KORVANE_ROOT/$dir"
  else
    cmake --build "$KORVANE_ROOT/$dir" --target "${targets[@]}"
  fi
}

KORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export KORVANE_ROOT

# The fuzz targets of fuzz/, built with clang, libFuzzer and the sanitizers
# into build-fuzz/ (only they are built there).
KORVANE_FUZZ_TARGETS=(parse_number read_stl read_ply read_bas round_trip shape_mesh read_scene scene_formats)
korvane_build_fuzzers() {
  korvane_configure build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_FUZZ=ON
  cmake --build "$KORVANE_ROOT/build-fuzz" --target fuzzers
}

# Unpacks Debian's own source of meshoptimizer into DIR/src/meshoptimizer,
# for the cross builds, which have no package of it (read with a sources list
# of our own, leaving the system's alone). False when it cannot be had.
korvane_meshoptimizer_source() {
  local out=$1
  [ -f "$out/src/meshoptimizer/CMakeLists.txt" ] && return 0
  local apt_dir="$out/apt"
  mkdir -p "$apt_dir/lists/partial" "$out/src"
  echo "deb-src http://deb.debian.org/debian bookworm main" >"$apt_dir/sources.list"
  local apt_options=(-o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o Dir::Etc::sourceparts=-
                     -o "Dir::State::Lists=$apt_dir/lists")
  apt-get -qq "${apt_options[@]}" update >/dev/null 2>&1 || return 1
  (cd "$out/src" && apt-get -qq "${apt_options[@]}" source --download-only meshoptimizer >/dev/null 2>&1) || return 1
  rm -rf "$out/src/meshoptimizer"
  mkdir -p "$out/src/meshoptimizer"
  tar -xf "$out"/src/meshoptimizer_*.orig.tar.* -C "$out/src/meshoptimizer" --strip-components=1
}

# Copies the header-only libraries the build uses (CLI11, nlohmann-json,
# fast_float, fmt) from Debian's packages into PREFIX/include, for the cross
# builds: their own include folders hold none of them.
korvane_copy_headers() {
  local prefix=$1
  mkdir -p "$prefix/include"
  for headers in CLI nlohmann fast_float fmt; do
    [ -e "$prefix/include/$headers" ] || cp -r "/usr/include/$headers" "$prefix/include/"
  done
}
