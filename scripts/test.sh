#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake -S . -B build
cmake --build build -j"$(nproc)"

# The server integration test needs a Firebird server on 127.0.0.1; without one it is skipped.
# A server that was already running (another checkout's) is used and left running.
server_started=0
already_running=0
[ -f /tmp/inzefor-fbserver.env ] && already_running=1
if [ -x scripts/start-fbserver.sh ] && scripts/start-fbserver.sh start; then
  [ "$already_running" = 1 ] || server_started=1
else
  echo "test.sh: no Firebird server could be started; the server test will be skipped" >&2
fi
stop_server() { [ "$server_started" = 1 ] && scripts/start-fbserver.sh stop || true; }
trap stop_server EXIT

export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2 --timeout 600 "$@"
