#!/usr/bin/env bash
# Installs the package on a fresh Debian 12 made with mmdebstrap in a folder, as a user would
# (apt-get install ./DEB, without recommended packages, so that Depends alone must be enough),
# runs the program from PATH without a display, then removes it and lists any file of it left
# behind. Needs root, mmdebstrap and a Debian mirror.
#   scripts/try-deb-in-debian12.sh DEB [FOLDER]   (FOLDER: build-debian12, made when missing)
set -euo pipefail
deb=$(realpath "$1")
root=$(realpath -m "${2:-build-debian12}")
[ -d "$root/usr" ] || mmdebstrap --variant=apt --mode=root bookworm "$root" http://deb.debian.org/debian
cp "$deb" "$root/tmp/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
name=$(basename "$deb")
chroot "$root" sh -euc "
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -q --no-install-recommends /tmp/$name >/tmp/install.log
    grep -E 'newly installed|Need to get|After this' /tmp/install.log || true
    cd /tmp
    command -v veldraxis-viewer
    unset DISPLAY
    veldraxis-viewer --version
    veldraxis-viewer --render demo.png 2>/dev/null
    veldraxis-viewer --export demo.glb 2>/dev/null
    ls -l demo.png demo.glb
    dpkg -L veldraxis-viewer >/tmp/files
    apt-get remove -y -qq veldraxis-viewer >/dev/null
    left=0
    while read -r f; do
        if [ -e \"\$f\" ] && ! dpkg -S \"\$f\" >/dev/null 2>&1; then echo \"left behind: \$f\"; left=1; fi
    done </tmp/files
    [ \$left -eq 0 ] && echo 'removed: no file of the package left'
"
