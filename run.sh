#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer on ARCHIVE (the built-in demo model
# when none is given). Usage: ./run.sh [ARCHIVE]
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target veldraxis-viewer
exec "$root/build/veldraxis-viewer" "$@"
