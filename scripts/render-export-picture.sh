#!/usr/bin/env bash
# Renders the README's picture of an export: the demo model written with --export, imported by
# Blender's own glTF importer and rendered from the front, so that it shows what another program
# makes of the file. Needs the Debian package blender (not needed by the build or the tests).
# Usage: scripts/render-export-picture.sh [OUTPUT.png]   (default docs/images/export.png)
set -euo pipefail
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-docs/images/export.png}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build/veldraxis-viewer --export "$work/demo.glb" >/dev/null 2>&1
cat > "$work/render.py" <<'PY'
import math
import sys

import bpy
import numpy

# Blender 3.4's importer still says numpy.bool, which Debian's numpy 1.24 no longer has.
if not hasattr(numpy, "bool"):
    numpy.bool = bool

glb, output = sys.argv[sys.argv.index("--") + 1:]
bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.import_scene.gltf(filepath=glb)
scene = bpy.context.scene

# Frame the skinned figure as it stands: glTF +Y up is Blender's +Z, the front faces -Y.
depsgraph = bpy.context.evaluated_depsgraph_get()
points = []
for obj in scene.objects:
    if obj.type == "MESH":
        evaluated = obj.evaluated_get(depsgraph)
        mesh = evaluated.to_mesh()
        points += [evaluated.matrix_world @ v.co for v in mesh.vertices]
        evaluated.to_mesh_clear()
low = [min(p[i] for p in points) for i in range(3)]
high = [max(p[i] for p in points) for i in range(3)]

width, height = 360, 640
camera = bpy.data.cameras.new("front")
camera.type = "ORTHO"
camera.ortho_scale = 1.1 * max(high[2] - low[2], (high[0] - low[0]) * height / width)
camera.clip_end = 100000
camera_object = bpy.data.objects.new("front", camera)
scene.collection.objects.link(camera_object)
camera_object.location = ((low[0] + high[0]) / 2, low[1] - 2000, (low[2] + high[2]) / 2)
camera_object.rotation_euler = (math.pi / 2, 0, 0)
scene.camera = camera_object

scene.world = bpy.data.worlds.new("background")
scene.world.color = (0.6, 0.6, 0.6)
scene.render.engine = "CYCLES"
scene.cycles.device = "CPU"
scene.cycles.samples = 16
scene.cycles.use_denoising = False
scene.render.resolution_x, scene.render.resolution_y = width, height
scene.render.filepath = output
bpy.ops.render.render(write_still=True)
PY
blender --background --factory-startup --python-exit-code 1 --python "$work/render.py" -- "$work/demo.glb" "$output" \
    >"$work/blender.log" 2>&1 || { tail -20 "$work/blender.log"; exit 1; }
echo "wrote $output"
