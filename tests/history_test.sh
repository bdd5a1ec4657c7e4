#!/usr/bin/env bash
# tessaprint-cli history: the three samples and an archive of two later visits
# imported into a fresh SQLite file give the golden JSON; importing again adds
# nothing; the IDs by prefix and the ones tested last; errors; the default
# database.
set -u
CLI=$1
DATA=$2
SAMPLES=$3
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Settings and the default database go below the test's own folders.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
db=$work/history.sqlite

# capturedAt is the file's time, fixed here, unless the file's name is an
# archive name: the archive's files were touched since, and keep their names' times.
mkdir -p "$work/in" "$work/archive"
for kind in quellmax kappa pactrx; do
    cp "$SAMPLES/$kind.txt" "$work/in/$kind.txt"
done
touch -d "2026-03-14 09:30:00" "$work/in/quellmax.txt"
touch -d "2026-03-15 10:00:00" "$work/in/kappa.txt"
touch -d "2026-03-16 11:15:00" "$work/in/pactrx.txt"
cp "$DATA/archive/"*.txt "$work/archive/"
touch -d "2026-04-02 09:30:00" "$work/archive/Quellmax-2016-04-02-093000.txt"
touch -d "2026-04-03 14:15:00" "$work/archive/Quellmax-2017-02-10-141500.txt"
echo "not a capture" >"$work/archive/notes.md"

import() { "$CLI" history import --db "$db" "$@" >"$work/out" 2>"$work/err"; }

# The later visits first: the order comes from the test days.
import --archive "$work/archive" || fail "archive import exited $?: $(cat "$work/out" "$work/err")"
[ "$(grep -c '^added: ' "$work/out")" -eq 2 ] || fail "archive import: $(cat "$work/out")"
grep -q "^added: $work/archive/Quellmax-2016-04-02-093000.txt (2 records)$" "$work/out" ||
    fail "archive import line: $(cat "$work/out")"
for kind in quellmax kappa pactrx; do
    import --kind "$kind" --capture "$work/in/$kind.txt" || fail "import of the $kind sample exited $?: $(cat "$work/err")"
    grep -q "^added: " "$work/out" || fail "the $kind sample was not added: $(cat "$work/out")"
done

for id in BIO-5521 DEF-100 ICU-DF-07 PM-TEMP-04; do
    "$CLI" history show "$id" --db "$db" >"$work/$id.json" 2>"$work/err" || fail "show $id exited $?: $(cat "$work/err")"
    cmp -s "$work/$id.json" "$DATA/$id.json" || fail "history show $id differs from $id.json: $(diff "$DATA/$id.json" "$work/$id.json" | head -20)"
done

# Everything again, also as a transcript: already there, nothing doubled.
import --archive "$work/archive" --kind quellmax --capture "$work/in/quellmax.txt" --transcript "$work/in/quellmax.txt" ||
    fail "second import exited $?"
[ "$(grep -c '^already there: ' "$work/out")" -eq 4 ] || fail "second import: $(cat "$work/out")"
"$CLI" history show BIO-5521 --db "$db" >"$work/again.json"
cmp -s "$work/again.json" "$DATA/BIO-5521.json" || fail "a second import changed BIO-5521's history"

"$CLI" history ids --db "$db" >"$work/ids" || fail "ids exited $?"
[ "$(wc -l <"$work/ids")" -eq 17 ] || fail "expected 17 IDs: $(cat "$work/ids")"
sort -c "$work/ids" 2>/dev/null || [ "$(LC_ALL=C sort "$work/ids")" = "$(cat "$work/ids")" ] || fail "ids not sorted"
"$CLI" history ids --db "$db" --prefix bio- >"$work/bio" || fail "ids --prefix exited $?"
[ "$(cat "$work/bio")" = $'BIO-5521\nBIO-6610\nBIO-7702' ] || fail "ids --prefix bio-: $(cat "$work/bio")"
[ "$("$CLI" history ids --db "$db" --prefix bio- --limit 1)" = "BIO-5521" ] || fail "ids --limit 1"
# The IDs tested last, by the capture times: the pacemaker sample's (the
# newest file), then the defibrillator sample's; the archive's visits are older by their names.
"$CLI" history ids --db "$db" --recent 6 >"$work/recent" || fail "ids --recent exited $?"
[ "$(cat "$work/recent")" = $'PM-TEMP-04\nED-TCP-02\nCCU-PM-11\n50317\nBIO-7702\nICU-DF-07' ] ||
    fail "ids --recent 6: $(cat "$work/recent")"
"$CLI" history ids --db "$db" --recent 2 --prefix bio- >/dev/null 2>&1
[ $? -eq 2 ] || fail "--recent with --prefix must be refused"

