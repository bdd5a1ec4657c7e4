#!/usr/bin/env bash
# Where tessaprint-cli writes: an output named as a link, a FIFO, a device or
# "-", one that is not a file at all, and relative paths on the command line.
set -u
CLI=$1
SIM=$2
SAMPLES=$3
work=$(mktemp -d)
sims=()
trap 'for p in "${sims[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# The built-in reports folder lands here, never in the user's own.
export HOME="$work/home"
mkdir -p "$HOME" "$work/cwd"
sample="$SAMPLES/quellmax.txt"
csv() { "$CLI" csv --transcript "$sample" --captured-at 2026-03-14T09:30:00 "$@"; }
csv >"$work/expected.csv" || fail "csv to stdout exited $?"

# A link stays a link, and the file it names gets the CSV in one step beside it.
mkdir "$work/kept"
echo old >"$work/kept/real.csv"
ln -s kept/real.csv "$work/link.csv"
ln -s link.csv "$work/link-to-link.csv"
csv --output "$work/link-to-link.csv" 2>"$work/err" || fail "csv --output to a link: $(cat "$work/err")"
[ -L "$work/link.csv" ] && [ -L "$work/link-to-link.csv" ] || fail "a link became a plain file"
cmp -s "$work/kept/real.csv" "$work/expected.csv" || fail "the file the links name did not get the CSV"
[ "$(ls -A "$work/kept")" = real.csv ] || fail "a temporary file was left beside the linked file: $(ls -A "$work/kept")"

# A FIFO's reader gets the CSV (also when it starts after the writer), and it stays a FIFO.
mkfifo "$work/pipe"
timeout 10 "$CLI" csv --transcript "$sample" --captured-at 2026-03-14T09:30:00 --output "$work/pipe" 2>"$work/err" &
writer=$!
sleep 0.2
timeout 10 cat "$work/pipe" >"$work/from-pipe"
wait "$writer" || fail "csv --output to a FIFO exited $?: $(cat "$work/err")"
[ -p "$work/pipe" ] || fail "the FIFO was replaced"
cmp -s "$work/from-pipe" "$work/expected.csv" || fail "the FIFO's reader did not get the CSV"

# A character device is written to, never replaced (a node of its own: never the system's /dev/null).
if mknod "$work/null" c 1 3 2>/dev/null; then
    csv --output "$work/null" 2>"$work/err" || fail "csv --output to a device: $(cat "$work/err")"
    [ -c "$work/null" ] || fail "the device node was replaced by a plain file"
else
    echo "files: cannot make a device node here; the device check is left out"
fi

# "-" is stdout: the CSV as without --output, and the capture's file in place of its JSON.
(cd "$work/cwd" && csv --output - >"$work/dash.csv") || fail "csv --output - exited $?"
cmp -s "$work/dash.csv" "$work/expected.csv" || fail "csv --output - did not print the CSV"
(cd "$work/cwd" && "$CLI" capture --device sim --capture-out - >"$work/dash.txt" 2>"$work/err") ||
    fail "capture --capture-out - exited $?: $(cat "$work/err")"
"$CLI" capture --device sim --capture-out "$work/file.txt" >/dev/null 2>&1 || fail "capture --capture-out FILE"
cmp -s "$work/dash.txt" "$work/file.txt" || fail "capture --capture-out - printed something else than the file"
[ -z "$(ls -A "$work/cwd")" ] || fail "an output named - was written as a file: $(ls -A "$work/cwd")"
"$CLI" capture --device sim --transcript-out - --capture-out - >/dev/null 2>"$work/err"
[ $? -eq 2 ] && grep -q "cannot both go to stdout" "$work/err" || fail "two outputs on stdout: $(cat "$work/err")"

# Nothing that is not a file is replaced: a folder or a socket is a clear error.
csv --output "$work/kept" 2>"$work/err"
[ $? -eq 1 ] && grep -q "cannot write $work/kept: it is a folder, not a file" "$work/err" ||
    fail "csv --output to a folder: $(cat "$work/err")"
[ -d "$work/kept" ] && [ -s "$work/kept/real.csv" ] || fail "the folder was touched"
python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$work/sock"
csv --output "$work/sock" 2>"$work/err"
[ $? -eq 1 ] && grep -q "it is a socket, not a file" "$work/err" || fail "csv --output to a socket: $(cat "$work/err")"
[ -S "$work/sock" ] || fail "the socket was replaced"
# Said before the capture, not after it.
"$CLI" capture --device sim --transcript-out "$work/kept" >"$work/out" 2>"$work/err"
[ $? -eq 1 ] && grep -q "it is a folder, not a file" "$work/err" && [ ! -s "$work/out" ] ||
    fail "capture --transcript-out to a folder: $(cat "$work/err")"

# A relative path on the command line means the current folder, also for --reports.
(cd "$work/cwd" && "$CLI" datasheet --kind quellmax --transcript "$sample" --item 0 --reports rel/sheets \
    >"$work/path.txt" 2>"$work/err") || fail "datasheet --reports rel/sheets: $(cat "$work/err")"
case "$(cat "$work/path.txt")" in "$work/cwd/rel/sheets/"*.docx) ;; *) fail "datasheet went to $(cat "$work/path.txt")" ;; esac
[ -s "$(cat "$work/path.txt")" ] || fail "datasheet printed a path with no file"
echo '{"szWorkOrderCompany": "Mercy"}' >"$work/order.json"
(cd "$work/cwd" && "$CLI" workorder --record ../order.json --reports orders >"$work/path.txt" 2>"$work/err") ||
    fail "workorder --reports orders: $(cat "$work/err")"
case "$(cat "$work/path.txt")" in "$work/cwd/orders/Mercy-Work-Order-"*.docx) ;; *) fail "workorder went to $(cat "$work/path.txt")" ;; esac
[ ! -e "$HOME/Zelmor" ] || fail "a relative --reports wrote below the built-in folder: $(find "$HOME/Zelmor" -type f)"
# --device too: a path with a folder in it is from the current folder (a bare name is a port below /dev).
"$SIM" --kind kappa --link "$work/cwd/instrument" >/dev/null &
sims+=($!)
for _ in $(seq 50); do [ -e "$work/cwd/instrument" ] && break; sleep 0.1; done
(cd "$work/cwd" && "$CLI" capture --device ./instrument >"$work/out" 2>"$work/err") ||
    fail "capture --device ./instrument (relative): $(cat "$work/err")"
grep -q '" ICU-DF-07"' "$work/out" || fail "the relative device's printout was not captured"

if [ "$failures" -eq 0 ]; then
    echo "files: all checks passed"
fi
exit $((failures > 0))
