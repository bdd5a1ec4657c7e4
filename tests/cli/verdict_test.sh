#!/usr/bin/env bash
# tessaprint-cli verdict and limits show as a script uses them: the JSON of
# the verdicts, the exit status a script branches on (0 pass, 10 a reading
# fails, 11 incomplete), a bad file named with its line, and a shipped
# profile printed as a file that loads again.
set -u
CLI=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Verdicts read the default history's equipment list: the user's own is never touched.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run STATUS command...: the command must exit with STATUS; stdout in out, stderr in err.
run() {
    local status=$1
    shift
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$status" ] || fail "$* exited $got, not $status: $(head -c 600 "$work/err")"
}
said() { grep -qF -- "$1" "$work/err" || fail "did not say '$1': $(head -c 600 "$work/err")"; }
# json PYTHON-EXPRESSION: true of the JSON printed (d).
json() {
    python3 -c "import json, sys; d = json.load(open(sys.argv[1])); sys.exit(0 if ($1) else 1)" "$work/out" ||
        fail "the JSON is not so: $1: $(head -c 1500 "$work/out")"
}

record() { # id lines...
    printf 'EquipmentID: %s\nDate: 05/11/2015\n' "$1"
    shift
    local n=1 line
    for line in "$@"; do
        printf '%d.%s\n' "$n" "$line"
        n=$((n + 1))
    done
    printf '\n'
}
header='equipment_id,description,location,class,applied_parts,interval_months,cord,profile,settings'

# Pass, fail, incomplete: the exit status and each reading's verdict and limit.
{
    printf 'QUELLMAX TEST RESULTS\n\n'
    record MON-1 "Line Voltage 118.3 V" "Ground Resistance 0.213 Ohms" "Case Leakage <0.1 uA"
} >"$work/pass.txt"
run 0 "$CLI" verdict --kind quellmax --capture "$work/pass.txt"
json 'd["profile"] == {"name": "iec62353", "version": "2014-1"}'
json '[r["verdict"] for r in d["records"][0]["readings"]] == ["no limit", "pass", "pass"]'
json 'd["records"][0]["readings"][2] == {"item": "3", "test": "Case Leakage", "reading": "<0.1 uA", "verdict": "pass", "limit": "≤ 100 µA", "rule": "quellmax.case-leakage"}'
json 'd["records"][0]["equipmentId"] == "MON-1" and d["records"][0]["verdict"] == "pass"'

{
    printf 'QUELLMAX TEST RESULTS\n\n'
    record MON-1 "Case Leakage 0.6 uA"
    record MON-2 "Case Leakage 150.2 uA" "Leads Leakage To Ground 3.0 uA"
    record MON-3 "Leads Leakage To Ground 12.0 uA"
} >"$work/mixed.txt"
run 10 "$CLI" verdict --kind quellmax --capture "$work/mixed.txt"
json '[r["verdict"] for r in d["records"]] == ["pass", "fail", "incomplete"]'
json 'd["records"][2]["readings"][0]["verdict"] == "not judged" and "applied part" in d["records"][2]["readings"][0]["why"]'
run 11 "$CLI" verdict --kind quellmax --capture "$work/mixed.txt" --item 2
json '[r["equipmentId"] for r in d["records"]] == ["MON-3"]'
run 0 "$CLI" verdict --kind quellmax --capture "$work/mixed.txt" --item 0

# The equipment list gives the applied part type: 12 µA fails type CF, passes BF.
printf '%s\r\nMON-3,Monitor,ICU,I,CF,12,,,\r\n' "$header" >"$work/cf.csv"
run 10 "$CLI" verdict --kind quellmax --capture "$work/mixed.txt" --item 2 --inventory "$work/cf.csv"
json 'd["records"][0]["readings"][0]["limit"] == "≤ 10 µA"'
printf '%s\nMON-3,Monitor,ICU,I,BF,12,,nfpa99,\n' "$header" >"$work/bf.csv"
run 0 "$CLI" verdict --kind quellmax --capture "$work/mixed.txt" --item 2 --inventory "$work/bf.csv"
json 'd["records"][0]["profile"]["name"] == "nfpa99"'