# An ID never seen: its (empty) history, not an error.
"$CLI" history show NOBODY --db "$db" >"$work/nobody.json" || fail "show of an unknown ID exited $?"
python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); assert d == {"equipmentId": "NOBODY", "records": []}, d' \
    "$work/nobody.json" || fail "unknown ID: $(cat "$work/nobody.json")"

# Failures: one file missing fails that file (exit 1) and the others still go in.
import --kind kappa --capture "$work/missing.txt" --capture "$work/in/kappa.txt"
[ $? -eq 1 ] || fail "a missing file must exit 1"
grep -q "^failed: $work/missing.txt: cannot read" "$work/out" || fail "missing file line: $(cat "$work/out")"
grep -q "^already there: $work/in/kappa.txt" "$work/out" || fail "the file after a failure: $(cat "$work/out")"
import --capture "$work/in/kappa.txt"
[ $? -eq 2 ] && grep -q "need --kind" "$work/err" || fail "--capture without --kind: $(cat "$work/err")"
import
[ $? -eq 2 ] || fail "import of nothing must exit 2"
"$CLI" history show X --db "mysql://db/x" >/dev/null 2>"$work/err"
[ $? -eq 1 ] && grep -q "not a database Tessaprint knows" "$work/err" || fail "unknown scheme: $(cat "$work/err")"
"$CLI" history show X --db "postgresql://a:pw@db/x" >/dev/null 2>"$work/err"
[ $? -eq 1 ] && grep -q "password file" "$work/err" || fail "password in the address: $(cat "$work/err")"
"$CLI" history show X --db "$work/no-folder/h.sqlite" >/dev/null 2>"$work/err"
[ $? -eq 1 ] && grep -q "does not exist" "$work/err" || fail "missing folder: $(cat "$work/err")"
[ ! -e "$work/no-folder" ] || fail "a folder was created for a path the user gave"
"$CLI" history show X --db "$work/in/kappa.txt" >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "a text file as database must fail"
cmp -s "$work/in/kappa.txt" "$SAMPLES/kappa.txt" || fail "a text file given as database was changed"

captures() { python3 -c 'import sqlite3, sys; print(sqlite3.connect(sys.argv[1]).execute("SELECT COUNT(*) FROM captures").fetchone()[0])' "$1"; }

# A read of a history that is not there says so and makes no file.
for command in ids "show BIO-5521"; do
    # shellcheck disable=SC2086 # the command and its argument
    "$CLI" history $command --db "$work/typo.sqlite" >"$work/out" 2>"$work/err"
    status=$?
    [ $status -eq 1 ] && grep -q "^tessaprint-cli: no history at $work/typo.sqlite" "$work/err" && [ ! -s "$work/out" ] ||
        fail "history $command of a missing file exited $status: $(cat "$work/out" "$work/err")"
    [ ! -e "$work/typo.sqlite" ] || fail "history $command made $work/typo.sqlite"
done
"$CLI" history ids >"$work/out" 2>"$work/err"
[ $? -eq 1 ] && grep -q "no history at $work/data/Zelmor/Tessaprint/history.sqlite" "$work/err" ||
    fail "ids without a default history: $(cat "$work/err")"
[ ! -e "$work/data/Zelmor" ] || fail "ids made the default history"

# A capture without an equipment ID is not recorded, and skipping it is no failure.
printf 'QUELLMAX TEST RESULTS\r\n\r\n1.Case Leakage 0.1 uA\r\n' >"$work/no-id.txt"
printf '\x00\x01\xfe\xff\x85 1.5\r\n\x9c\n' >"$work/random.bin"
before=$(captures "$db")
import --kind quellmax --transcript "$work/random.bin" --capture "$work/no-id.txt" ||
    fail "import of captures without an ID exited $?: $(cat "$work/out" "$work/err")"
