#!/usr/bin/env bash
# tessaprint-cli as users script it: exit codes, messages and the JSON of a
# capture from tessaprint-sim on a pseudo-terminal; every program's --help
# and --version.
set -u
CLI=$1
SIM=$2
DATA=$3
WINDOW=${4:-}
work=$(mktemp -d)
sims=()
failures=0
skipped=0 # a check left out for a missing tool: reported as skipped (77) when nothing failed
trap 'for p in "${sims[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
# Verdicts read the default history's equipment list: the user's own is never touched.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect STATUS PATTERN -- command...: the command must exit with STATUS and
# print PATTERN on stderr.
expect() {
    local status=$1 pattern=$2
    shift 3
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$status" ] || fail "$* exited $got, not $status: $(cat "$work/err")"
    grep -q -- "$pattern" "$work/err" || fail "$* did not say '$pattern': $(cat "$work/err")"
}

start_sim() { # kind link [args...]
    local kind=$1 link=$2
    shift 2
    "$SIM" --kind "$kind" --link "$link" "$@" >/dev/null &
    sims+=($!)
    for _ in $(seq 50); do [ -e "$link" ] && return 0; sleep 0.1; done
    fail "simulator did not start"
}

# A wrong value: one short line on stderr naming the option (and the value,
# shortened), exit 2.
one_line() { # option command...
    local option=$1
    shift
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq 2 ] || fail "$option: exited $got, not 2"
    [ "$(wc -l <"$work/err")" -eq 1 ] && [ "$(wc -c <"$work/err")" -lt 160 ] && grep -q -- "$option" "$work/err" ||
        fail "$option: not one short line naming it: $(head -c 600 "$work/err")"
}

# --help and --version: exit 0 on stdout, the project's one version, the
# window's without a display.
version=$(sed -n 's/^project(Tessaprint VERSION \([0-9.]*\).*/\1/p' "$DATA/../../CMakeLists.txt")
programs=("$CLI" "$SIM")
[ -n "$WINDOW" ] && programs+=("$WINDOW")
for program in "${programs[@]}"; do
    name=$(basename "$program")
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" --version >"$work/out" 2>"$work/err" ||
        fail "$name --version exited $?: $(cat "$work/err")"
    [ "$(cat "$work/out")" = "$name $version" ] || fail "$name --version said '$(cat "$work/out")', not '$name $version'"
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" --help >"$work/out" 2>"$work/err" ||
        fail "$name --help exited $?: $(cat "$work/err")"
    grep -qi "usage: $name" "$work/out" || fail "$name --help printed no usage: $(cat "$work/out")"
done

expect 2 "usage" -- "$CLI"
expect 2 "unknown command" -- "$CLI" frobnicate
expect 2 "exactly one of --port and --device" -- "$CLI" capture
expect 2 "COM1 to COM10" -- "$CLI" capture --port COM11
expect 2 "quellmax, kappa or pactrx" -- "$CLI" capture --device sim --kind toaster
expect 1 "cannot read" -- "$CLI" parse --transcript "$work/missing"
expect 3 "cannot open /dev/tessaprint-missing" -- "$CLI" capture --device /dev/tessaprint-missing
grep -q "adapter" "$work/err" || fail "a missing device did not say what to check: $(cat "$work/err")"

# An instrument that prints nothing: a clear message, not a hang.
: >"$work/empty.txt"
start_sim quellmax "$work/silent" --data "$work/empty.txt"
expect 5 "no answer from" -- "$CLI" capture --device "$work/silent" --answer-timeout 1000
grep -q "this program uses 115200 baud, 8 data bits, no parity, 1 stop bit" "$work/err" ||
    fail "no answer did not name the line settings: $(cat "$work/err")"

