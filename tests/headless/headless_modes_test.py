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
import pty
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


def frames(path, folder):
    """The animation's frames as PNG files, and each frame's duration in ms."""
    os.mkdir(folder)
    subprocess.run(["convert", path, "-coalesce", f"png:{folder}/frame%d.png"], check=True)
    count = len([n for n in os.listdir(folder) if n.startswith("frame")])
    info = subprocess.run(["webpinfo", path], capture_output=True, text=True, check=True).stdout
    durations = [int(line.split()[1]) for line in info.splitlines() if "Duration:" in line]
    return [f"{folder}/frame{k}.png" for k in range(count)], durations


def same(a, b):
    return subprocess.run(["compare", "-metric", "AE", a, b, "null:"],
                          capture_output=True).returncode == 0


def case_pictures(options, folder):
    """Each view is its place in the sheet; a fitted view at an odd size keeps its 10-pixel
    margin; a transparent background is alpha 0 exactly where an opaque one shows, in the
    texture's holes too; --no-axes leaves the axes out."""
    demo = os.path.join(folder, "demo.bin")
    subprocess.run([options.demo_maker, "--write", demo], check=True, capture_output=True)
    sheet = os.path.join(folder, "sheet.png")
    check(run(options, "--render", sheet, "--quiet", demo).returncode == 0, "sheet")
    for view, crop in [("main", "320x720+0+0"), ("side", "320x720+320+0"),
                       ("up", "320x320+640+0")]:
        alone, place = os.path.join(folder, view + ".png"), os.path.join(folder, "place.png")
        check(run(options, "--render", alone, "--view", view, "--quiet", demo).returncode == 0,
              view)
        subprocess.run(["convert", sheet, "-crop", crop, "+repage", place], check=True)
        check(same(alone, place), f"--view {view} differs from its place in the sheet")

    # The L spans x -60..60 and z -80..80: at 301 x 157 the height decides, 137 pixels for 160
    # units, and the width follows at 120 * 137 / 160 = 102.75.
    fitted = os.path.join(folder, "fitted.png")
    result = run(options, "--render", fitted, "--view", "main", "--size", "301x157", "--fit",
                 "--no-axes", "--background", "#000000", os.path.join(folder, "ell.bin"))
    check(result.returncode == 0, f"--fit: {result}")
    rgb, width = pixels(fitted)
    drawn = [(i // 3 % width, i // 3 // width) for i in range(0, len(rgb), 3) if rgb[i:i + 3] !=
             b"\0\0\0"]
    xs, ys = [x for x, _ in drawn], [y for _, y in drawn]
    check(width == 301 and (min(ys), max(ys)) == (10, 146) and (min(xs), max(xs)) == (99, 201),
          f"fitted: x {min(xs)}..{max(xs)}, y {min(ys)}..{max(ys)}")

    textured = os.path.join(folder, "textured.bin")
    looks = {}
    for background in ("#000000", "#ffffff", "transparent"):
        out = os.path.join(folder, background.strip("#") + ".png")
        result = run(options, "--render", out, "--view", "main", "--background", background,
                     "--quiet", textured)
        check(result.returncode == 0, f"--background {background}: {result}")
        looks[background] = pixels(out, "rgba")[0]
    black, white, clear = looks["#000000"], looks["#ffffff"], looks["transparent"]
    holes = 0
    for i in range(0, len(clear), 4):
        shows_background = black[i:i + 3] != white[i:i + 3]
        check(clear[i + 3] == (0 if shows_background else 255) and
              (shows_background or clear[i:i + 3] == black[i:i + 3]), f"pixel {i // 4}")
        # A hole: the background showing between drawn pixels of one row.
        holes += shows_background and black[i - 4:i - 1] == black[i + 4:i + 7] != b"\0\0\0"
    check(holes > 50, f"{holes} pixels of texture holes")

    axes, bare = os.path.join(folder, "axes.png"), os.path.join(folder, "bare.png")
    quad = os.path.join(folder, "quad.bin")
    check(run(options, "--render", axes, "--view", "up", quad).returncode == 0 and
          run(options, "--render", bare, "--view", "up", "--no-axes", quad).returncode == 0,
          "--no-axes")
    with_axes, without = pixels(axes)[0], pixels(bare)[0]
    at = lambda rgb, x, y: tuple(rgb[3 * (y * 320 + x):3 * (y * 320 + x) + 3])
    # The red x axis at world (100, 0), the green y axis at (0, 100), in the up view.
    check(at(with_axes, 260, 160) == (255, 0, 0) and at(with_axes, 159, 260) == (0, 255, 0),
          "the axes drawn")
    check(at(without, 260, 160) == CLEAR and at(without, 159, 260) == CLEAR and
          [i for i in range(0, len(without), 3) if without[i:i + 3] != with_axes[i:i + 3]],
          "--no-axes: no axes, the rest as drawn")


def case_animations(options, folder):
    """A turntable's frame 0 is the still picture and its half turn the mirror image of it
    (the L is drawn from both sides); a pose sequence's frames are --render --time at 0, 1/F,
    ..., and the end of the sequence, and of each loop, is the last pose."""
    ell, poses = os.path.join(folder, "ell.bin"), []
    for name in ("ell-a.pose", "ell-b.pose", "ell-c.pose"):
        poses += ["--pose", os.path.join(folder, name)]
    view = ["--view", "main", "--no-axes", "--quiet"]
    still = os.path.join(folder, "still.png")
    turn = os.path.join(folder, "turn.webp")
    check(run(options, "--render", still, *view, ell).returncode == 0 and
          run(options, "--render", turn, "--turntable", "4", *view, ell).returncode == 0,
          "turntable")
    shown, durations = frames(turn, os.path.join(folder, "turn"))
    check(len(shown) == 4 and durations == [83, 84, 83, 83], f"{len(shown)} {durations}")
    mirrored = os.path.join(folder, "mirrored.png")
    subprocess.run(["convert", shown[2], "-flop", mirrored], check=True)
    check(same(shown[0], still) and same(mirrored, still), "frame 0 and the half turn")

    played = os.path.join(folder, "played.webp")
    check(run(options, "--render", played, "--fps", "4", *poses, *view, ell).returncode == 0,
          "pose sequence")
    shown, durations = frames(played, os.path.join(folder, "played"))
    check(durations == [250] * 9, f"durations {durations}")
    for k, frame in enumerate(shown):
        check(run(options, "--render", still, *poses, "--time", str(k / 4), *view,
                  ell).returncode == 0 and same(frame, still), f"frame {k}")
    check(not same(shown[0], shown[4]) and not same(shown[4], shown[8]), "the pose moves")
    last = os.path.join(folder, "last.png")
    check(run(options, "--render", last, "--pose", poses[-1], *view, ell).returncode == 0 and
          same(shown[8], last), "frame 8 is the last pose")
    for time in ("4", "-2"):
        check(run(options, "--render", still, *poses, "--time", time, *view,
                  ell).returncode == 0 and same(still, last), f"--time {time}: the last pose")


def on_terminal(options, *args):
    """Runs the viewer with standard error on a terminal; its exit status and what it wrote
    there."""
    master, terminal = pty.openpty()
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    process = subprocess.Popen([options.viewer, *args], env=env, stdout=subprocess.DEVNULL,
                               stderr=terminal)
    os.close(terminal)
    written = b""
    while True:
        try:
            chunk = os.read(master, 4096)
        except OSError:  # the other end closed
            break
        if not chunk:
            break
        written += chunk
    os.close(master)
    return process.wait(timeout=120), written.decode()


def case_progress(options, folder):
    """A long animation keeps "[frame f/F] NAME" up to date on a terminal, the last frame
    shown, and clears it at the end; elsewhere it writes nothing."""
    ell = os.path.join(folder, "ell.bin")
    turn = os.path.join(folder, "turn.webp")
    args = ["--render", turn, "--turntable", "3", "--view", "main", "--quiet", ell]
    status, written = on_terminal(options, *args)
    clear = "\r\x1b[2K"
    check(status == 0 and written.startswith(f"{clear}[frame 1/3] {ell}") and
          written.endswith(f"{clear}[frame 3/3] {ell}{clear}"), f"{status} {written!r}")
    result = run(options, *args)
    check(result.returncode == 0 and result.stderr == "", f"not on a terminal: {result}")


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


def case_textures(options, folder):
    """Textures out of two archives and back: identical copies; a refusal writes nothing."""
    demo, textured = os.path.join(folder, "demo.bin"), os.path.join(folder, "textured.bin")
    subprocess.run([options.demo_maker, "--write", demo], check=True, capture_output=True)
    out = os.path.join(folder, "textures") + "/"
    result = run(options, "--extract-textures", out, demo, textured)
    check(result.returncode == 0 and result.stdout == "" and result.stderr == "", f"{result}")
    check(sorted(os.listdir(out + "textured")) ==
          ["entry3-palette0.png", "entry3-palette1.png", "entry4-palette0.png", "textures.json"],
          f"files {os.listdir(out + 'textured')}")
    for archive in (demo, textured):
        name = os.path.basename(archive)[:-4]
        copy = os.path.join(folder, name + "-copy.bin")
        result = run(options, "--replace-textures", copy, "--images", out + name, archive)
        check(result.returncode == 0 and result.stderr == "", f"{name}: {result}")
        with open(archive, "rb") as a, open(copy, "rb") as b:
            check(a.read() == b.read(), f"{name}: the copy differs from the archive")

    images = out + "demo"
    os.rename(f"{images}/entry3-palette1.png", f"{images}/entry3-palette1 (copy).png")
    refused = os.path.join(folder, "refused.bin")
    result = run(options, "--replace-textures", refused, "--images", images, demo)
    check(result.returncode == 1 and result.stderr == f"{images}/entry3-palette1 (copy).png: "
          "the name does not fit entry<E>-palette<M>.png\n", f"{result}")
    result = run(options, "--replace-textures", demo, "--images", images, demo)
    check(result.returncode == 2 and not os.path.exists(refused), f"output is input: {result}")
    with open(demo, "rb") as a, open(os.path.join(folder, "demo-copy.bin"), "rb") as b:
        check(a.read() == b.read(), "the refused runs left the archive as it was")


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
    parser.add_argument("--demo-maker")
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
