#!/usr/bin/env bash
# The large archive out to a .glb and back, as a user runs it, each the best of three runs:
#   bench/gltf_round_trip.sh VIEWER ARCHIVE FOLDER
# prints "glTF --export: <ms> ms wall, <ms> ms CPU, <KiB> KiB peak = <x> x the .glb (<bytes> bytes)"
# and the same for --import-model. Peak is the resident set of /usr/bin/time -f %M; CPU (user and
# system) says more than wall time on a busy machine.
set -euo pipefail
viewer=$1 archive=$2 folder=$3
glb="$folder/round-trip.glb"
back="$folder/round-trip-back.bin"
times=$(mktemp)
trap 'rm -f "$times" "$glb" "$back"' EXIT

# Runs the command three times; prints the best wall time (ms), the largest peak (KiB) and the
# least CPU time (ms).
best_of_three() {
    : >"$times"
    for _ in 1 2 3; do
        /usr/bin/time -a -o "$times" -f '%e %M %U %S' "$@" >/dev/null
    done
    awk '{ ms = $1 * 1000; cpu = ($3 + $4) * 1000
           if (NR == 1 || ms < best) best = ms
           if (NR == 1 || cpu < least) least = cpu
           if ($2 > peak) peak = $2 }
         END { printf "%.0f %d %.0f\n", best, peak, least }' "$times"
}

report() {
    local name=$1 ms=$2 kib=$3 cpu=$4 size
    size=$(stat -c %s "$glb")
    awk -v name="$name" -v ms="$ms" -v kib="$kib" -v cpu="$cpu" -v size="$size" 'BEGIN {
        printf "glTF %s: %d ms wall, %d ms CPU, %d KiB peak = %.2f x the .glb (%d bytes)\n",
               name, ms, cpu, kib, kib * 1024 / size, size }'
}

read -r ms kib cpu < <(best_of_three "$viewer" --export "$glb" --quiet "$archive")
report --export "$ms" "$kib" "$cpu"
read -r ms kib cpu < <(best_of_three "$viewer" --import-model "$glb" "$back" --quiet "$archive")
report --import-model "$ms" "$kib" "$cpu"
