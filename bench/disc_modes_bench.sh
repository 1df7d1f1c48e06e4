#!/usr/bin/env bash
# The disc modes as a user runs them, on a 700 MB raw image that the project makes (mostly random
# data, 40 archives in files of their own): --scan against `cat IMAGE >/dev/null`, and
# --patch-image of one member against `cp IMAGE OUT; sync OUT`, the page cache warm for each, and
# the peak memory (resident set, mapped pages included) of each mode.
# Usage: bench/disc_modes_bench.sh BUILD DATA_FOLDER
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
data=$2
viewer="$build/veldraxis-viewer"
disc="$data/disc-modes"
if [ ! -f "$disc/game.cue" ]; then
    "$root/scripts/make-test-disc.sh" "$build" "$disc" --filler 610 --models 40
    rm -f "$disc/game.iso"  # the 2048-byte side is not measured
fi
image="$disc/game.bin"
echo "image: $(stat -c %s "$image") bytes, $(($(stat -c %s "$image") / 2352)) sectors"

# The best of three wall times of a command, in seconds. Outputs named in $fresh are removed
# before each run, outside the time: replacing a large file frees its blocks, which costs the
# same whichever command writes it.
fresh=()
best_of_three() {
    local best=""
    for _ in 1 2 3; do
        local start end took
        rm -f "${fresh[@]}"
        sync
        start=$(date +%s.%N)
        "$@" >/dev/null
        end=$(date +%s.%N)
        took=$(echo "$end - $start" | bc -l)
        if [ -z "$best" ] || [ "$(echo "$took < $best" | bc -l)" = 1 ]; then best=$took; fi
    done
    printf '%.3f' "$best"
}
peak_mb() {
    /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1 | awk '{printf "%.1f", $1 / 1024}'
}

cat "$image" >/dev/null  # warm the page cache
cat_s=$(best_of_three cat "$image")
scan_s=$(best_of_three "$viewer" --scan "$disc/game.cue")
scan_mb=$(peak_mb "$viewer" --scan "$disc/game.cue")
echo "cat IMAGE >/dev/null: $cat_s s"
echo "--scan: $scan_s s, peak $scan_mb MB"
echo "--scan / cat: $(echo "scale=2; $scan_s / $cat_s" | bc -l) x"

member="$disc/HERO-edit.bin"
"$viewer" --extract "$disc/out" "$disc/game.cue" >/dev/null 2>&1 || true
cp "$disc/out/CHR/KNIGHT.BIN" "$member"
copy() { cp "$image" "$disc/copy.bin" && sync "$disc/copy.bin"; }
patch() { "$viewer" --patch-image "$disc/mod.cue" "$disc/game.cue" CHR/HERO.BIN "$member"; }
fresh=("$disc/copy.bin")
copy_s=$(best_of_three copy)
fresh=("$disc/mod.cue" "$disc/mod.bin")
patch_s=$(best_of_three patch)
patch_mb=$(peak_mb "$viewer" --patch-image "$disc/mod.cue" "$disc/game.cue" CHR/HERO.BIN "$member")
rm -f "$disc/copy.bin"
echo "cp IMAGE OUT; sync OUT: $copy_s s"
echo "--patch-image of one member: $patch_s s, peak $patch_mb MB"
echo "--patch-image / copy: $(echo "scale=2; $patch_s / $copy_s" | bc -l) x"
