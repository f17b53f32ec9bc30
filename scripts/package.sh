#!/bin/sh
# Builds every package into dist/out/ and prints each with its size:
#   velmora_VERSION_amd64.deb           Debian package (CPack, `package` preset)
#   velmora-VERSION-windows.zip         velmora-VERSION/: velmora.exe (our DirectDraw),
#                                       velmora-exclusive.exe, README.txt, LICENSE
#   velmora-VERSION-setup.exe           the Windows installer (NSIS)
#   velmora-VERSION.tar.gz              the source: the committed tree (git archive HEAD)
#   velmora-VERSION-web.zip             the browser page's files, for a static web host
# Usage: scripts/package.sh   (after scripts/setup.sh test)
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)
out=dist/out
rm -rf "$out"
mkdir -p "$out"

# The Debian package, built with Debian's own compiler and linker flags and
# all of its hardening (fortified functions, stack protector, full RELRO and
# immediate binding). CMake reads no CPPFLAGS: they go with the others.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
CFLAGS="$cppflags $(dpkg-buildflags --get CFLAGS)" CXXFLAGS="$cppflags $(dpkg-buildflags --get CXXFLAGS)" \
    LDFLAGS=$(dpkg-buildflags --get LDFLAGS) cmake --preset package --fresh >/dev/null
cmake --build --preset package -j "$jobs"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/package/CMakeCache.txt)
(cd build/package && cpack -G DEB -B cpack >/dev/null)
cp "build/package/cpack/velmora_${version}_amd64.deb" "$out/"

# Windows: the zip and the installer.
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs" --target velmora_windows_packages
cp "build/windows/dist/velmora-$version-windows.zip" "build/windows/dist/velmora-$version-setup.exe" \
    "$out/"

# The source, as committed.
git archive --format=tar.gz --prefix="velmora-$version/" -o "$out/velmora-$version.tar.gz" HEAD

# The browser page: the files scripts/serve_web.py serves, and their .gz.
cmake --preset web >/dev/null
cmake --build --preset web -j "$jobs"
page=$(/usr/bin/python3 -c 'import sys; sys.path.insert(0, "scripts"); import serve_web; print(" ".join(serve_web.PAGE))')
web_files=""
for file in $page; do web_files="$web_files $file $file.gz"; done
# shellcheck disable=SC2086
(cd build/web && cmake -E tar cf "../../$out/velmora-$version-web.zip" --format=zip $web_files)

echo "Packages in $out:"
for artifact in "$out"/*; do
    printf '  %-40s %10s bytes\n' "$(basename "$artifact")" "$(stat -c %s "$artifact")"
done