# A defibrillator energy is judged against the setting of the list, never a guessed one.
{
    printf 'KAPPA 5100 TEST RESULTS\n\n'
    record ICU-DF-07 "Defib 2.0 J 176 V 3.5 A" "Defib 199.0 J 1754 V 35.1 A" "NSR 60 BPM 1.0 mV"
} >"$work/kappa.txt"
run 11 "$CLI" verdict --kind kappa --capture "$work/kappa.txt"
json 'd["records"][0]["readings"][1]["verdict"] == "not judged" and "200" in d["records"][0]["readings"][1]["hint"]'
printf '%s\nICU-DF-07,Defibrillator,ICU,I,,6,,,Defib=2;200\n' "$header" >"$work/defib.csv"
run 0 "$CLI" verdict --kind kappa --capture "$work/kappa.txt" --inventory "$work/defib.csv"
json 'd["records"][0]["readings"][1]["limit"] == "200 J ± 30 J"'
printf '%s\nICU-DF-07,Defibrillator,ICU,I,,6,,,Defib=2;250\n' "$header" >"$work/defib250.csv"
run 10 "$CLI" verdict --kind kappa --capture "$work/kappa.txt" --inventory "$work/defib250.csv"

# A file that does not load or check: exit 1, the file and its line named, no verdicts at all.
printf '{\n  "name": "dept", "version": "1",\n  "rules": [{"id": "a", "kind": "quellmax", "test": "Case Leakage", "unit": "uV", "max": 5, "source": "s"}]\n}\n' >"$work/bad.json"
run 1 "$CLI" verdict --kind quellmax --capture "$work/pass.txt" --limits "$work/bad.json"
said "$work/bad.json:3: unknown unit \"uV\""
[ -s "$work/out" ] && fail "a bad limits file still printed verdicts: $(head -c 300 "$work/out")"
printf '%s\nMON-1,,,III,,12,,,\n' "$header" >"$work/bad.csv"
run 1 "$CLI" verdict --kind quellmax --capture "$work/pass.txt" --inventory "$work/bad.csv"
said "$work/bad.csv:2: class \"III\" is not I, II or IP"
run 1 "$CLI" verdict --kind quellmax --capture "$work/missing.txt"
said "cannot read"
run 2 "$CLI" verdict --kind quellmax --capture "$work/pass.txt" --profile nfpa98
said 'unknown profile "nfpa98"; the profiles are iec62353, nfpa99'
run 2 "$CLI" verdict --kind quellmax --capture "$work/pass.txt" --item 5
said "--item takes 'all' or a selector item from 0 to 0"
run 2 "$CLI" verdict --capture "$work/pass.txt"
said "--kind"

# limits show: the shipped file as it is, which loads again as a department's file.
for profile in iec62353 nfpa99; do
    run 0 "$CLI" limits show --profile "$profile"
    cp "$work/out" "$work/$profile.json"
    python3 -c 'import json, sys; assert json.load(open(sys.argv[1]))["name"] == sys.argv[2]' "$work/$profile.json" "$profile" ||
        fail "limits show --profile $profile is not the profile's JSON"
    run 10 "$CLI" verdict --kind quellmax --capture "$work/mixed.txt" --limits "$work/$profile.json"
    json "d['profile']['name'] == '$profile'"
done
run 0 "$CLI" limits show
cmp -s "$work/out" "$work/iec62353.json" || fail "limits show does not print iec62353 by default"
run 2 "$CLI" limits show --profile nfpa70
said 'unknown profile "nfpa70"; the profiles are iec62353, nfpa99'

[ "$failures" -eq 0 ] && echo "verdict: exit statuses, JSON, faults named by line, limits show"
exit $((failures > 0))
