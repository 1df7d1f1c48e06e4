#!/usr/bin/env bash
# Makes a test disc the project's own tools design: the files of make-disc-content laid out by
# genisoimage, an archive appended after the volume where no file claims it, framed as raw Mode 2
# sectors with a CUE sheet. Usage: scripts/make-test-disc.sh BUILD OUT_FOLDER [CONTENT OPTIONS]
# writes OUT_FOLDER/game.cue, game.bin and game.iso (the 2048-byte side).
set -euo pipefail
build=$1
out=$2
shift 2
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tools/disc_content/make-disc-content" "$work/tree" --tail "$work/tail.bin" "$@"
genisoimage -quiet -o "$out/game.iso" -V VELDRAXIS_TEST "$work/tree"
cat "$work/tail.bin" >>"$out/game.iso"
"$build/tools/disc_builder/make-test-disc" --framing mode2 "$out/game.iso" "$out/game.bin" \
    "$out/game.cue"