# A whole capture through the terminal; both saved forms parse to the same JSON.
start_sim pactrx "$work/pactrx"
if "$CLI" capture --device "$work/pactrx" --transcript-out "$work/t.bin" --capture-out "$work/c.txt" \
    >"$work/capture.json" 2>"$work/err"; then
    "$CLI" parse --transcript "$work/t.bin" >"$work/from-transcript.json" || fail "parse --transcript"
    "$CLI" parse --capture "$work/c.txt" >"$work/from-capture.json" || fail "parse --capture"
    cmp -s "$work/capture.json" "$work/from-transcript.json" || fail "transcript JSON differs from the capture's"
    cmp -s "$work/capture.json" "$work/from-capture.json" || fail "capture-file JSON differs from the capture's"
    grep -q '"equipmentId": " PM-TEMP-04"' "$work/capture.json" || fail "first pacemaker record missing"
    [ "$(grep -c $'\r$' "$work/c.txt")" -eq "$(wc -l <"$work/c.txt")" ] || fail "capture file lines must end in CR LF"
else
    fail "capture from the simulator failed: $(cat "$work/err")"
fi

# The in-process simulated instrument.
"$CLI" capture --device sim --kind kappa >"$work/sim.json" 2>"$work/err" || fail "capture --device sim: $(cat "$work/err")"
grep -q '" ICU-DF-07"' "$work/sim.json" || fail "kappa sample not captured"

# Data sheets without a window: one path per item, and a clear failure for a bad name.
mkdir -p "$work/reports"
if "$CLI" datasheet --kind quellmax --transcript "$DATA/../../samples/quellmax.txt" --item all \
    --reports "$work/reports" >"$work/paths.txt" 2>"$work/err"; then
    [ "$(wc -l <"$work/paths.txt")" -eq 6 ] || fail "datasheet --item all should print 6 paths"
    while IFS= read -r path; do
        [ -s "$path" ] || fail "datasheet printed $path but it is not there"
        case "$path" in "$work/reports/"*.docx) ;; *) fail "unexpected path $path" ;; esac
    done <"$work/paths.txt"
else
    fail "datasheet --item all: $(cat "$work/err")"
fi
for kind in kappa pactrx; do
    "$CLI" datasheet --kind "$kind" --transcript "$DATA/../../samples/$kind.txt" --item all \
        --reports "$work/reports-$kind" >"$work/paths.txt" 2>"$work/err" || fail "datasheet --kind $kind: $(cat "$work/err")"
    [ "$(wc -l <"$work/paths.txt")" -eq 5 ] || fail "datasheet --kind $kind should write 5 documents"
done
# --verdicts: the electrical safety record's Pass / Fail and Comments cells
# filled; a bad equipment list writes no document.
if "$CLI" datasheet --kind quellmax --transcript "$DATA/../../samples/quellmax.txt" --item 0 --verdicts \
    --reports "$work/judged" >"$work/path.txt" 2>"$work/err"; then
    python3 - "$(cat "$work/path.txt")" <<'PY' || fail "datasheet --verdicts: no Pass and limit in the record"
import sys, zipfile
xml = zipfile.ZipFile(sys.argv[1]).read("word/document.xml").decode()
sys.exit(0 if ">Pass<" in xml and "\u2264 0.3 \u03a9" in xml else 1)
PY
else
    fail "datasheet --verdicts: $(cat "$work/err")"
fi
printf 'equipment_id,description\r\n' >"$work/list.csv"
expect 1 "list.csv:1" -- "$CLI" datasheet --kind quellmax --transcript "$DATA/../../samples/quellmax.txt" --item all \
    --verdicts --inventory "$work/list.csv" --reports "$work/not-judged"
[ ! -e "$work/not-judged" ] || fail "datasheet with a bad equipment list wrote documents"

# A name that climbs out of the reports folder is refused. The folder sits
# deep enough that an escape would still land inside $work/nest, where the
# check looks for it.
printf 'EquipmentID: ../../x\r\n1.Case Leakage 1 uA\r\n' >"$work/bad.txt"
mkdir -p "$work/nest/a/b"
expect 1 "COM Error: 0x8007007B" -- "$CLI" datasheet --kind quellmax --transcript "$work/bad.txt" --item 0 \
    --reports "$work/nest/a/b/reports"
