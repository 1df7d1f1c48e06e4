#!/usr/bin/env bash
# Runs a command on a fresh Xvfb server of its own (a free display number), then stops the server.
# Usage: scripts/with-xvfb.sh COMMAND [ARGS...]
set -euo pipefail

fifo_dir=$(mktemp -d)
mkfifo "$fifo_dir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo_dir/display" \
    >"$fifo_dir/xvfb.log" 2>&1 &
xvfb_pid=$!
cleanup() {
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$fifo_dir"
}
trap cleanup EXIT

display_number=""
read -r -t 30 display_number <"$fifo_dir/display" || true
if [ -z "$display_number" ]; then
    echo "with-xvfb: Xvfb did not start" >&2
    cat "$fifo_dir/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$display_number"
"$@"
