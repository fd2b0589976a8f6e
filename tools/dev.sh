#!/usr/bin/env bash
# The two developer commands of LUM, for a fresh Debian 12 machine:
#   bash tools/dev.sh test   install what is missing, build, run every test
#   bash tools/dev.sh run    install what is missing, build, start the viewer
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# Debian packages for building, testing and running LUM.
PACKAGES=(
  build-essential cmake ninja-build qt6-base-dev qt6-webengine-dev qt6-svg-dev
  libvlc-dev libvlc-bin vlc-plugin-base vlc-plugin-video-output ffmpeg xvfb xauth
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev clang libclang-rt-14-dev
  libjs-leaflet fonts-noto-cjk imagemagick libimage-exiftool-perl chromium
  qt6-translations-l10n
  strace jq time
  clang-format
  dpkg-dev file desktop-file-utils appstream
)
# Node.js and npm drive the browser test of the map page. Some machines carry their own Node.js
# build, whose package conflicts with Debian's npm: then it is used as it is.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  PACKAGES+=(nodejs npm)
fi

install_missing() {
  local missing=() p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    echo "== All packages present"
    return
  fi
  echo "== Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

build() {
  echo "== Building (build/)"
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUM_WERROR=ON
  cmake --build build
}

# The npm packages of the map page's browser test, installed again only when the lock changes.
install_map_test_packages() {
  local dir=tests/map stamp=tests/map/node_modules/.lum-installed-lock
  if [ -f "$stamp" ] && cmp -s "$dir/package-lock.json" "$stamp"; then
    echo "== npm packages of $dir present"
    return
  fi
  echo "== Installing npm packages of $dir"
  npm ci --prefix "$dir" --no-audit --no-fund
  cp "$dir/package-lock.json" "$stamp"
}

# Every C++ file as clang-format writes it (.clang-format at the top); the test fails on the
# first file it would change, so a layout change never hides in a diff.
check_format() {
  echo "== Checking the format (clang-format)"
  git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
}

# The readers and the settings parser, built again with clang, libFuzzer, ASan and UBSan.
build_fuzz() {
  echo "== Building fuzz targets (build-fuzz/)"
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DLUM_FUZZ=ON
  cmake --build build-fuzz
}

case "${1:-}" in
  test)
    install_missing
    check_format
    build
    build_fuzz
    echo "== Replaying the fuzz seed corpus"
    ctest --test-dir build-fuzz --output-on-failure
    install_map_test_packages
    echo "== Running the tests"
    ctest --test-dir build --output-on-failure
    ;;
  run)
    install_missing
    build
    card=${LUM_SAMPLE_CARD:-$PWD/sample-card}
    if [ ! -d "$card" ]; then
      echo "== Making a sample card in $card"
      build/tools/make-card/lum-make-card "$card"
    fi
    # The viewer keeps "Lum.ini" in the folder it starts in; a first run remembers the card.
    if [ ! -f Lum.ini ]; then
      printf '[UI]\nFolder=%s\n' "$card" > Lum.ini
    fi
    echo "== Starting LUM on the sample card ($card)"
    # Qt's web engine refuses to run as root with its sandbox on.
    [ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      echo "   (no display here: starting under Xvfb)"
      exec xvfb-run -a -s "-screen 0 1280x800x24" build/app/lum "$card"
    fi
    exec build/app/lum "$card"
    ;;
  *)
    echo "usage: bash tools/dev.sh test|run" >&2
    exit 2
    ;;
esac