expect 2 "--item takes" -- "$CLI" datasheet --kind quellmax --transcript "$work/bad.txt" --item 5 \
    --reports "$work/nest/a/b/reports"
escaped=$(find "$work/nest" -type f -not -path "$work/nest/a/b/reports/*")
[ -z "$escaped" ] || fail "a document was written outside the reports folder: $escaped"

# A work order from JSON.
cat >"$work/order.json" <<'JSON'
{"szWorkOrderCompany": "Mercy", "szWorkOrderNumber": "WO-7", "szWorkOrderChecks": ["CHECK OPERATION WITH OPERATOR CONTROL."],
 "szWorkOrderEquipmentServiceInformation": ["12/01/2026 ; Replaced fuse"]}
JSON
if "$CLI" workorder --record "$work/order.json" --reports "$work/orders" >"$work/path.txt" 2>"$work/err"; then
    case "$(cat "$work/path.txt")" in "$work/orders/Mercy-Work-Order-"*.docx) ;; *) fail "workorder path: $(cat "$work/path.txt")" ;; esac
    [ -s "$(cat "$work/path.txt")" ] || fail "workorder printed a path with no file"
else
    fail "workorder: $(cat "$work/err")"
fi
# Line breaks inside entries stay line breaks; the company's blanks stay out of the file name.
if "$CLI" workorder --record "$DATA/work-order-entries-with-line-breaks-and-gaps.record.json" \
    --reports "$work/orders" >"$work/path.txt" 2>"$work/err"; then
    case "$(cat "$work/path.txt")" in "$work/orders/Mercy General-Work-Order-"*.docx) ;; *) fail "workorder name: $(cat "$work/path.txt")" ;; esac
    python3 - "$(cat "$work/path.txt")" <<'PY' || fail "the work order's line breaks are not w:br"
import sys, zipfile
xml = zipfile.ZipFile(sys.argv[1]).read("word/document.xml").decode()
assert "&#13;" not in xml
assert 'Replaced fuse</w:t><w:br/><w:t xml:space="preserve">and cover' in xml
assert "Calibrated" in xml and "PERFORM PHYSICAL INSPECTION OF POWER CORD AND PLUG." in xml
PY
else
    fail "workorder with line breaks: $(cat "$work/err")"
fi
echo '{"szWorkOrderCompnay": "typo"}' >"$work/typo.json"
expect 2 "unknown key szWorkOrderCompnay" -- "$CLI" workorder --record "$work/typo.json" --reports "$work/orders"
echo '{"szWorkOrderCompany": "../up"}' >"$work/up.json"
expect 1 "COM Error: 0x8007007B" -- "$CLI" workorder --record "$work/up.json" --reports "$work/nest/a/b/orders"
escaped=$(find "$work/nest" -type f -not -path "$work/nest/a/b/reports/*" -not -path "$work/nest/a/b/orders/*")
[ -z "$escaped" ] || fail "a work order was written outside the reports folder: $escaped"
echo 'not json' >"$work/bad.json"
expect 2 "not valid JSON" -- "$CLI" workorder --record "$work/bad.json" --reports "$work/orders"
# Inside a string JSON has no raw control characters, no escapes but its own and no lone surrogates.
for bad in $'"Mer\tcy"' '"Mer\xcy"' '"Mer\ud800cy"'; do
    printf '{"szWorkOrderCompany": %s}' "$bad" >"$work/bad.json"
    expect 2 "not valid JSON" -- "$CLI" workorder --record "$work/bad.json" --reports "$work/strict"
