#!/usr/bin/env bash
# Builds the Debian package with scripts/make-deb.sh into BUILD and checks it as a user and the
# distribution's tools see it: the file list, the menu entry, the AppStream data, the manual
# page, lintian, and the unpacked program run without a display. Every option --help names
# must be in the manual page and the shell completion.
#   check_package.sh SOURCE BUILD
set -euo pipefail
source_dir=$1
build=$2
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

deb=$("$source_dir"/scripts/make-deb.sh "$build")
echo "package: $deb ($(stat -c %s "$deb") bytes)"
dpkg-deb -f "$deb" Depends Recommends Section

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Only the program and its data: no tool, test, benchmark or header.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort >"$work/files"
cat >"$work/expected" <<'LIST'
./usr/bin/veldraxis-viewer
./usr/share/applications/org.veldraxis.Viewer.desktop
./usr/share/bash-completion/completions/veldraxis-viewer
./usr/share/doc/veldraxis-viewer/README.md
./usr/share/doc/veldraxis-viewer/changelog.gz
./usr/share/doc/veldraxis-viewer/copyright
./usr/share/icons/hicolor/128x128/apps/org.veldraxis.Viewer.png
./usr/share/icons/hicolor/256x256/apps/org.veldraxis.Viewer.png
./usr/share/icons/hicolor/48x48/apps/org.veldraxis.Viewer.png
./usr/share/icons/hicolor/scalable/apps/org.veldraxis.Viewer.svg
./usr/share/man/man1/veldraxis-viewer.1.gz
./usr/share/metainfo/org.veldraxis.Viewer.metainfo.xml
LIST
diff -u "$work/expected" "$work/files" || fail "the package's files differ from the list"

root=$work/root
dpkg-deb -x "$deb" "$root"
share=$root/usr/share
desktop-file-validate "$share/applications/org.veldraxis.Viewer.desktop" ||
    fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/org.veldraxis.Viewer.metainfo.xml" ||
    fail "appstreamcli validate"
manual=$(zcat "$share/man/man1/veldraxis-viewer.1.gz")
groff_messages=$(groff -ww -z -man <<<"$manual" 2>&1)
[ -z "$groff_messages" ] || fail "groff -ww: $groff_messages"
for size in 48 128 256; do
    file "$share/icons/hicolor/${size}x$size/apps/org.veldraxis.Viewer.png" |
        grep -q "PNG image data, $size x $size, 8-bit/color RGBA" || fail "the $size px icon"
done

# lintian: its whole output for the log, no error allowed.
lintian --tag-display-limit 0 "$deb" | tee "$work/lintian" || true
if grep -q '^E:' "$work/lintian"; then fail "lintian reports errors"; fi

viewer=$root/usr/bin/veldraxis-viewer
version=$(dpkg-deb -f "$deb" Version)
[ "$(env -u DISPLAY "$viewer" --version)" = "veldraxis-viewer $version" ] || fail "--version"
env -u DISPLAY "$viewer" --render "$work/demo.png" 2>/dev/null || fail "--render"
file "$work/demo.png" | grep -q "PNG image data, 960 x 720" || fail "--render wrote no picture"

# The documentation follows the program: each long option --help shows is in both.
completion=$(cat "$share/bash-completion/completions/veldraxis-viewer")
for option in $(env -u DISPLAY "$viewer" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "${option//-/\\-}" <<<"$manual" || fail "the manual page lacks $option"
    grep -qF -- "$option" <<<"$completion" || fail "the completion lacks $option"
done
echo "package checks passed"
