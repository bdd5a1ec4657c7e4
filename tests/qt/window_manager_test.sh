#!/usr/bin/env bash
# Runs the window tests that need a real X server and window manager: Xvfb
# with a 1366 × 768 screen, openbox, and the program at 100, 125 and 150 %.
set -euo pipefail
tests=$1
for tool in Xvfb openbox xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing; scripts/install-deps.sh --tests installs it" >&2
        exit 1
    fi
done
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and says which on the descriptor.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

HOME="$work" openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# Running once it has named itself on the root window.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || { echo "openbox did not start" >&2; exit 1; }

status=0
for scale in 1 1.25 1.5; do
    echo "== QT_SCALE_FACTOR=$scale"
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale "$tests" || status=1
done
exit $status
