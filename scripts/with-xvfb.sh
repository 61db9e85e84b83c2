#!/bin/sh
# Runs a command against a private virtual X server. The server picks a free
# display itself (-displayfd), so parallel runs never share or steal one, and
# it does not reset when its last client leaves (a reset refuses new clients).
set -eu
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
server=$!
read -r display <"$fifo"
rm -f "$fifo"
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null || true' EXIT INT TERM
DISPLAY=:$display
export DISPLAY
"$@"
