#!/usr/bin/env bash
# tessaprint-cli csv: the golden tables of each kind and of awkward readings,
# the capture time, errors, and the table as LibreOffice Calc reads it.
set -u
CLI=$1
DATA=$2
SAMPLES=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Verdicts read the default history's equipment list: the user's own is never touched.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
failures=0
skipped=0 # a check left out for a missing tool: reported as skipped (77) when nothing failed
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

stamp=2026-03-14T09:30:00
for kind in quellmax kappa pactrx; do
    "$CLI" csv --capture "$SAMPLES/$kind.txt" --kind "$kind" --captured-at "$stamp" >"$work/$kind.csv" ||
        fail "csv of the $kind sample exited $?"
    cmp -s "$work/$kind.csv" "$DATA/$kind-sample.csv" || fail "the $kind sample's CSV differs from $kind-sample.csv"
done
awkward="$DATA/quoting-comma-micro-and-formula"
"$CLI" csv --capture "$awkward.txt" --kind quellmax --captured-at "$stamp" --output "$work/awkward.csv" 2>"$work/err" ||
    fail "csv --output exited $?: $(cat "$work/err")"
cmp -s "$work/awkward.csv" "$awkward.csv" || fail "the awkward readings' CSV differs from its golden file"
grep -q "11 readings of 2 equipment IDs" "$work/err" || fail "csv --output did not count: $(cat "$work/err")"

# A transcript gives the same table as the capture file it was saved as.
"$CLI" csv --transcript "$DATA/../quellmax-50-records.txt" --captured-at "$stamp" >"$work/t.csv" || fail "csv --transcript"
[ "$(wc -l <"$work/t.csv")" -gt 500 ] || fail "the 50-record transcript gave $(wc -l <"$work/t.csv") rows"

# Without --captured-at, the file's own time; without --kind, no instrument.
cp "$SAMPLES/kappa.txt" "$work/dated.txt"
touch -d "2025-01-02 03:04:05" "$work/dated.txt"
"$CLI" csv --capture "$work/dated.txt" >"$work/dated.csv" || fail "csv with the file's time"
sed -n 2p "$work/dated.csv" | grep -q ',,2025-01-02T03:04:05'$'\r''$' ||
    fail "the capture time is not the file's: $(sed -n 2p "$work/dated.csv")"

# --captured-at is an ISO 8601 date and time, else one short line naming it.
for bad in "hello, world" 2025-02-29T10:00:00 2026-03-14T24:00:00 "2026-03-14 09:30:00" 2026-03-14T09:30:00+1 \
    "$(printf '2%.0s' $(seq 300))"; do
    "$CLI" csv --capture "$awkward.txt" --captured-at "$bad" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -eq 2 ] && [ ! -s "$work/out" ] && [ "$(wc -l <"$work/err")" -eq 1 ] &&
        [ "$(wc -c <"$work/err")" -lt 160 ] && grep -q -- "--captured-at: '${bad:0:10}" "$work/err" ||
        fail "--captured-at '${bad:0:40}' exited $status: $(head -c 600 "$work/err")"
done
for good in 2024-02-29T23:59:59+01:00 2026-03-14T09:30Z 2026-03-14T09:30:00.250; do
    "$CLI" csv --capture "$awkward.txt" --captured-at "$good" >"$work/good.csv" 2>"$work/err" &&
        sed -n 2p "$work/good.csv" | grep -q ",$good"$'\r''$' || fail "--captured-at $good: $(cat "$work/err")"
done

"$CLI" csv --capture "$work/missing.txt" >/dev/null 2>"$work/err"
[ $? -eq 1 ] && grep -q "cannot read" "$work/err" || fail "a missing file: $(cat "$work/err")"
"$CLI" csv --capture "$awkward.txt" --kind toaster >/dev/null 2>"$work/err"
[ $? -eq 2 ] || fail "an unknown kind must exit 2"
"$CLI" csv --capture "$awkward.txt" --output "$work/no-such-folder/x.csv" 2>"$work/err"
[ $? -eq 1 ] && grep -q "cannot write" "$work/err" || fail "an unwritable output: $(cat "$work/err")"

