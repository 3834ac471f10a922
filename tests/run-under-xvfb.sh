#!/usr/bin/env bash
# Runs a test program on an X server of its own, 1920 x 1080 and without a window manager, as
# on the panel: there a window is stacked only by what the program itself asks of the server,
# and a box that is shown but not raised stays behind the full-screen window.
# The server picks a free display number (-displayfd), so tests can run side by side.
set -u
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$number" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$number"' EXIT
for _ in $(seq 400); do
    [ -s "$number" ] && break
    kill -0 "$server" 2>/dev/null || { echo "run-under-xvfb.sh: Xvfb did not start"; exit 1; }
    sleep 0.05
done
[ -s "$number" ] || { echo "run-under-xvfb.sh: Xvfb gave no display"; exit 1; }
export DISPLAY=":$(head -n 1 "$number")"
export QT_QPA_PLATFORM=xcb
"$@"
