#!/usr/bin/env bash
# Installs the Khronos glTF Validator (npm package gltf-validator, one pinned version) into the
# folder given, for the export checks. Usage: scripts/install-gltf-validator.sh FOLDER
set -euo pipefail
version=2.0.0-dev.3.10
folder=${1:?usage: $0 FOLDER}
installed=$folder/node_modules/gltf-validator/package.json
if [ -f "$installed" ] && grep -q "\"version\": \"$version\"" "$installed"; then exit 0; fi
echo "Installing gltf-validator@$version into $folder"
if ! command -v npm >/dev/null || ! command -v node >/dev/null; then
    echo "Cannot install the glTF validator: node and npm are missing (scripts/install-deps.sh)" >&2
    exit 1
fi
mkdir -p "$folder"
if ! npm install --prefix "$folder" --no-audit --no-fund --loglevel=error "gltf-validator@$version"; then
    echo "Cannot install the glTF validator gltf-validator@$version from the npm registry" >&2
    exit 1
fi