done
[ ! -e "$work/strict" ] || fail "a record that is not JSON still wrote a work order"
expect 2 "must be a JSON object" -- "$CLI" workorder --record <(echo '[]') --reports "$work/strict"
# A byte order mark, a NUL after the record and a key given twice (the last one counts) are read.
printf '\xef\xbb\xbf{"szWorkOrderCompany": "Mercy", "szWorkOrderCompany": "Hope\\u00e9"}\0\0' >"$work/padded.json"
"$CLI" workorder --record "$work/padded.json" --reports "$work/padded" >"$work/path.txt" 2>"$work/err" ||
    fail "workorder with a mark and NUL padding: $(cat "$work/err")"
case "$(cat "$work/path.txt")" in "$work/padded/Hopeé-Work-Order-"*.docx) ;; *) fail "padded record: $(cat "$work/path.txt")" ;; esac

# --pdf: each document's PDF copy beside it, its path printed after the document's.
if command -v soffice >/dev/null && command -v pdftotext >/dev/null; then
    if "$CLI" datasheet --kind quellmax --transcript "$DATA/../../samples/quellmax.txt" --item 1 \
        --reports "$work/pdf" --pdf >"$work/paths.txt" 2>"$work/err"; then
        docx=$(sed -n 1p "$work/paths.txt")
        pdf=$(sed -n 2p "$work/paths.txt")
        [ "$(wc -l <"$work/paths.txt")" -eq 2 ] || fail "datasheet --pdf should print 2 paths: $(cat "$work/paths.txt")"
        [ -s "$docx" ] || fail "datasheet --pdf lost the document $docx"
        [ "$pdf" = "${docx%.docx}.pdf" ] || fail "the PDF $pdf is not named after $docx"
        pdftotext "$pdf" - 2>/dev/null | grep -q "BIO-5521" || fail "the PDF copy does not show its equipment ID"
    else
        fail "datasheet --pdf: $(cat "$work/err")"
    fi
    if "$CLI" workorder --record "$work/order.json" --reports "$work/pdf" --pdf >"$work/paths.txt" 2>"$work/err"; then
        case "$(sed -n 2p "$work/paths.txt")" in "$work/pdf/Mercy-Work-Order-"*.pdf) ;; *) fail "workorder --pdf: $(cat "$work/paths.txt")" ;; esac
        head -c 4 "$(sed -n 2p "$work/paths.txt")" | grep -q '%PDF' || fail "workorder --pdf wrote no PDF"
    else
        fail "workorder --pdf: $(cat "$work/err")"
    fi
else
    echo "SKIP: soffice or pdftotext is not installed; datasheet --pdf not converted"
    skipped=1
fi
# --item all --pdf: every document first, then their copies in one office run
# (a stand-in office program that counts its runs), each path as it appears.
cat >"$work/office" <<EOF
#!/bin/sh
echo run >>"$work/office-runs"
out= prev=
for a in "\$@"; do [ "\$prev" = --outdir ] && out=\$a; prev=\$a; done
for doc in "\$@"; do
    case "\$doc" in *.docx) printf '%%PDF-1.4 stand-in' >"\$out/\$(basename "\$doc" .docx).pdf" ;; esac
done
EOF
chmod +x "$work/office"
if "$CLI" datasheet --kind quellmax --transcript "$DATA/../../samples/quellmax.txt" --item all \
    --reports "$work/batch" --pdf --office "$work/office" >"$work/paths.txt" 2>"$work/err"; then
    docs=$(grep -c '\.docx$' "$work/paths.txt")
    [ "$docs" -ge 2 ] || fail "datasheet --item all wrote $docs documents: $(cat "$work/paths.txt")"
    [ "$(sed -n "$((docs + 1)),\$p" "$work/paths.txt")" = "$(sed -n "1,${docs}p" "$work/paths.txt" | sed 's/\.docx$/.pdf/')" ] ||
        fail "datasheet --item all --pdf should print every document, then every PDF: $(cat "$work/paths.txt")"
    [ "$(cat "$work/office-runs")" = run ] ||
        fail "datasheet --item all --pdf ran the office program $(wc -l <"$work/office-runs") times"
else
    fail "datasheet --item all --pdf: $(cat "$work/err")"
