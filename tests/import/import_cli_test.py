#!/usr/bin/env python3
"""--import-pose, --import-model and --render --time as a user runs them, without a display: an export imported
again draws the same pictures (the demo and a posed archive); an animation imported at a time
between keys draws what --render --time draws, the sequence the viewer plays; an unedited model
comes back byte for byte, and what cannot come back writes nothing."""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED: " + message)


def run(viewer, args, cwd):
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    r = subprocess.run([viewer, *args, "--quiet"], capture_output=True, text=True, env=env,
                       cwd=cwd, timeout=120)
    check(r.returncode == 0, f"{' '.join(args)}: exit {r.returncode}, {r.stderr}")
    return r


def pixels(path):
    """The RGB rows of an 8-bit RGB PNG, as the render mode writes it."""
    data = open(path, "rb").read()
    at, idat, width, height = 8, b"", 0, 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height = struct.unpack(">II", body[:8])
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw, stride, rows, prior = zlib.decompress(idat), 3 * width, [], bytearray(3 * width)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - 3] if x >= 3 else 0
            b, c = prior[x], prior[x - 3] if x >= 3 else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        prior = line
    return rows


def differing(a, b):
    """Pixels that differ between two pictures of the same size."""
    pa, pb = pixels(a), pixels(b)
    return sum(1 for ra, rb in zip(pa, pb) for x in range(0, len(ra), 3) if ra[x:x + 3] != rb[x:x + 3])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--maker", required=True)
    o = parser.parse_args()
    d = tempfile.mkdtemp(prefix="veldraxis-import-")
    try:
        subprocess.run([o.maker, d], check=True)
        v = o.viewer
        # Export, import again, draw both: the same picture, the demo and a posed archive.
        for archive, pose in (([], []), (["model.bin"], ["--pose", "pose3.bin"])):
            run(v, ["--export", "out.glb", *pose, *archive], d)
            r = run(v, ["--import-pose", "out.glb", "back.bin", *archive], d)
            check(r.stdout == "Import pose : back.bin\n", f"import prints {r.stdout!r}")
            run(v, ["--render", "original.png", *pose, *archive], d)
            run(v, ["--render", "back.png", "--pose", "back.bin", *archive], d)
            check(differing(os.path.join(d, "original.png"), os.path.join(d, "back.png")) == 0,
                  f"{archive or 'demo'}: the imported pose draws another picture")

        # Between keys: the import's sampling of the export's animation and the sequence
        # --render --time draws agree; on a key it is that pose file's own picture.
        poses = sum([["--pose", f"pose{k}.bin"] for k in (1, 2, 3)], [])
        run(v, ["--export", "poses.glb", *poses, "model.bin"], d)
        for time in ("0.5", "1.25"):
            run(v, ["--import-pose", "poses.glb", "at.bin", "--time", time, "model.bin"], d)
            run(v, ["--render", "imported.png", "--pose", "at.bin", "model.bin"], d)
            run(v, ["--render", "played.png", *poses, "--time", time, "model.bin"], d)
            changed = differing(os.path.join(d, "imported.png"), os.path.join(d, "played.png"))
            check(changed <= 20, f"at {time} s {changed} pixels differ")
        run(v, ["--render", "played.png", *poses, "--time", "4", "model.bin"], d)  # two loops
        run(v, ["--render", "key.png", "--pose", "pose2.bin", "model.bin"], d)
        run(v, ["--render", "last.png", "--pose", "pose3.bin", "model.bin"], d)
        check(differing(os.path.join(d, "played.png"), os.path.join(d, "last.png")) == 0,
              "at 4 s, the end of two loops, the sequence does not show the last pose")
        run(v, ["--render", "played.png", *poses, "--time", "1", "model.bin"], d)
        check(differing(os.path.join(d, "played.png"), os.path.join(d, "key.png")) == 0,
              "at 1 s the sequence does not show the second pose file")

        # The model back: an unedited export gives the archive itself; refusals write nothing.
        run(v, ["--export", "model.gltf", "model.bin"], d)
        r = run(v, ["--import-model", "model.gltf", "back-model.bin", "model.bin"], d)
        check(r.stdout == "Import model : back-model.bin (0 parts changed)\n",
              f"--import-model prints {r.stdout!r}")
        same = open(os.path.join(d, "model.bin"), "rb").read() == \
            open(os.path.join(d, "back-model.bin"), "rb").read()
        check(same, "the unedited model does not come back byte for byte")
        open(os.path.join(d, "bad.glb"), "wb").write(b"glTF" + bytes(40))
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        for args, status, line in (
                (["model.gltf", "model.bin", "model.bin"], 2, None),
                (["bad.glb", "never.bin", "model.bin"], 1, "bad.glb: ")):
            r = subprocess.run([v, "--import-model", *args, "--quiet"], capture_output=True,
                               text=True, env=env, cwd=d, timeout=120)
            check(r.returncode == status, f"--import-model {args}: exit {r.returncode}")
            if line:
                check(r.stderr.startswith(line) and r.stderr.count("\n") == 1,
                      f"--import-model {args} prints {r.stderr!r}")
        check(not os.path.exists(os.path.join(d, "never.bin")), "a refused import wrote")
    finally:
        shutil.rmtree(d)
    if failures:
        sys.exit(f"{len(failures)} failures")
    print("import and playback on the command line: all checks passed")


if __name__ == "__main__":
    main()