[ "$(cat "$work/out")" = "skipped: $work/random.bin (no equipment ID)
skipped: $work/no-id.txt (no equipment ID)" ] || fail "captures without an ID: $(cat "$work/out")"
[ "$(captures "$db")" = "$before" ] || fail "a capture without an ID was recorded"

# Only regular files are read: a device or a pipe is refused at once (a pipe
# without a writer blocks, /dev/zero never ends) and the next file still goes in.
mkfifo "$work/fifo"
timeout 20 "$CLI" history import --db "$db" --kind kappa --transcript /dev/zero --capture "$work/fifo" \
    --capture "$work/in/kappa.txt" >"$work/out" 2>"$work/err"
status=$?
[ $status -eq 1 ] || fail "import of a device and a pipe exited $status: $(cat "$work/out" "$work/err")"
grep -q "^failed: /dev/zero: cannot read /dev/zero: not a regular file" "$work/out" &&
    grep -q "^failed: $work/fifo: cannot read $work/fifo: not a regular file" "$work/out" &&
    grep -q "^already there: $work/in/kappa.txt$" "$work/out" || fail "device and pipe: $(cat "$work/out")"

# The whole file decides its code page, also when the first byte that is no
# UTF-8 comes long after the first piece read: "5 µA" in UTF-8 bytes at the
# start is then read as Windows-1252 like the rest.
python3 -c 'import sys
lines = [b"EquipmentID: CP-1", b"Date: 03/14/2015", b"1.Leakage 5 \xc2\xb5A"]
for n in range(6000):
    lines += [b"EquipmentID: CP-PAD-%04d" % n, b"1.Line Voltage 120.4 V"]
lines += [b"EquipmentID: CP-2", b"1.Leakage 7 \xb5A"]
open(sys.argv[1], "wb").write(b"\r\n".join(lines) + b"\r\n")' "$work/cp1252.txt"
"$CLI" history import --db "$work/cp.sqlite" --kind quellmax --capture "$work/cp1252.txt" >"$work/out" 2>"$work/err"
grep -qx "added: $work/cp1252.txt (6002 records)" "$work/out" || fail "Windows-1252 import: $(cat "$work/out" "$work/err")"
for id in CP-1 CP-2; do "$CLI" history show "$id" --db "$work/cp.sqlite" >"$work/$id.json"; done
python3 -c 'import json, sys
one, two = (json.load(open(p))["records"][0]["readings"][0]["value"] for p in sys.argv[1:])
assert (one, two) == ("Leakage 5 \u00c2\u00b5A", "Leakage 7 \u00b5A"), (one, two)' "$work/CP-1.json" "$work/CP-2.json" ||
    fail "the code page of a file read in pieces"

# Each log line is out as soon as its capture is in: killed while it reads an
# endless transcript (64 GiB of NUL, which makes no line), the log still
# names the capture recorded before it.
if truncate -s 64G "$work/endless.bin" 2>/dev/null; then
    "$CLI" history import --db "$work/kill.sqlite" --kind quellmax --transcript "$work/in/quellmax.txt" \
        --transcript "$work/endless.bin" >"$work/kill.log" 2>&1 &
    pid=$!
    for _ in $(seq 200); do
        grep -q '^added: ' "$work/kill.log" && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -9 "$pid"
        wait "$pid" 2>/dev/null
        grep -qx "added: $work/in/quellmax.txt (6 records)" "$work/kill.log" ||
            fail "the log of a killed import: $(cat "$work/kill.log")"
        [ "$("$CLI" history ids --db "$work/kill.sqlite" --prefix bio-5521)" = "BIO-5521" ] ||
            fail "the capture before the kill is not in the history"
    else
        fail "the import of an endless transcript ended by itself: $(cat "$work/kill.log")"
    fi
    pid=
    rm -f "$work/endless.bin"
fi

# Memory that runs out fails that file alone ("out of memory"), and the next
# file is recorded. A NUL-filled capture file is one line of 4 GiB; the
# address space is capped at 600 MiB. (Not under AddressSanitizer, which needs
# address space of its own and stops the program where an allocation fails.)
if ldd "$CLI" 2>/dev/null | grep -q libasan; then
    echo "skipped under AddressSanitizer: the import that runs out of memory"
elif truncate -s 4G "$work/huge.txt" 2>/dev/null; then
    (
        ulimit -v 614400
        exec "$CLI" history import --db "$work/oom.sqlite" --kind kappa --capture "$work/in/kappa.txt" \
            --capture "$work/huge.txt" --capture "$work/in/pactrx.txt"
    ) >"$work/out" 2>"$work/err"
    status=$?
    [ $status -eq 1 ] || fail "the import that ran out of memory exited $status: $(cat "$work/out" "$work/err")"
    [ "$(cat "$work/out")" = "added: $work/in/kappa.txt (5 records)
failed: $work/huge.txt: out of memory
added: $work/in/pactrx.txt (5 records)" ] || fail "running out of memory: $(cat "$work/out" "$work/err")"
    rm -f "$work/huge.txt"
fi

# Without --db: the program's own history.sqlite below the data folder.
"$CLI" history import --kind pactrx --capture "$work/in/pactrx.txt" >"$work/out" 2>"$work/err" ||
    fail "import into the default database exited $?: $(cat "$work/err")"
[ -f "$work/data/Zelmor/Tessaprint/history.sqlite" ] || fail "no default database: $(find "$work" -name '*.sqlite')"
[ "$("$CLI" history ids --prefix pm-)" = "PM-TEMP-04" ] || fail "the default database does not answer"

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "history commands: all checks passed"
