#!/usr/bin/env bash
# Thumbnails of several model archives on one page: each archive is drawn with
# `veldraxis-viewer --render` (no display needed) and ImageMagick's montage lays the pictures
# out, three to a row, each labelled with its archive's name.
# Usage: scripts/contact-sheet.sh OUT.png ARCHIVE...   (the viewer is build/veldraxis-viewer,
# or $VELDRAXIS_VIEWER)
set -euo pipefail
if [ $# -lt 2 ]; then
    echo "usage: $0 OUT.png ARCHIVE..." >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
viewer=${VELDRAXIS_VIEWER:-$root/build/veldraxis-viewer}
out=$1
shift
pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT

# A bad archive gets its line and a non-zero status, but the others are still drawn.
# With one archive OUT names the picture itself, with several a folder.
status=0
target=$pictures
if [ $# -eq 1 ]; then
    name=$(basename "$1")
    target="$pictures/${name%.*}.png"
fi
"$viewer" --render "$target" "$@" 2>"$pictures/console.txt" || status=$?
[ $status -eq 0 ] || grep -v '^\[' "$pictures/console.txt" >&2 || true

tiles=()
for archive in "$@"; do
    name=$(basename "$archive")
    picture="$pictures/${name%.*}.png"
    [ -f "$picture" ] && tiles+=(-label "$name" "$picture")
done
[ ${#tiles[@]} -gt 0 ] || exit 1
montage "${tiles[@]}" -geometry 320x240+6+6 -tile 3x -background '#202020' -fill white -font DejaVu-Sans \
    "$out"
exit $status
