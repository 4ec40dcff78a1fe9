#!/usr/bin/env bash
# A throwaway PostgreSQL server for tests and benchmarks: a fresh cluster in a
# temporary folder, reachable on a local socket only, trusting every local
# user, with durability switched off (the data dies with the folder anyway).
#
#   pgserver.sh start DIR   creates and starts the cluster in DIR (must not
#                           exist) and prints the base URL to use as ZX_TEST_PG
#   pgserver.sh stop DIR    stops it and removes DIR
#   pgserver.sh halt DIR    stops it as an administrator would, keeping DIR
#   pgserver.sh restart DIR restarts it (or starts it again after halt)
set -euo pipefail

bindir() {
    local dir
    for dir in /usr/lib/postgresql/*/bin; do
        [ -x "$dir/initdb" ] && { echo "$dir"; return; }
    done
    echo "pgserver.sh: no PostgreSQL server installed (postgresql-15)" >&2
    exit 1
}

# The server refuses to run as root: run it as the postgres account then.
as_owner() {
    if [ "$(id -u)" = 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

cmd=${1:-}
dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop|halt|restart DIR" >&2; exit 2; }
port=${PGSERVER_PORT:-5432}

case "$cmd" in
start)
    bin=$(bindir)
    mkdir -p "$dir/data" "$dir/socket"
    [ "$(id -u)" = 0 ] && chown -R postgres: "$dir"
    # C collation orders and folds case byte by byte, as the SQLite schema does.
    as_owner "$bin/initdb" -D "$dir/data" -U postgres --auth=trust --encoding=UTF8 \
        --locale=C --no-sync >"$dir/initdb.log" 2>&1 ||
        { cat "$dir/initdb.log" >&2; exit 1; }
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
        -o "-k $dir/socket -p $port -c listen_addresses='' -c fsync=off \
            -c synchronous_commit=off -c full_page_writes=off -c max_connections=200 \
            -c checkpoint_flush_after=0 -c bgwriter_flush_after=0" \
        start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
    # The socket folder as a URL host: slashes percent-encoded.
    echo "postgresql://postgres@${dir//\//%2F}%2Fsocket:$port"
    ;;
halt)
    as_owner "$(bindir)/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
    ;;
restart)
    # The options of the last start are the server's own (postmaster.opts).
    as_owner "$(bindir)/pg_ctl" -D "$dir/data" -l "$dir/server.log" -m fast -w -t 30 \
        restart >/dev/null 2>&1 || { cat "$dir/server.log" >&2; exit 1; }
    ;;
stop)
    bin=$(bindir)
    if [ -f "$dir/data/postmaster.pid" ]; then
        as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null || true
    fi
    rm -rf "$dir"
    ;;
*)
    echo "usage: $0 start|stop|halt|restart DIR" >&2
    exit 2
    ;;
esac
