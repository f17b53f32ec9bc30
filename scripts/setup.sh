#!/bin/sh
# Installs the Debian packages that building and testing need, when missing.
# Usage: scripts/setup.sh run|test|web
set -eu

# Playing needs only what builds the game; the tests add GoogleTest,
# Benchmark, Wine, an X server, a Wayland compositor (weston), clang for its
# build and the fuzz targets, the browser build, the install checkers and the
# packages with their checkers.
run_packages="cmake ninja-build g++ pkg-config libsdl2-dev libwayland-dev zlib1g-dev libpng-dev
  libgif-dev"
test_packages="$run_packages libgtest-dev libgmock-dev libbenchmark-dev g++-mingw-w64-x86-64 wine64
  wine xvfb xauth xdotool x11-utils imagemagick python3 python3-pil fonts-motoya-l-maruberi
  fonts-mplus fonts-liberation clang libclang-rt-14-dev emscripten chromium python3-websocket
  desktop-file-utils appstream libx11-dev libxext-dev libxtst-dev libgl1-mesa-dri valgrind openbox
  wmctrl dpkg-dev lintian nsis man-db file weston"

case "${1:-run}" in
    run) wanted=$run_packages ;;
    test) wanted=$test_packages ;;
    web) wanted="cmake ninja-build emscripten python3" ;;
    *) echo "usage: $0 run|test|web" >&2; exit 2 ;;
esac

missing=""
for package in $wanted; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
$sudo apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