fi
# Without the office program the document stays, and the reason is said.
expect 1 'PDF copy of 10234-.*\.docx failed: --office is "/nonexistent", which is not a program' -- \
    "$CLI" datasheet --kind quellmax --transcript "$DATA/../../samples/quellmax.txt" --item 0 \
    --reports "$work/nopdf" --pdf --office /nonexistent
[ -s "$(cat "$work/out")" ] || fail "a failed PDF copy lost its document: $(cat "$work/out")"
[ -z "$(find "$work/nopdf" -name '*.pdf')" ] || fail "a failed PDF copy left a PDF"
expect 1 "failed: --office is" -- "$CLI" workorder --record "$work/order.json" --reports "$work/nopdf" --pdf \
    --office /nonexistent
expect 2 "--office requires --pdf" -- "$CLI" workorder --record "$work/order.json" --reports "$work/nopdf" \
    --office /usr/bin/soffice

# A folder is not a file to read.
expect 1 "it is a folder" -- "$CLI" parse --capture "$work"

# The far end hangs up in the middle of a printout: exit 4 with a message, and
# everything that came is written and printed, marked as cut off. No spinning:
# the program ends as soon as it notices.
start_sim quellmax "$work/hangup" --data "$DATA/quellmax-50-records.txt" --baud 9600
hangup_sim=${sims[-1]}
"$CLI" capture --device "$work/hangup" --transcript-out "$work/cut.bin" --capture-out "$work/cut.txt" \
    >"$work/cut.json" 2>"$work/err" &
capture=$!
sleep 1.5
kill "$hangup_sim"
started=$(date +%s%N)
wait "$capture"
status=$?
took_ms=$((($(date +%s%N) - started) / 1000000))
[ "$status" -eq 4 ] || fail "capture after a hang-up exited $status, not 4: $(cat "$work/err")"
grep -q "lost $work/hangup" "$work/err" || fail "no message about the lost port: $(cat "$work/err")"
[ "$took_ms" -lt 2000 ] || fail "capture took $took_ms ms to notice the hang-up"
[ -s "$work/cut.bin" ] && [ -s "$work/cut.txt" ] || fail "what came before the hang-up was not written"
grep -q '"complete": false' "$work/cut.json" || fail "the JSON of a cut capture must say \"complete\": false"
"$CLI" parse --transcript "$work/cut.bin" >"$work/reparsed.json"
python3 - "$work/cut.json" "$work/reparsed.json" <<'PY' || fail "the kept transcript does not parse to the lines and records printed"
import json, sys
cut, reparsed = (json.load(open(path)) for path in sys.argv[1:])
assert cut.pop("complete") is False
assert cut == reparsed and len(cut["lines"]) > 10, (len(cut["lines"]), len(reparsed["lines"]))
PY

# A line that never goes quiet: the capture limit ends it and keeps what came.
python3 -c "import sys; sys.stdout.write(''.join('%d.Noise %d uA\\r\\n' % (i % 90, i) for i in range(20000)))" >"$work/noise.txt"
start_sim quellmax "$work/noisy" --data "$work/noise.txt" --baud 115200
expect 6 "reached its limit (4 KiB)" -- "$CLI" capture --device "$work/noisy" --max-bytes 4096 --transcript-out "$work/noise.bin"
size=$(stat -c %s "$work/noise.bin")
[ "$size" -ge 4096 ] && [ "$size" -lt 8192 ] || fail "a 4 KiB limit kept $size bytes"
grep -q '"complete": false' "$work/out" || fail "a capture ended by its limit must say \"complete\": false"
expect 6 "reached its limit (1 s)" -- "$CLI" capture --device "$work/noisy" --max-seconds 1
expect 2 "--max-bytes: Value lots not in range" -- "$CLI" capture --device sim --max-bytes lots
expect 2 "--answer-timeout" -- "$CLI" capture --device sim --answer-timeout 50
# Numbers are whole decimal numbers ("010" is ten, not octal eight), and a
# long value is not echoed whole.
long=$(printf '9%.0s' $(seq 300))
one_line "--answer-timeout" "$CLI" capture --device sim --answer-timeout "$long"
one_line "--max-seconds" "$CLI" capture --device sim --max-seconds 0x10
one_line "--port" "$CLI" capture --port "COM$long"
one_line "--kind" "$CLI" capture --device sim --kind "$long"
one_line "--word2007" "$CLI" workorder --record "$work/order.json" --reports "$work/orders" --word2007 "$long"
one_line "--item" "$CLI" datasheet --kind quellmax --transcript "$work/bad.txt" --item "x$long" --reports "$work/r"
one_line "--limit" "$CLI" history ids --db "$work/ids.sqlite" --limit "$long"
one_line "--limit" "$CLI" history ids --db "$work/ids.sqlite" --limit 0
"$CLI" history import --kind quellmax --transcript "$DATA/quellmax-50-records.txt" --db "$work/ids.sqlite" \
    >/dev/null 2>"$work/err" || fail "history import: $(cat "$work/err")"
