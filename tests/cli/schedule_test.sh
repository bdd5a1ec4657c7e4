#!/usr/bin/env bash
# tessaprint-cli inventory and due as a department uses them: the equipment
# list imported whole or not at all, exported back sorted, and the test
# schedule of a small history as JSON with the exit statuses a script reads.
# The verdict commands judge by the stored list when no file is given.
set -u
CLI=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Settings and the default database go below the test's own folders.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { # STATUS command...: stdout in out, stderr in err
    local status=$1
    shift
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$status" ] || fail "$* exited $got, not $status: $(head -c 600 "$work/err")"
}
said() { grep -qF -- "$1" "$work/$2" || fail "did not say '$1': $(head -c 600 "$work/$2")"; }
json() {
    python3 -c "import json, sys; d = json.load(open(sys.argv[1])); sys.exit(0 if ($1) else 1)" "$work/out" ||
        fail "the JSON is not so: $1: $(head -c 1500 "$work/out")"
}
db=$work/history.sqlite
header='equipment_id,description,location,class,applied_parts,interval_months,cord,profile,settings'

# Unsorted, a quoted comma and line break, every column used somewhere.
printf '%s\r\n' "$header" 'MON-2,Monitor,ICU,I,,6,,,' 'MON-1,"Monitor, big","Ward 2' 'bed 4",II,BF,12,without-cord,nfpa99,' \
    'MON-3,Monitor,ICU,I,CF,12,,,' 'DEF-1,Defibrillator,ER,I,,6,,,Defib=2;50' 'PUMP-1,,,IP,,24,,,' >"$work/list.csv"
run 0 "$CLI" inventory import "$work/list.csv" --db "$db"
said "added: 5" out
run 0 "$CLI" inventory export --db "$db" --output "$work/first.csv"
run 0 "$CLI" inventory import "$work/list.csv" --db "$db"
said "added: 0" out
said "replaced: 0" out
said "unchanged: 5" out

# The export is the input sorted by ID: UTF-8 with a BOM, the header first.
python3 - "$work/list.csv" "$work/first.csv" <<'PY' || fail "the export is not the sorted input"
import csv, io, sys
given = list(csv.reader(io.open(sys.argv[1], encoding="utf-8", newline="")))
raw = open(sys.argv[2], "rb").read()
assert raw.startswith(b"\xef\xbb\xbf"), raw[:20]
back = list(csv.reader(io.StringIO(raw.decode("utf-8-sig"), newline="")))
assert back[0] == given[0], back[0]
assert back[1:] == sorted(given[1:], key=lambda r: r[0].encode()), back
PY

# A bad line refuses the whole file: nothing of it is stored.
printf '%s\r\n' "$header" 'NEW-1,,,I,,12,,,' 'MON-2,Changed,ICU,III,,6,,,' >"$work/bad.csv"
run 1 "$CLI" inventory import "$work/bad.csv" --db "$db"
said "line 3: class" err
run 0 "$CLI" inventory export --db "$db"
cmp -s "$work/out" "$work/first.csv" || fail "a refused file changed the stored list"
# A changed device is replaced, the rest kept.
printf '%s\r\n' "$header" 'MON-2,Monitor,ICU,I,,12,,,' >"$work/change.csv"
run 0 "$CLI" inventory import "$work/change.csv" --db "$db"
said "replaced: 1" out

# A missing history is said so and not made by a read.
for args in "inventory export" "due"; do
    run 1 "$CLI" $args --db "$work/none.sqlite"
    said "does not exist" err
done
[ ! -e "$work/none.sqlite" ] || fail "a read made the database"

# The schedule of a small history: MON-1 passed, MON-2 failed its case
# leakage, GONE-1 is not in the list, DEF-1 and PUMP-1 were never tested.
{
    printf 'QUELLMAX TEST RESULTS\n\n'
    printf 'EquipmentID: MON-1\nDate: 05/11/2015\n1.Case Leakage 0.6 uA\n\n'
    printf 'EquipmentID: MON-2\nDate: 05/11/2015\n1.Case Leakage 150.2 uA\n\n'
    printf 'EquipmentID: MON-3\nDate: 06/01/2015\n1.Case Leakage 0.6 uA\n\n'
    printf 'EquipmentID: GONE-1\nDate: 01/20/2014\n1.Case Leakage 0.6 uA\n\n'
} >"$work/capture.txt"
run 0 "$CLI" history import --kind quellmax --capture "$work/capture.txt" --db "$db"
run 0 "$CLI" due --db "$db" --on 2016-05-11 --within 21
json 'd["on"] == "2016-05-11"'
json '[(e["equipmentId"], e["status"]) for e in d["equipment"]] == [("DEF-1", "never tested"), ("PUMP-1", "never tested"), ("MON-1", "due soon"), ("MON-2", "failed"), ("MON-3", "due soon"), ("GONE-1", "not in the list")]'
json 'd["equipment"][2] == {"equipmentId": "MON-1", "description": "Monitor, big", "location": "Ward 2\r\nbed 4", "lastTest": "2015-05-11", "due": "2016-05-11", "status": "due soon"}'
json 'd["equipment"][0]["lastTest"] is None and d["equipment"][0]["due"] is None'
json 'd["equipment"][5]["lastTest"] == "2014-01-20" and d["equipment"][5]["due"] is None'
run 0 "$CLI" due --db "$db" --on 2016-05-12 --within 0
json '[e["status"] for e in d["equipment"]][2:5] == ["overdue", "failed", "ok"]'
for bad in "--on 2016-02-30" "--on 16-05-12" "--within -1" "--within soon"; do
    run 2 "$CLI" due --db "$db" $bad
done
run 1 "$CLI" due --db "$db" --limits "$work/none.json"

# The verdict commands judge MON-3 (CF) by the stored list: 12 µA leads
# leakage fails it; without a list its applied part is not known.
printf 'QUELLMAX TEST RESULTS\n\nEquipmentID: MON-3\nDate: 05/11/2016\n1.Leads Leakage To Ground 12.0 uA\n\n' \
    >"$work/cf.txt"
run 10 "$CLI" verdict --kind quellmax --capture "$work/cf.txt" --db "$db"
run 11 "$CLI" verdict --kind quellmax --capture "$work/cf.txt"
run 1 "$CLI" verdict --kind quellmax --capture "$work/cf.txt" --db "$work/none.sqlite"
# The default history's list once there is one.
run 0 "$CLI" inventory import "$work/list.csv"
run 10 "$CLI" verdict --kind quellmax --capture "$work/cf.txt"
run 0 "$CLI" csv --kind quellmax --capture "$work/cf.txt" --verdicts
said "fail" out

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all schedule checks passed"