# --verdicts: every row as without, then its limit and verdict; a department's
# limits file judges by its own figures; a bad one writes nothing.
"$CLI" csv --capture "$SAMPLES/quellmax.txt" --kind quellmax --captured-at "$stamp" --verdicts >"$work/v.csv" ||
    fail "csv --verdicts exited $?"
head -1 "$work/v.csv" | grep -q ',captured_at,limit,verdict'$'\r''$' || fail "csv --verdicts header: $(head -1 "$work/v.csv")"
paste -d '\t' <(tr -d '\r' <"$DATA/quellmax-sample.csv") <(tr -d '\r' <"$work/v.csv") |
    while IFS=$'\t' read -r plain judged; do
        case "$judged" in "$plain",*) ;; *) echo "$judged" ;; esac
    done >"$work/changed"
[ ! -s "$work/changed" ] && [ "$(wc -l <"$work/v.csv")" -eq "$(wc -l <"$DATA/quellmax-sample.csv")" ] ||
    fail "csv --verdicts changed the other columns: $(head -3 "$work/changed")"
grep -q '^10234,03/14/2015,2,Ground Resistance,.*,≤ 0.3 Ω,pass'$'\r''$' "$work/v.csv" ||
    fail "csv --verdicts: no pass of the ground resistance"
cat >"$work/dept.json" <<'JSON'
{"name": "dept", "version": "1", "rules": [{"id": "quellmax.case-leakage", "kind": "quellmax",
 "test": "Case Leakage", "unit": "uA", "max": 0.05, "source": "department"}]}
JSON
"$CLI" csv --capture "$SAMPLES/quellmax.txt" --kind quellmax --verdicts --limits "$work/dept.json" >"$work/d.csv" ||
    fail "csv --limits exited $?"
grep -q '^10234,.*,Case Leakage,0.1 uA,.*,≤ 0.05 µA,fail'$'\r''$' "$work/d.csv" || fail "csv --limits: no fail"
echo '{"name": "dept",' >"$work/broken.json"
"$CLI" csv --capture "$SAMPLES/quellmax.txt" --kind quellmax --verdicts --limits "$work/broken.json" \
    --output "$work/none.csv" 2>"$work/err"
[ $? -eq 1 ] && [ ! -e "$work/none.csv" ] && grep -q "broken.json:" "$work/err" ||
    fail "a broken limits file: $(cat "$work/err")"
for options in "--limits $work/dept.json" "--profile nfpa99" "--inventory $work/x.csv" "--verdicts"; do
    # shellcheck disable=SC2086
    "$CLI" csv --capture "$SAMPLES/quellmax.txt" $options >"$work/out" 2>"$work/err"
    [ $? -eq 2 ] && [ ! -s "$work/out" ] && grep -q "requires --" "$work/err" ||
        fail "csv $options without what it needs: $(cat "$work/err")"
done

# LibreOffice Calc opens the table (as text cells: no number or date guessing)
# and writes it back: every cell must come back as it was, and a text that
# looks like a formula stays text.
if ! command -v soffice >/dev/null; then
    echo "SKIP: LibreOffice Calc is not installed; the read-back is not checked"
    skipped=1
else
    mkdir -p "$work/calc"
    soffice -env:UserInstallation=file://"$work/profile" --headless --norestore \
        --infilter="CSV:44,34,76,1,,0,false,true,false,false,false" \
        --convert-to "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,false,false,false,false" \
        --outdir "$work/calc" "$work/awkward.csv" >"$work/soffice.log" 2>&1 ||
        fail "soffice could not convert the CSV: $(cat "$work/soffice.log")"
    python3 - "$work/awkward.csv" "$work/calc/awkward.csv" <<'PY' || fail "Calc read the table differently"
import csv, sys
with open(sys.argv[1], encoding="utf-8-sig", newline="") as f:
    written = list(csv.reader(f))
with open(sys.argv[2], encoding="utf-8-sig", newline="") as f:
    read = list(csv.reader(f))
if written != read:
    for a, b in zip(written, read):
        if a != b:
            print("written:", a, "\nCalc:   ", b)
    sys.exit(1)
if len(written) != 12 or "µ" not in written[1][4] or not written[2][3].startswith("'="):
    print("unexpected table:", written[:3])
    sys.exit(1)
PY
fi

[ "$failures" -eq 0 ] || exit 1
echo "csv: all checks passed"
[ "$skipped" -eq 0 ] || exit 77