[ "$("$CLI" history ids --db "$work/ids.sqlite" --limit 010 | wc -l)" -eq 10 ] || fail "--limit 010 is not ten"
# No equipment ID at all: nothing to write, whichever item was asked for.
printf '1.Case Leakage 1 uA\r\n' >"$work/no-id.txt"
expect 1 "holds no equipment ID" -- "$CLI" datasheet --kind quellmax --capture "$work/no-id.txt" --item 0 \
    --reports "$work/r"

# The simulator: CLI11's checks, and a --link that only ever replaces a link.
# (timeout: a simulator that takes what it should refuse runs on.)
one_line "--baud" timeout 10 "$SIM" --kind quellmax --baud 9600x
printf 'somebody else\n' >"$work/taken"
mkdir -p "$work/taken-folder"
for taken in "$work/taken" "$work/taken-folder"; do
    expect 2 "$taken is a .*, not a symbolic link" -- timeout 10 "$SIM" --kind quellmax --link "$taken"
done
[ "$(cat "$work/taken")" = "somebody else" ] || fail "--link changed the file that was there"
ln -s /dev/tessaprint-gone "$work/stale"
start_sim kappa "$work/stale"
stale_sim=${sims[-1]}
case "$(readlink "$work/stale")" in /dev/pts/*) ;; *) fail "a stale link was not replaced: $(readlink "$work/stale")" ;; esac
kill "$stale_sim"
wait "$stale_sim" 2>/dev/null
[ ! -e "$work/stale" ] && [ ! -L "$work/stale" ] || fail "the simulator left its link behind"

# Every command explains itself.
for command in parse capture datasheet workorder; do
    "$CLI" "$command" --help >"$work/help" 2>&1 || fail "$command --help exited $?"
    grep -q -- "--" "$work/help" || fail "$command --help lists no options"
done

# Twenty data sheets for the same ID at once: twenty files, none replaced.
mkdir -p "$work/parallel"
printf 'EquipmentID: SAME\r\n1.Case Leakage 1 uA\r\n' >"$work/same.txt"
pids=()
for i in $(seq 20); do
    "$CLI" datasheet --kind quellmax --capture "$work/same.txt" --item 0 --reports "$work/parallel" \
        >"$work/parallel-$i.out" 2>&1 &
    pids+=($!)
done
for p in "${pids[@]}"; do wait "$p" || fail "a parallel datasheet failed"; done
[ "$(ls "$work/parallel" | grep -c '\.docx$')" -eq 20 ] || fail "20 parallel data sheets left $(ls "$work/parallel" | wc -l) files"
[ "$(cat "$work"/parallel-*.out | sort -u | wc -l)" -eq 20 ] || fail "two parallel data sheets printed the same path"

if [ "$failures" -eq 0 ]; then
    echo "cli: all checks passed"
    [ "$skipped" -eq 0 ] || exit 77
fi
exit $((failures > 0))
