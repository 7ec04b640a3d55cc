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
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
    managed && break
    kill -0 "$wm" 2>/dev/null || { echo "openbox did not start on $DISPLAY" >&2; exit 1; }
    sleep 0.1
done
managed || { echo "openbox does not manage $DISPLAY" >&2; exit 1; }
"$@"
