#!/usr/bin/env bash
# tessaprint-cli on a full disk: a capture output that cannot be written leaves
# the earlier file as it was and no temporary file behind. The disk is a small
# tmpfs mounted on this machine, so the test runs only where asked for
# (-DTESSAPRINT_TEST_MOUNTS=ON) and is skipped (77) where mounting is not allowed.
set -u
CLI=$1
work=$(mktemp -d)
mkdir -p "$work/ro"
if ! mount -t tmpfs -o size=12k tmpfs "$work/ro" 2>/dev/null; then
    rm -rf "$work"
    echo "SKIP: not allowed to mount a tmpfs here; the unit tests check a full disk too"
    exit 77
fi
trap 'umount "$work/ro"; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

printf 'old\r\n' >"$work/ro/c.txt"
head -c 9000 /dev/zero >"$work/ro/filler" 2>/dev/null
"$CLI" capture --device sim --kind quellmax --capture-out "$work/ro/c.txt" >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 1 ] || fail "the capture on a full disk exited $status, not 1: $(cat "$work/err")"
grep -q -- "cannot write $work/ro/c.txt" "$work/err" || fail "the capture did not say it cannot write: $(cat "$work/err")"
[ "$(cat "$work/ro/c.txt")" = $'old\r' ] || fail "a full disk damaged the earlier capture file"
[ -z "$(ls -A "$work/ro" | grep -v -e '^c.txt$' -e '^filler$')" ] || fail "a temporary file was left on the full disk"

[ "$failures" -eq 0 ] && echo "cli: a full disk leaves the earlier capture"
exit $((failures > 0))
