#!/usr/bin/env bash
# `cmake --install` puts the programs, the desktop entry and the icon where a
# Linux desktop finds them, and the entry is one the desktop accepts; the
# shipped limits profiles beside them.
set -u
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
for file in bin/tessaprint bin/tessaprint-cli bin/tessaprint-sim share/applications/tessaprint.desktop \
    share/icons/hicolor/scalable/apps/tessaprint.svg share/tessaprint/limits/iec62353.json \
    share/tessaprint/limits/nfpa99.json; do
    [ -e "$prefix/$file" ] || fail "$file was not installed"
done
[ -x "$prefix/bin/tessaprint" ] || fail "bin/tessaprint is not a program"
desktop=$prefix/share/applications/tessaprint.desktop
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
else
    fail "desktop-file-validate is missing (install-deps.sh --tests installs desktop-file-utils)"
fi
grep -qx 'Exec=tessaprint %f' "$desktop" || fail "the desktop entry does not start tessaprint on a file"
grep -qx 'MimeType=text/plain;' "$desktop" || fail "the desktop entry does not offer to open saved captures"
grep -qx 'Icon=tessaprint' "$desktop" || fail "the desktop entry does not name the icon"
python3 -c 'import sys, xml.dom.minidom as m; d = m.parse(sys.argv[1]); assert d.documentElement.tagName == "svg"' \
    "$prefix/share/icons/hicolor/scalable/apps/tessaprint.svg" || fail "the icon is not an SVG document"
[ "$failures" -eq 0 ] && echo "install: programs, desktop entry and icon in place"
exit $((failures > 0))
