#!/bin/sh
# A throwaway PostgreSQL cluster for the registry's tests, in a folder of its own, listening on
# 127.0.0.1 only; its superuser "kestrel" needs no password.
#   scripts/pg-test-cluster.sh start DIR   creates and starts it, prints its URL
#   scripts/pg-test-cluster.sh stop DIR    stops it and removes DIR
# Run as root, the server runs as the unprivileged "postgres" (or "nobody").
set -e
cmd=$1
dir=$2
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 1; }
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bin/initdb" ] || { echo "$0: PostgreSQL's server is not installed" >&2; exit 1; }

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        owner=postgres
        id postgres >/dev/null 2>&1 || owner=nobody
        runuser -u "$owner" -- "$@"
    else
        "$@"
    fi
}

case "$cmd" in
start)
    mkdir -p "$dir"
    if [ "$(id -u)" -eq 0 ]; then
        owner=postgres
        id postgres >/dev/null 2>&1 || owner=nobody
        chown "$owner" "$dir"
    fi
    as_owner "$bin/initdb" -D "$dir/data" -U kestrel -A trust -E UTF8 --no-sync >"$dir/initdb.log" 2>&1 ||
        { cat "$dir/initdb.log" >&2; exit 1; }
    # The first free port from 55432 on.
    for port in 55432 55433 55434 55435 55436 55437 55438 55439; do
        if as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
            -o "-k $dir -c listen_addresses=127.0.0.1 -p $port -c fsync=off" start >/dev/null 2>&1; then
            echo "$port" >"$dir/port"
            as_owner "$bin/createdb" -h 127.0.0.1 -p "$port" -U kestrel kestrel_test
            echo "postgresql://kestrel@127.0.0.1:$port/kestrel_test"
            exit 0
        fi
    done
    cat "$dir/server.log" >&2
    exit 1
    ;;
stop)
    if [ -d "$dir/data" ]; then
        as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 1
    ;;
esac
