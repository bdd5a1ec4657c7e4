#!/usr/bin/env bash
# Eight programs recording at once into one PostgreSQL server: eight distinct
# 50-record captures and eight copies of one more, all started together.
# Afterwards every capture is there once: none lost, none doubled. Needs the
# server of scripts/with-postgres.sh; skipped (77) without it.
set -u
CLI=$1
PRINTOUT=$2
if [ -z "${TESSAPRINT_TEST_POSTGRES_URL:-}" ]; then
    echo "SKIP: TESSAPRINT_TEST_POSTGRES_URL is not set (scripts/with-postgres.sh sets it)"
    exit 77
fi
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
name=tessaprint_concurrency_$$
server=${TESSAPRINT_TEST_POSTGRES_URL%/*}
db=$server/$name
psql() { "$bin/psql" -X -q -t -A -v ON_ERROR_STOP=1 "$@"; }
trap 'psql "$TESSAPRINT_TEST_POSTGRES_URL" -c "DROP DATABASE IF EXISTS $name WITH (FORCE)" >/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

psql "$TESSAPRINT_TEST_POSTGRES_URL" -c "CREATE DATABASE $name" || exit 1
for n in 1 2 3 4 5 6 7 8; do
    sed "s/^EquipmentID: /EquipmentID: P$n-/" "$PRINTOUT" >"$work/distinct-$n.txt"
done
cp "$PRINTOUT" "$work/same.txt"

# Sixteen programs on a database nobody set up yet: they also race to create
# the tables.
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
[ "$(psql "$db" -c 'SELECT COUNT(*) FROM captures')" -eq 9 ] || fail "captures: $(psql "$db" -c 'SELECT COUNT(*) FROM captures')"
[ "$(psql "$db" -c 'SELECT COUNT(*) FROM records')" -eq 450 ] || fail "records: $(psql "$db" -c 'SELECT COUNT(*) FROM records')"
[ "$(psql "$db" -c 'SELECT COUNT(*) FROM readings')" -eq $((9 * readings)) ] ||
    fail "readings: $(psql "$db" -c 'SELECT COUNT(*) FROM readings'), not $((9 * readings))"
[ "$(psql "$db" -c 'SELECT COUNT(DISTINCT equipment_id) FROM records')" -eq 450 ] || fail "distinct IDs"
[ "$("$CLI" history show DIA-WRM-19 --db "$db" | grep -c '"testDate"')" -eq 1 ] || fail "DIA-WRM-19 not once"

printf '16 imports at once (8 distinct 50-record captures, 8 of one more): %.2f s\n' "$(echo "$end - $start" | bc -l 2>/dev/null || python3 -c "print($end - $start)")"
if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "concurrent imports: every capture once"
