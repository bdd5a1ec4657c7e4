#!/usr/bin/env bash
# with-postgres.sh COMMAND...: runs COMMAND beside a throwaway PostgreSQL
# server (a cluster in a temporary folder, trust on loopback, a free port),
# with
#   TESSAPRINT_TEST_POSTGRES_URL=postgresql://USER@127.0.0.1:PORT/tessaprint_test
#   TESSAPRINT_TEST_POSTGRES_CTL=PATH  ("PATH stop" / "PATH start" stop and
#                                       start the server, for tests of a
#                                       server that goes away)
# The cluster is stopped and removed whatever happens. PostgreSQL refuses to
# run as root: as root the server runs as the system user tessaprint-pg
# (created when missing). Exits with COMMAND's status.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: with-postgres.sh COMMAND..." >&2; exit 2; }

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
    echo "with-postgres.sh: PostgreSQL is not installed (Debian: postgresql)" >&2
    exit 1
fi

as_server=()
user=$(id -un)
work=$(mktemp -d "${TMPDIR:-/tmp}/tessaprint-pg.XXXXXX")
if [ "$(id -u)" -eq 0 ]; then
    user=tessaprint-pg
    if ! id "$user" >/dev/null 2>&1; then
        useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
    fi
    chown "$user" "$work"
    chmod 755 "$work"
    as_server=(runuser -u "$user" --)
fi
data=$work/data
socket=$work/socket
"${as_server[@]}" mkdir -p "$socket"

cleanup() {
    "${as_server[@]}" "$bin/pg_ctl" -D "$data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"${as_server[@]}" "$bin/initdb" -D "$data" -U "$user" -A trust -E UTF8 --locale=C >"$work/initdb.log" 2>&1 ||
    { cat "$work/initdb.log" >&2; exit 1; }
cat >"$work/pgctl" <<EOF
#!/usr/bin/env bash
# stop | start the throwaway server
case "\$1" in
    stop) exec ${as_server[*]} "$bin/pg_ctl" -D "$data" -m fast -w stop ;;
    start) exec ${as_server[*]} "$bin/pg_ctl" -D "$data" -w -l "$work/server.log" \
        -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$socket -c fsync=off -c max_connections=200" start ;;
    *) echo "usage: \$0 stop|start" >&2; exit 2 ;;
esac
EOF
chmod 755 "$work/pgctl"
"$work/pgctl" start >/dev/null || { cat "$work/server.log" >&2; exit 1; }
"$bin/createdb" -h 127.0.0.1 -p "$port" -U "$user" tessaprint_test

export TESSAPRINT_TEST_POSTGRES_URL="postgresql://$user@127.0.0.1:$port/tessaprint_test"
export TESSAPRINT_TEST_POSTGRES_CTL="$work/pgctl"
echo "with-postgres.sh: PostgreSQL at $TESSAPRINT_TEST_POSTGRES_URL"
status=0
"$@" || status=$?
exit $status
