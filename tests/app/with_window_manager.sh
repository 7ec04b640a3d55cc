#!/usr/bin/env bash
# Runs the command given under a window manager (openbox) on DISPLAY: starts it unless one manages
# the screen already, waits until it does, runs the command and ends the window manager again.
# Without a display the command runs as it is (X tests then skip or fail on their own).
set -euo pipefail

managed() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"
}

if [ -z "${DISPLAY:-}" ] || managed; then
    exec "$@"
fi
log="$(mktemp)"
wm=""
trap '[ -z "$wm" ] || { kill "$wm" 2>/dev/null; wait "$wm" 2>/dev/null; }; rm -f "$log"' EXIT
# The server may still be resetting after the last client of the previous test left: try again.
for attempt in 1 2 3 4 5; do
    openbox --sm-disable >"$log" 2>&1 &
    wm=$!
    for _ in $(seq 1 50); do
        managed && break
        kill -0 "$wm" 2>/dev/null || break
        sleep 0.1
    done
    managed && break
    kill "$wm" 2>/dev/null || true
    wait "$wm" 2>/dev/null || true
    wm=""
    sleep 0.5
done
if [ -z "$wm" ]; then
    echo "openbox does not manage $DISPLAY:" >&2
    cat "$log" >&2
    exit 1
fi
"$@"
