#!/usr/bin/env bash
# The model round trip with Blender as the other tool, for the README's picture: the demo
# exported with --export, imported by Blender's own glTF importer, edited there the safe way for
# Blender 3.4 (a vertex moved with the vertices that overlap it, a corner painted, a texture
# coordinate moved, a quad deleted with its vertices, a triangle added on vertices of its own),
# exported by Blender's glTF exporter with its default settings, brought back with
# --import-model and drawn with --render beside the original. An unedited pass through Blender
# must give the archive back byte for byte, and is checked first. Needs the Debian packages
# blender and python3-numpy and ImageMagick's montage (not needed by the build or the tests).
# Usage: scripts/blender-model-round-trip.sh [OUTPUT.png]   (default docs/images/blender-model.png)
set -euo pipefail
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-docs/images/blender-model.png}")
viewer=build/veldraxis-viewer
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build/tools/demo_model/make-demo-archive --write "$work/demo.bin"
"$viewer" --export "$work/demo.glb" "$work/demo.bin" --quiet >/dev/null
cat > "$work/edit.py" <<'PY'
import sys

import bmesh
import bpy
import mathutils
import numpy

# Blender 3.4's importer still says numpy.bool, which Debian's numpy 1.24 no longer has.
if not hasattr(numpy, "bool"):
    numpy.bool = bool

source, unedited, edited = sys.argv[sys.argv.index("--") + 1:]
bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.import_scene.gltf(filepath=source)
bpy.ops.export_scene.gltf(filepath=unedited, export_format="GLB")

mesh_object = next(o for o in bpy.context.scene.objects if o.type == "MESH")
groups = {g.name: g.index for g in mesh_object.vertex_groups}
mesh = mesh_object.data
bm = bmesh.new()
bm.from_mesh(mesh)
bm.verts.ensure_lookup_table()
bm.faces.ensure_lookup_table()
deform = bm.verts.layers.deform.active
uv = bm.loops.layers.uv.active
colours = bm.loops.layers.color.active or bm.loops.layers.float_color.active
if colours is None:
    colour_layer = bm.verts.layers.float_color.active or bm.verts.layers.color.active
texture_slot = next(i for i, m in enumerate(mesh.materials) if m and m.name == "texture page")


def bone_of(vert):
    weights = vert[deform]
    return max(weights.keys(), key=lambda g: weights[g])


def place(vert):
    return tuple(round(c, 3) for c in vert.co)


def faces_of(bone, textured):
    return [f for f in bm.faces if bone_of(f.verts[0]) == groups[bone] and
            (f.material_index == texture_slot) == textured]


# The mesh keeps the viewer's frame, whose front is Blender's +Z here: the face of a part that
# shows most to the front view.
def front(bone, textured):
    return max(faces_of(bone, textured), key=lambda f: f.normal.z * f.calc_area())


# A corner of the chest moved out and up, with every vertex that overlaps it (one per corner).
chest_face = front("bone 2", False)
chest = chest_face.verts[0]
for vert in [v for v in bm.verts if place(v) == place(chest)]:
    vert.co.x += 20.0
    vert.co.y -= 20.0

# Another corner of the chest painted green.
if colours is not None:
    chest_face.loops[2][colours] = (0.0, 1.0, 0.0, 1.0)
else:
    chest_face.verts[2][colour_layer] = (0.0, 1.0, 0.0, 1.0)

# A texture coordinate of the shield moved 8 texels to the right.
textured = front("bone 6", True)
textured.loops[0][uv].uv.x += 8 / 256

# A quad of the right leg deleted with its vertices: the face and the face that shares two
# places with it.
first = front("bone 10", False)
corners = {place(v) for v in first.verts}
other = next(f for f in faces_of("bone 10", False)
             if f is not first and len(corners & {place(v) for v in f.verts}) == 2)
bmesh.ops.delete(bm, geom=list(first.verts) + list(other.verts), context="VERTS")

# A triangle added on the front of the left leg, on vertices of its own, weighed on that leg.
leg = front("bone 13", False)
base = leg.calc_center_median()
added = [bm.verts.new(base + mathutils.Vector(offset)) for offset in
         ((-25, -20, 10), (25, -20, 10), (0, 30, 10))]
for vert in added:
    vert[deform][groups["bone 13"]] = 1.0
face = bm.faces.new(added)
face.material_index = leg.material_index
face.normal_update()
if face.normal.dot(leg.normal) < 0:
    face.normal_flip()
for loop in face.loops:
    if colours is not None:
        loop[colours] = (1.0, 0.5, 0.0, 1.0)
    else:
        loop.vert[colour_layer] = (1.0, 0.5, 0.0, 1.0)

bm.to_mesh(mesh)
mesh.update()
bpy.ops.export_scene.gltf(filepath=edited, export_format="GLB")
PY
blender --background --factory-startup --python-exit-code 1 --python "$work/edit.py" -- \
    "$work/demo.glb" "$work/unedited.glb" "$work/edited.glb" >"$work/blender.log" 2>&1 ||
    { tail -20 "$work/blender.log"; exit 1; }
"$viewer" --import-model "$work/unedited.glb" "$work/unedited.bin" "$work/demo.bin" --quiet
cmp "$work/unedited.bin" "$work/demo.bin"
echo "Blender's unedited round trip gives the archive back byte for byte"
"$viewer" --import-model "$work/edited.glb" "$work/edited.bin" "$work/demo.bin" --quiet
"$viewer" --render "$work/before.png" "$work/demo.bin" --quiet
"$viewer" --render "$work/after.png" "$work/edited.bin" --quiet
montage -font DejaVu-Sans -label 'before' "$work/before.png" -label 'after Blender and --import-model' \
    "$work/after.png" -tile 2x1 -geometry +4+4 "$output"
echo "wrote $output"
