#!/usr/bin/env python3
"""Tests of the modes that need no display (--render, --texture, --info), run as a user runs
them, with DISPLAY unset.

Usage: headless_modes_test.py --viewer PATH --maker PATH [--corpus DIR...] CASE
CASE is one of the functions named case_*.
"""

import argparse
import hashlib
import json
import os
import subprocess
import sys
import tempfile

CLEAR = (64, 128, 191)
MAGENTA = (254, 0, 254)  # a colour byte b draws as b / 256


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(options, *args):
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    return subprocess.run([options.viewer, *args], env=env, capture_output=True, text=True,
                          errors="replace", timeout=120)


def pixels(path, channels="rgb"):
    """The image's pixels as bytes, and its width."""
    data = subprocess.run(["convert", path, "-depth", "8", f"{channels}:-"],
                          capture_output=True, check=True).stdout
    width = int(subprocess.run(["identify", "-format", "%w", path], capture_output=True,
                               text=True, check=True).stdout)
    return data, width


def case_geometry(options, folder):
    """The quad centred at world (-90, -90, -90) shows where each view's set-up puts it, and
    the sheet keeps the clear colour below the up view."""
    sheet = os.path.join(folder, "quad.png")
    result = run(options, "--render", sheet, os.path.join(folder, "quad.bin"))
    check(result.returncode == 0 and result.stdout == "", f"--render: {result}")
    rgb, width = pixels(sheet)
    check(width == 960 and len(rgb) == 960 * 720 * 3, f"sheet size {width}, {len(rgb)} bytes")
    at = lambda x, y: tuple(rgb[3 * (y * 960 + x):3 * (y * 960 + x) + 3])

    # World (x, y, z) in each view: main (160 + x, 360 + z), side at x 320 (160 - y, 360 + z),
    # up at x 640 (160 + x, 160 + y).
    def places(x, y, z):
        return [(160 + x, 360 + z), (320 + 160 - y, 360 + z), (640 + 160 + x, 160 + y)]

    u, v = (30, -30, 0), (30, 30, 60)
    point = lambda s, t: tuple(-90 + s * a + t * b for a, b in zip(u, v))
    for s, t in [(0, 0), (0.5, 0.5), (-0.5, 0.5), (0.5, -0.5), (-0.5, -0.5)]:
        for view, (x, y) in enumerate(places(*map(round, point(s, t)))):
            check(at(x, y) == MAGENTA, f"view {view}: {at(x, y)} at {(x, y)} for {(s, t)}")
    for s in (-1.5, 1.5):
        for view, (x, y) in enumerate(places(*map(round, point(s, 0)))):
            check(at(x, y) == CLEAR, f"view {view}: {at(x, y)} beside the quad at {(x, y)}")
    check(all(at(x, y) == CLEAR for x in range(640, 960, 7) for y in range(320, 720, 7)),
          "below the up view: the clear colour")


def case_texture(options, folder):
    page = os.path.join(folder, "page.png")
    result = run(options, "--texture", page, os.path.join(folder, "textured.bin"))
    check(result.returncode == 0 and result.stdout == "", f"--texture: {result}")
    with open(page, "rb") as f:
        check(f.read(26)[25] == 6, "colour type RGBA")
    rgba, width = pixels(page, "rgba")
    with open(os.path.join(folder, "textured.page.rgba"), "rb") as f:
        expected = f.read()
    check(width == 256 and rgba == expected, "the PNG holds exactly the page decoded in memory")
    check(0 in rgba[3::4] and 255 in rgba[3::4], "transparent and opaque texels")
    demo = os.path.join(folder, "demo-page.png")
    check(run(options, "--texture", demo).returncode == 0 and os.path.exists(demo), "demo page")


def case_info(options, folder):
    archive = os.path.join(folder, "textured.bin")
    result = run(options, "--info", "--json", archive)
    check(result.returncode == 0, f"--info --json: {result}")
    report = json.loads(result.stdout)
    with open(os.path.join(folder, "textured.expect.json")) as f:
        expect = json.load(f)
    check(report["archive"] == archive and report["fileSize"] == os.path.getsize(archive),
          "archive and size")
    check([e["uses"] for e in report["entries"]] ==
          [["skeleton section"], ["other"], ["angle table"], ["TIM image"], ["TIM image"],
           ["other"]], f"entries {report['entries']}")
    check(sum(e["size"] for e in report["entries"]) + 4 + 4 * 6 == report["fileSize"],
          "entry sizes cover the file")
    keys = ["id", "parent", "length", "angleRaw", "polygons", "inTree"]
    check([{k: b[k] for k in keys} for b in report["bones"]] == expect["bones"],
          f"bones {report['bones']}")
    check([round(b["angleRadians"], 6) for b in report["bones"]] == [0.0, 1.57082, -3.14164],
          "angles in radians as the loader prints them")
    check(report["bonesLeftOut"] == [3], f"left out {report['bonesLeftOut']}")
    textures = report["textures"]
    check([{k: t[k] for k in ("width", "height", "palettes")} for t in textures] ==
          expect["textures"], f"textures {textures}")
    check([(t["entry"], t["decoded"], t["pageRows"], t["pageColumns"]) for t in textures] ==
          [(3, True, 128, 64), (4, True, 32, 16)], f"page places {textures}")
    check(textures[0]["overwrites"] == [] and
          textures[1]["overwrites"] == [{"entry": 3, "pixels": 512}], "overwrites")
    check(report["problems"] == [], f"problems {report['problems']}")

    text = run(options, "--info", archive)
    check(text.returncode == 0 and "Bones: 3, 1 left out" in text.stdout and
          "overwrites 512 pixels of entry 3" in text.stdout, f"text account:\n{text.stdout}")
    check("Texture offset :" in text.stderr, "the loaders' lines on standard error")
    demo = run(options, "--info", "--json")
    check(demo.returncode == 0 and json.loads(demo.stdout)["archive"] is None and
          demo.stderr.startswith("No archive given"), "demo account")


