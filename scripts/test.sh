#!/bin/sh
# Sets up, builds and runs every test: the native build, the sanitizer build,
# the clang build, the fuzz targets over their corpus, the Windows build under
# Wine and the browser build in chromium.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh test
jobs=$(nproc)

cmake --preset linux
cmake --build --preset linux -j "$jobs"
cmake --preset linux-asan
cmake --build --preset linux-asan -j "$jobs"
cmake --preset linux-clang
cmake --build --preset linux-clang -j "$jobs"
cmake --preset fuzz
cmake --build --preset fuzz -j "$jobs"
cmake --preset windows
cmake --build --preset windows -j "$jobs"
# The build a player makes: it must need neither GoogleTest nor Benchmark.
cmake --preset play
cmake --build --preset play -j "$jobs"
if grep -Eq '^(GTest|benchmark)_DIR:' build/play/CMakeCache.txt; then
    echo "the play build looked for GoogleTest or Benchmark" >&2
    exit 1
fi
# The linux preset's web tests load what this builds.
cmake --preset web
cmake --build --preset web -j "$jobs"

ctest --preset linux -j "$jobs"
ctest --preset linux-asan -j "$jobs"
ctest --preset linux-clang -j "$jobs"
ctest --preset fuzz -j "$jobs"
# The packages (dist/out/) and their tests: lintian, the unpacked .deb, the
# Windows zip, the installer under Wine.
scripts/package.sh
ctest --preset linux -j "$jobs" -L package
