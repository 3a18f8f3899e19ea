# Sourced by the other scripts: installs what the build needs from Debian's
# packages (through sudo when not root), once per machine.
set -euo pipefail

KORVANE_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
                  libcli11-dev libbenchmark-dev libassimp-dev clang libclang-rt-14-dev xvfb xauth)

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

# Configures and builds one build folder: korvane_build DIR [cmake options...]
korvane_build() {
  local dir=$1
  shift
  cmake -S "$KORVANE_ROOT" -B "$KORVANE_ROOT/$dir" -G Ninja "$@" >/dev/null
  cmake --build "$KORVANE_ROOT/$dir"
}

KORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export KORVANE_ROOT

# The fuzz targets of fuzz/, built with clang, libFuzzer and the sanitizers
# into build-fuzz/ (only they are built there).
KORVANE_FUZZ_TARGETS=(parse_number read_stl read_ply read_bas round_trip read_scene)
korvane_build_fuzzers() {
  cmake -S "$KORVANE_ROOT" -B "$KORVANE_ROOT/build-fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_FUZZ=ON >/dev/null
  cmake --build "$KORVANE_ROOT/build-fuzz" --target fuzzers
}
