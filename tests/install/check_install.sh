#!/bin/sh
# Installs the build into a scratch prefix and checks the layout a Linux
# desktop expects: the binary, its manual page, the desktop entry, icons of
# every hicolor size at their size named after the application id, the
# AppStream metadata, the copyright notes and the README; both files pass their
# validators.
# Usage: check_install.sh BUILD_DIR SCRATCH_DIR
set -eu
build=$1
prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

[ -x "$prefix/bin/velmora" ] || fail "bin/velmora missing or not executable"
"$prefix/bin/velmora" --version | grep -q '^velmora [0-9]' ||
    fail "installed velmora --version said: $("$prefix/bin/velmora" --version 2>&1)"
desktop="$prefix/share/applications/org.velmora.Velmora.desktop"
metainfo="$prefix/share/metainfo/org.velmora.Velmora.metainfo.xml"
[ -f "$desktop" ] || fail "no desktop entry at share/applications/org.velmora.Velmora.desktop"
[ -f "$metainfo" ] || fail "no metainfo at share/metainfo/org.velmora.Velmora.metainfo.xml"
[ -f "$prefix/share/man/man6/velmora.6.gz" ] || fail "no manual page at share/man/man6/velmora.6.gz"
[ -f "$prefix/share/doc/velmora/copyright" ] || fail "no copyright notes at share/doc/velmora/copyright"
[ -f "$prefix/share/doc/velmora/README.md.gz" ] || fail "no README at share/doc/velmora/README.md.gz"
zcat "$prefix/share/doc/velmora/README.md.gz" 2>/dev/null | grep -q '^# Velmora' ||
    fail "share/doc/velmora/README.md.gz is not the README"
grep -qx 'Icon=org.velmora.Velmora' "$desktop" || fail "the desktop entry's icon is not the application id"
for size in 16 24 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/org.velmora.Velmora.png"
    if [ ! -f "$icon" ]; then
        fail "icon ${size}x${size} missing"
        continue
    fi
    found=$(/usr/bin/python3 -c "from PIL import Image; print('%dx%d' % Image.open('$icon').size)")
    [ "$found" = "${size}x${size}" ] || fail "icon in ${size}x${size}/ is $found"
done
desktop-file-validate "$desktop" || fail "desktop-file-validate refused the desktop entry"
appstreamcli validate --no-net "$metainfo" >/dev/null ||
    fail "appstreamcli refused the metainfo: $(appstreamcli validate --no-net "$metainfo")"
[ "$failed" -eq 0 ] && echo "installed layout is complete"
exit "$failed"
