#!/usr/bin/env bash
# Times the real viewer from the start of its process to the first complete frame of its three
# views (the third window's first buffer swap), with a preloaded library that logs the swaps.
# Run it on a display of its own: scripts/with-xvfb.sh bench/real_viewer_startup.sh VIEWER
# PRELOAD [ARCHIVE]. Parts start hidden in the viewer, so this first frame draws no polygons;
# the start-up still lays out every part's triangles for drawing.
set -euo pipefail
viewer=$1
preload=$2
shift 2
log=$(mktemp)
trap 'rm -f "$log"' EXIT

VELDRAXIS_SWAP_LOG="$log" LD_PRELOAD="$preload" "$viewer" "$@" >/dev/null 2>&1 &
pid=$!
windows=0
for _ in $(seq 1 1200); do
    windows=$(awk '{print $2}' "$log" | sort -u | wc -l)
    [ "$windows" -ge 3 ] && break
    sleep 0.05
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
if [ "$windows" -lt 3 ]; then
    echo "real viewer: fewer than three windows swapped within 60 s"
    exit 1
fi
awk '!seen[$2]++ {n++; if (n == 3) {
    printf "real viewer %s: first complete frame of the three views %.1f ms after the process start\n",
        label, $1; exit }}' label="${1:-(demo model)}" "$log"
