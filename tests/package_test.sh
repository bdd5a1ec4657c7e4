#!/usr/bin/env bash
# The Debian package: made by CPack from this build, unpacked into a scratch root, it holds the
# programs and every file a desktop and a package manager look for, says what it needs, and its
# programs run from that root.
# Usage: package_test.sh CPACK BUILD_DIR TEST_DATA_DIR VERSION
set -u
cpack=$1 build=$2 data=$3 version=$4
if ! command -v dpkg-deb >/dev/null; then
    echo "SKIP: dpkg-deb is missing: not a Debian system"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || fail "$1 is missing (install-deps.sh --tests installs $2)"; }
need dpkg-shlibdeps dpkg-dev
need desktop-file-validate desktop-file-utils
need appstreamcli appstream

if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    fail "cpack failed"
    exit 1
fi
deb=$work/out/tessaprint_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { fail "no $(basename "$deb"); CPack made: $(ls "$work/out")"; exit 1; }
root=$work/root
dpkg-deb -x "$deb" "$root" || { fail "dpkg-deb -x failed"; exit 1; }

metainfo=usr/share/metainfo/org.zelmor.tessaprint.metainfo.xml
for file in usr/bin/tessaprint usr/bin/tessaprint-cli usr/bin/tessaprint-sim \
    usr/share/applications/tessaprint.desktop usr/share/icons/hicolor/scalable/apps/tessaprint.svg \
    "$metainfo" usr/share/man/man1/tessaprint.1.gz usr/share/man/man1/tessaprint-cli.1.gz \
    usr/share/man/man1/tessaprint-sim.1.gz usr/share/tessaprint/limits/iec62353.json \
    usr/share/tessaprint/limits/nfpa99.json usr/share/bash-completion/completions/tessaprint-cli \
    usr/share/doc/tessaprint/copyright usr/share/doc/tessaprint/LICENSE; do
    [ -f "$root/$file" ] || fail "the package has no /$file"
done
outside=$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$outside" ] || fail "the package puts files outside /usr: $outside"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tessaprint ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', the project's is $version"
depends=$(field Depends)
grep -q 'libqt6core6 (>= ' <<<"$depends" || fail "Depends was not computed from the programs: $depends"
grep -qiE 'libreoffice|postgresql' <<<"$depends" && fail "Depends requires LibreOffice or PostgreSQL: $depends"
grep -qw libreoffice-writer <<<"$(field Recommends)" || fail "Recommends is '$(field Recommends)'"
grep -qw postgresql-client <<<"$(field Suggests)" || fail "Suggests is '$(field Suggests)'"
for name in Maintainer Section Homepage Description; do
    [ -n "$(field $name)" ] || fail "the package has no $name"
done

desktop-file-validate "$root/usr/share/applications/tessaprint.desktop" || fail "the desktop entry is not valid"
appstreamcli validate --no-net --strict "$root/$metainfo" || fail "the metainfo is not valid"
appstreamcli validate-tree --no-net "$root" >/dev/null || fail "the installed tree's metainfo is not valid"
grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$root/$metainfo" ||
    fail "the metainfo names no release of $version"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$root/$metainfo" || fail "the metainfo's licence"

for page in tessaprint tessaprint-cli tessaprint-sim; do
    gzip -dc "$root/usr/share/man/man1/$page.1.gz" | grep -qi "^\.TH \"*$page\"* 1 .*\"Tessaprint $version\"" ||
        fail "$page.1.gz is not the manual page of $page"
done
head -n1 "$root/usr/share/doc/tessaprint/copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in Debian's machine-readable format"
grep -q 'GNU GENERAL PUBLIC LICENSE' "$root/usr/share/doc/tessaprint/LICENSE" &&
    grep -q 'Version 3, 29 June 2007' "$root/usr/share/doc/tessaprint/LICENSE" || fail "LICENSE is not the GPL-3"
bash -n "$root/usr/share/bash-completion/completions/tessaprint-cli" || fail "the completion is not valid bash"

# The programs as installed: no run path into this build, and they run with nothing but the root.
if command -v readelf >/dev/null; then
    for program in tessaprint tessaprint-cli tessaprint-sim; do
        readelf -d "$root/usr/bin/$program" | grep -qE 'R(UN)?PATH' && fail "$program keeps a run path"
    done
fi
run() { (cd "$work" && env -u LD_LIBRARY_PATH "$root/usr/bin/$@"); }
for program in tessaprint tessaprint-cli tessaprint-sim; do
    [ "$(run "$program" --version)" = "$program $version" ] || fail "$program --version: $(run "$program" --version)"
done
sample=$data/two-records-date-carried-over
run tessaprint-cli parse --transcript "$sample.transcript" >"$work/parsed.json" || fail "parse failed"
cmp -s "$work/parsed.json" "$sample.json" || fail "parse of $(basename "$sample").transcript differs from its JSON"
for profile in iec62353 nfpa99; do
    run tessaprint-cli limits show --profile "$profile" | cmp -s - "$root/usr/share/tessaprint/limits/$profile.json" ||
        fail "the installed $profile.json is not the profile built in"
done

[ "$failures" -eq 0 ] && echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) kB, every file and field in place"
exit $((failures > 0))