def case_exits(options, folder):
    """Usage errors give 2, unreadable or unwritable files 1 with a line naming them; several
    archives go into a folder and a bad one does not stop the others."""
    missing = os.path.join(folder, "missing.bin")
    for args in [["--render"], ["--render", "--pose"], ["--texture"],
                 ["--texture", "a.png", "b.bin", "c.bin"], ["--info", "--xml"]]:
        result = run(options, *args)
        check(result.returncode == 2 and result.stderr and result.stdout == "",
              f"{args}: {result.returncode} {result.stderr!r}")
    for args in [["--info", missing], ["--texture", os.path.join(folder, "t.png"), missing],
                 ["--render", os.path.join(folder, "r.png"), missing], ["--info", folder]]:
        result = run(options, *args)
        check(result.returncode == 1 and args[-1] in result.stderr,
              f"{args}: {result.returncode} {result.stderr!r}")
    unwritable = os.path.join(folder, "no-such-folder", "page.png")
    result = run(options, "--texture", unwritable)
    check(result.returncode == 1 and unwritable in result.stderr, f"unwritable: {result}")
    result = run(options, "--render", os.path.join(folder, "r.png"), "--pose", missing)
    check(result.returncode == 1 and missing in result.stderr, f"missing pose: {result}")

    sheets = os.path.join(folder, "sheets") + "/"
    result = run(options, "--render", sheets, os.path.join(folder, "quad.bin"), missing,
                 os.path.join(folder, "textured.bin"))
    check(result.returncode == 1 and missing in result.stderr, f"several: {result}")
    check(sorted(os.listdir(sheets)) == ["quad.png", "textured.png"],
          f"pictures {os.listdir(sheets)}")


def case_batch(options, folder):
    """Standard input gives the same account and loader lines as the path; several archives give
    JSON Lines; --version and a mode's --help answer without a display."""
    archive = os.path.join(folder, "textured.bin")
    by_path = run(options, "--info", "--json", archive)
    with open(archive, "rb") as f:
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        piped = subprocess.run([options.viewer, "--info", "--json", "-"], stdin=f, env=env,
                               capture_output=True, text=True, timeout=120)
    check(piped.returncode == 0 and piped.stderr == by_path.stderr,
          f"standard input: {piped.returncode} {piped.stderr!r}")
    expect = json.loads(by_path.stdout)
    expect["archive"] = "-"
    check(json.loads(piped.stdout) == expect, "standard input: the same account")
    lines = run(options, "--info", "--json", "--quiet", archive, archive).stdout.splitlines()
    check(len(lines) == 2 and all(json.loads(line) == json.loads(by_path.stdout) for line in lines),
          f"JSON Lines: {lines!r}")
    version = run(options, "--version")
    check(version.returncode == 0 and version.stdout.startswith("veldraxis-viewer ") and
          len(version.stdout.splitlines()) == 1, f"--version: {version}")
    helped = run(options, "--render", "--help")
    check(helped.returncode == 0 and "--pose" in helped.stdout and not
          os.path.exists("--help"), f"--render --help: {helped}")


def case_hostile(options, folder):
    """Every hostile archive of the fuzz corpus: an account and a page, exit 0 or 1, never a
    crash."""
    seen = set()
    files = []
    for corpus in options.corpus:
        for root, _, names in os.walk(corpus):
            for name in sorted(names):
                path = os.path.join(root, name)
                with open(path, "rb") as f:
                    digest = hashlib.sha1(f.read()).hexdigest()
                if digest not in seen:
                    seen.add(digest)
                    files.append(path)
    check(len(files) > 20, f"corpus of {len(files)} files")
    page = os.path.join(folder, "hostile.png")
    for path in files:
        info = run(options, "--info", "--json", path)
        check(info.returncode in (0, 1), f"--info {path}: {info.returncode} {info.stderr[-400:]}")
        if info.returncode == 0:
            json.loads(info.stdout)
        texture = run(options, "--texture", page, path)
        check(texture.returncode in (0, 1),
              f"--texture {path}: {texture.returncode} {texture.stderr[-400:]}")
        check(info.stdout or info.stderr, f"--info {path}: no account")
        check(texture.returncode == 0 or path in texture.stderr, f"--texture {path}: no reason")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--maker", required=True)
    parser.add_argument("--corpus", action="append", default=[])
    parser.add_argument("case")
    options = parser.parse_args()
    case = globals().get("case_" + options.case)
    if not case:
        sys.exit(f"unknown case {options.case}")
    with tempfile.TemporaryDirectory(prefix="veldraxis-headless-") as folder:
        subprocess.run([options.maker, folder], check=True)
        try:
            case(options, folder)
        except Failure as failure:
            print(f"FAILED {options.case}: {failure}")
            sys.exit(1)
    print(f"passed {options.case}")


if __name__ == "__main__":
    main()
