#!/usr/bin/env python3
"""The --export mode as a user runs it, without a display: the demo model, the export test
archive and a three-pose animation pass the Khronos glTF Validator with no error or warning
and open in assimp; the refusals print one line, exit 1 and write nothing."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED: " + message)


def run(args, cwd):
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    return subprocess.run(args, capture_output=True, text=True, env=env, cwd=cwd, timeout=120)


def main():
    parser = argparse.ArgumentParser()
    for option in ("--viewer", "--maker", "--validator", "--validate-script"):
        parser.add_argument(option, required=True)
    o = parser.parse_args()
    if not os.path.isdir(os.path.join(o.validator, "node_modules", "gltf-validator")):
        sys.exit(f"the glTF validator is missing in {o.validator}: "
                 f"run scripts/install-gltf-validator.sh {o.validator} (test.sh does)")
    if not shutil.which("assimp"):
        sys.exit("assimp is missing: install assimp-utils (scripts/install-deps.sh)")
    d = tempfile.mkdtemp(prefix="veldraxis-export-")
    try:
        subprocess.run([o.maker, d], check=True)
        model = os.path.join(d, "model.bin")
        poses = [os.path.join(d, f"pose{k}.bin") for k in (1, 2, 3)]
        good = [("demo.glb", []), ("demo.gltf", []), ("model.glb", [model]),
                ("model.gltf", ["--pose", poses[1], model]),
                ("poses.glb", sum([["--pose", p] for p in poses], []) + [model])]
        for out, args in good:
            r = run([o.viewer, "--export", out, *args], d)
            check(r.returncode == 0, f"{out}: exit {r.returncode}, {r.stderr}")
            check(r.stdout == f"Export glTF : {out}\n", f"{out}: standard output {r.stdout!r}")
            v = subprocess.run(["node", o.validate_script, o.validator, os.path.join(d, out)],
                               capture_output=True, text=True)
            print(v.stdout, end="")
            check(v.returncode == 0, f"{out}: the validator reports errors or warnings")
            a = subprocess.run(["assimp", "info", os.path.join(d, out)], capture_output=True,
                               text=True)
            check(a.returncode == 0 and "Importing file ...                   OK" in a.stdout,
                  f"{out}: assimp cannot open it: {a.stdout[-300:]} {a.stderr[-300:]}")
            expect_animation = "Animations:         1" if out == "poses.glb" else \
                "Animations:         0"
            check(expect_animation in a.stdout, f"{out}: assimp sees {expect_animation!r}")

        missing = os.path.join(d, "missing.bin")
        refusals = [
            (["refused.glb", "--pose", os.path.join(d, "nan.bin"), model], 1,
             f"{d}/nan.bin: record 3 of 6 holds a value that is not a finite number\n"),
            (["refused.glb", missing], 1, f"{missing}: No such file or directory\n"),
            (["refused.glb", "--pose", missing, model], 1,
             f"{missing}: No such file or directory\n"),
            ([os.path.join(d, "no-such-folder", "refused.glb"), model], 1,
             f"Cannot export {d}/no-such-folder/refused.glb: No such file or directory\n"),
        ]
        for args, status, line in refusals:
            r = run([o.viewer, "--export", *args], d)
            check(r.returncode == status, f"{args}: exit {r.returncode}")
            check(r.stdout == "", f"{args}: standard output {r.stdout!r}")
            check(r.stderr.endswith(line) and line in r.stderr.splitlines(keepends=True)[-1],
                  f"{args}: last line {r.stderr[-300:]!r}, expected {line!r}")
        check(not os.path.exists(os.path.join(d, "refused.glb")), "a refusal writes nothing")
        check(sorted(os.listdir(d)) == sorted(["model.bin", "nan.bin", *map(os.path.basename, poses),
                                               *[out for out, _ in good]]),
              f"no temporary file left: {sorted(os.listdir(d))}")
        for args in (["out.obj"], [], ["out.glb", "--pose"], ["out.glb", "a", "b"]):
            r = run([o.viewer, "--export", *args], d)
            check(r.returncode == 2 and "--help" in r.stderr, f"usage error {args}: {r.returncode}")
    finally:
        shutil.rmtree(d, ignore_errors=True)
    if failures:
        sys.exit(f"{len(failures)} export checks failed")
    print("export command line: all checks passed")


if __name__ == "__main__":
    main()
