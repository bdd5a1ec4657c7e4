#!/usr/bin/env bash
# history_concurrency_test.sh CLI PRINTOUT sqlite|postgresql
# Sixteen programs recording at once into one database nobody set up yet (a
# new SQLite file, or a new database on the PostgreSQL server): eight
# distinct 50-record captures and eight copies of one more, all started
# together, so they also race to set up the file and its tables. Afterwards
# every capture is there once: none lost, none doubled, every import said so
# and exited 0. PostgreSQL needs the server of scripts/with-postgres.sh;
# skipped (77) without it.
set -u
CLI=$1
PRINTOUT=$2
ENGINE=${3:-postgresql}
work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

case "$ENGINE" in
sqlite)
    trap 'rm -rf "$work"' EXIT
    # The race to set up a new file is short: it is run on several new files.
    rounds=5
    newdb() { db=$work/history-$1.sqlite; }
    count() { python3 -c 'import sqlite3, sys; print(sqlite3.connect(sys.argv[1]).execute(sys.argv[2]).fetchone()[0])' "$db" "$1"; }
    ;;
postgresql)
    if [ -z "${TESSAPRINT_TEST_POSTGRES_URL:-}" ]; then
        echo "SKIP: TESSAPRINT_TEST_POSTGRES_URL is not set (scripts/with-postgres.sh sets it)"
        rm -rf "$work"
        exit 77
    fi
    bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    name=tessaprint_concurrency_$$
    server=${TESSAPRINT_TEST_POSTGRES_URL%/*}
    rounds=1
    newdb() { db=$server/$name; }
    psql() { "$bin/psql" -X -q -t -A -v ON_ERROR_STOP=1 "$@"; }
    count() { psql "$db" -c "$1"; }
    trap 'psql "$TESSAPRINT_TEST_POSTGRES_URL" -c "DROP DATABASE IF EXISTS $name WITH (FORCE)" >/dev/null; rm -rf "$work"' EXIT
    psql "$TESSAPRINT_TEST_POSTGRES_URL" -c "CREATE DATABASE $name" || exit 1
    ;;
*)
    echo "usage: history_concurrency_test.sh CLI PRINTOUT sqlite|postgresql" >&2
    exit 2
    ;;
esac

for n in 1 2 3 4 5 6 7 8; do
    sed "s/^EquipmentID: /EquipmentID: P$n-/" "$PRINTOUT" >"$work/distinct-$n.txt"
done
cp "$PRINTOUT" "$work/same.txt"

for round in $(seq 1 "$rounds"); do
    newdb "$round"
    rm -f "$work"/*.out
    start=$(date +%s.%N)
    pids=()
    for n in 1 2 3 4 5 6 7 8; do
        "$CLI" history import --kind quellmax --transcript "$work/distinct-$n.txt" --db "$db" >"$work/d$n.out" 2>&1 &
        pids+=($!)
        "$CLI" history import --kind quellmax --transcript "$work/same.txt" --db "$db" >"$work/s$n.out" 2>&1 &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do
        wait "$pid" || fail "an import exited $?: $(cat "$work"/*.out | grep -v '^added\|^already')"
    done
    end=$(date +%s.%N)

    [ "$(cat "$work"/d*.out | grep -c '^added: ')" -eq 8 ] || fail "distinct captures: $(cat "$work"/d*.out)"
    [ "$(cat "$work"/s*.out | grep -c '^added: ')" -eq 1 ] || fail "the same capture added more than once: $(cat "$work"/s*.out)"
    [ "$(cat "$work"/s*.out | grep -c '^already there: ')" -eq 7 ] || fail "the same capture: $(cat "$work"/s*.out)"
    readings=$(grep -c '^[0-9]*\.' "$PRINTOUT")
    [ "$(count 'SELECT COUNT(*) FROM captures')" = 9 ] || fail "captures: $(count 'SELECT COUNT(*) FROM captures')"
    [ "$(count 'SELECT COUNT(*) FROM records')" = 450 ] || fail "records: $(count 'SELECT COUNT(*) FROM records')"
    [ "$(count 'SELECT COUNT(*) FROM readings')" = $((9 * readings)) ] ||
        fail "readings: $(count 'SELECT COUNT(*) FROM readings'), not $((9 * readings))"
    [ "$(count 'SELECT COUNT(DISTINCT equipment_id) FROM records')" = 450 ] || fail "distinct IDs"
    [ "$(count 'SELECT COUNT(*) FROM schema_version')" = 1 ] || fail "schema_version rows"
    [ "$("$CLI" history show DIA-WRM-19 --db "$db" | grep -c '"testDate"')" -eq 1 ] || fail "DIA-WRM-19 not once"
    printf 'round %d: 16 imports at once into a new %s database (8 distinct 50-record captures, 8 of one more): %.2f s\n' \
        "$round" "$ENGINE" "$(python3 -c "print($end - $start)")"
done
if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "concurrent imports ($ENGINE): every capture once"
