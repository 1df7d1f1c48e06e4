#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Works as root or through sudo.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    googletest libgtest-dev libbenchmark-dev
    freeglut3-dev libglu1-mesa-dev libgl-dev libgl1-mesa-dri
    libimgui-dev libstb-dev libboost-dev
    libegl-dev libegl-mesa0 nlohmann-json3-dev
    xvfb xdotool x11-apps imagemagick fonts-dejavu-core python3
    clang-14 libclang-rt-14-dev
    libtinygltf-dev nlohmann-json3-dev assimp-utils nodejs libcli11-dev
    libpng-dev zlib1g-dev libwebp-dev webp
    ccache dpkg-dev lintian desktop-file-utils appstream groff-base file
    genisoimage python3-pycdlib libcdio-utils linux-perf
)
# npm runs the glTF validator's install; some node packagings ship it inside nodejs.
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
