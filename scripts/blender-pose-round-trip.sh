#!/usr/bin/env bash
# The round trip with Blender as the other tool, for the README's picture: the demo exported
# with --export, imported by Blender's own glTF importer, posed there (the figure turned, the
# head bowed, the sword arm raised), exported by Blender's glTF exporter, brought back
# with --import-pose and drawn with --render. Needs the Debian packages blender and
# python3-numpy (not needed by the build or the tests).
# Usage: scripts/blender-pose-round-trip.sh [OUTPUT.png]   (default docs/images/blender-pose.png)
set -euo pipefail
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-docs/images/blender-pose.png}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build/veldraxis-viewer --export "$work/demo.glb" >/dev/null 2>&1
cat > "$work/pose.py" <<'PY'
import math
import sys

import bpy
import numpy

# Blender 3.4's importer still says numpy.bool, which Debian's numpy 1.24 no longer has.
if not hasattr(numpy, "bool"):
    numpy.bool = bool

source, target = sys.argv[sys.argv.index("--") + 1:]
bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.import_scene.gltf(filepath=source)
armature = next(o for o in bpy.context.scene.objects if o.type == "ARMATURE")
print("bones:", [b.name for b in armature.pose.bones])
turns = {"root": (0, 0, 35), "bone 2": (30, 0, 0), "bone 5": (0, 0, -70), "bone 8": (0, 45, 0)}
for name, degrees in turns.items():
    bone = armature.pose.bones.get(name)
    if bone is None:
        continue
    bone.rotation_mode = "XYZ"
    bone.rotation_euler = tuple(math.radians(d) for d in degrees)
bpy.context.view_layer.update()
bpy.ops.export_scene.gltf(filepath=target, export_format="GLB", export_animations=False, export_current_frame=True,
                          export_skins=True)
PY
blender --background --factory-startup --python-exit-code 1 --python "$work/pose.py" -- \
    "$work/demo.glb" "$work/posed.glb" >"$work/blender.log" 2>&1 || { tail -20 "$work/blender.log"; exit 1; }
grep '^bones:' "$work/blender.log"
build/veldraxis-viewer --import-pose "$work/posed.glb" "$work/blender-pose.bin" --quiet
build/veldraxis-viewer --render "$output" --pose "$work/blender-pose.bin" --quiet
echo "wrote $output"
