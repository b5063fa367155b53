#!/usr/bin/env bash
# Starts or stops a Firebird server on 127.0.0.1 for the server integration test (no systemd).
#   scripts/start-fbserver.sh start   # starts it (if not already running) and writes the env file
#   scripts/start-fbserver.sh stop    # stops the server it started, by its PID
# The env file /tmp/inzefor-fbserver.env (shell syntax) gives the test:
#   INZEFOR_FB_SERVER_DIR  a folder the server may create databases in
#   INZEFOR_FB_PASSWORD    the SYSDBA password
#   INZEFOR_FB_PID         the server's PID
# Needs root (it sets the SYSDBA password and starts the server as the firebird user).
set -euo pipefail

ENV_FILE=/tmp/inzefor-fbserver.env
FBPW=${INZEFOR_FB_PASSWORD:-masterkey}
SECURITY_DB=/var/lib/firebird/3.0/system/security3.fdb

port_open() { (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; }

running_pid() {
    [ -f "$ENV_FILE" ] || return 1
    local pid
    pid=$(sed -n 's/^INZEFOR_FB_PID=//p' "$ENV_FILE")
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && echo "$pid"
}

start() {
    if pid=$(running_pid); then
        echo "Firebird server already running (PID $pid); see $ENV_FILE"
        return 0
    fi
    if port_open; then
        echo "Port 3050 is taken by a server this script did not start; not starting another." >&2
        return 1
    fi
    command -v /usr/sbin/firebird >/dev/null || { echo "firebird3.0-server is not installed" >&2; return 1; }

    # The password is set while the server is down, through embedded access to the security
    # database.
    echo "create or alter user SYSDBA password '$FBPW' using plugin Srp; commit;" |
        isql-fb -q -user SYSDBA "$SECURITY_DB" >/dev/null
    install -d -o firebird -g firebird -m 0770 /tmp/firebird /run/firebird3.0 /var/log/firebird
    touch /var/log/firebird/firebird3.0.log
    chown firebird:firebird /var/log/firebird/firebird3.0.log
    local dbdir
    dbdir=$(mktemp -d /tmp/inzefor-fbserver.XXXXXX)
    chown firebird:firebird "$dbdir"
    chmod 0770 "$dbdir"

    setsid setpriv --reuid=firebird --regid=firebird --init-groups /usr/sbin/firebird \
        </dev/null >>/var/log/firebird/firebird3.0.log 2>&1 &
    local pid=$!
    for _ in $(seq 100); do
        port_open && break
        kill -0 "$pid" 2>/dev/null || { echo "The Firebird server ended at start-up" >&2; return 1; }
        sleep 0.1
    done
    port_open || { kill "$pid" 2>/dev/null; echo "The Firebird server did not listen on 3050" >&2; return 1; }

    cat >"$ENV_FILE" <<ENV
INZEFOR_FB_SERVER_DIR=$dbdir
INZEFOR_FB_PASSWORD=$FBPW
INZEFOR_FB_PID=$pid
ENV
    echo "Firebird server running on 127.0.0.1:3050 (PID $pid); see $ENV_FILE"
}

stop() {
    local pid
    if ! pid=$(running_pid); then
        rm -f "$ENV_FILE"
        echo "No Firebird server started by this script is running"
        return 0
    fi
    local dbdir
    dbdir=$(sed -n 's/^INZEFOR_FB_SERVER_DIR=//p' "$ENV_FILE")
    kill "$pid"
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && kill -9 "$pid"
    rm -f "$ENV_FILE"
    case "$dbdir" in /tmp/inzefor-fbserver.*) rm -rf "$dbdir" ;; esac
    echo "Firebird server stopped"
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
