#!/usr/bin/env python3
"""The disc modes (--scan, --extract, --patch-image) and the archive modes on members of a disc
image, run as a user runs them, on the test disc that scripts/make-test-disc.sh makes.

Usage: disc_modes_test.py --viewer PATH --build DIR --root DIR CASE
CASE is one of the functions named case_*.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(options, *args, cwd, stdin=None):
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    return subprocess.run([options.viewer, *args], env=env, capture_output=True, cwd=cwd,
                          stdin=stdin, timeout=120)


def text(result):
    return result.stdout.decode(errors="replace"), result.stderr.decode(errors="replace")


SCAN = """\
game.cue/CHR/HERO.BIN          archive       12464  14 bones, 1 texture
game.cue/CHR/KNIGHT.BIN        archive       12464  14 bones, 1 texture
game.cue/DATA/PACK.DAT@0x1000  archive       12492  14 bones, 1 texture
game.cue/DATA/PACK.DAT@0x40cc  tim             608  4-bit 32 x 32, 2 palettes
game.cue/DATA/PACK.DAT@0x4800  archive       12476  14 bones, 1 texture
game.cue/DATA/PACK.DAT@0x78bc  tim            1044  16-bit 32 x 16
game.cue/UI/FONT.TIM           tim            2208  8-bit 64 x 32, 1 palette
game.cue/UI/TITLE.TIM          tim            3476  24-bit 48 x 24
game.cue/@0x6b000              archive       14336  14 bones, 1 texture
5 archives and 4 TIM images found in 1 source
"""


def case_scan(options, disc):
    """The text listing and the JSON array name every item so that the name opens it; the
    2048-byte image and the raw one list the same items."""
    out, err = text(run(options, "--scan", "game.cue", cwd=disc))
    check(out == SCAN and err == "", f"--scan:\n{out}{err}")
    out, _ = text(run(options, "--scan", "game.iso", cwd=disc))
    check(out == SCAN.replace("game.cue", "game.iso"), f"--scan of the ISO side:\n{out}")
    result = run(options, "--scan", "--json", "game.cue", cwd=disc)
    items = json.loads(result.stdout)
    check(len(items) == 9 and result.returncode == 0, f"--json: {items}")
    check(items[0] == {"name": "game.cue/CHR/HERO.BIN", "kind": "archive", "size": 12464,
                       "bones": 14, "textures": 1, "sector": 32}, f"first item {items[0]}")
    check(items[3] == {"name": "game.cue/DATA/PACK.DAT@0x40cc", "kind": "tim", "size": 608,
                       "bpp": 4, "width": 32, "height": 32, "palettes": 2, "sector": 54},
          f"the loose TIM {items[3]}")
    check(items[7]["palettes"] == 0 and items[8]["sector"] == 0x6b000 // 2048, f"{items[7:]}")
    # A folder of its own files: the same items, named by their paths on disk.
    folder = os.path.join(disc, "tree")
    os.makedirs(os.path.join(folder, "sub"))
    shutil.copy(os.path.join(disc, "game.cue"), os.path.join(folder, "sub"))
    shutil.copy(os.path.join(disc, "game.bin"), os.path.join(folder, "sub"))
    out, _ = text(run(options, "--scan", "tree", cwd=disc))
    check(out.splitlines()[0].startswith("tree/sub/game.cue/CHR/HERO.BIN "), out)


def case_members(options, disc):
    """A member, an item at an offset and an item in unclaimed sectors open wherever an archive
    is taken; an image stands for all of its archives; folder outputs are named after the
    member's path."""
    for name in ["game.cue/CHR/KNIGHT.BIN", "game.cue/chr/knight.bin",
                 "game.cue/DATA/PACK.DAT@0x4800", "game.cue/@0x6b000"]:
        result = run(options, "--info", "--json", "--quiet", name, cwd=disc)
        check(result.returncode == 0, f"--info {name}: {text(result)}")
        report = json.loads(result.stdout)
        check(report["archive"] == name and len(report["bones"]) == 14, f"{name}: {report}")
    # The member's bytes are those of the file on the disc.
    result = run(options, "--export", "out/", "--quiet", "game.cue", cwd=disc)
    check(result.returncode == 0, f"--export of the image: {text(result)}")
    check(sorted(os.listdir(os.path.join(disc, "out"))) ==
          ["@0x6b000.glb", "CHR-HERO.glb", "CHR-KNIGHT.glb", "DATA-PACK.DAT@0x1000.glb",
           "DATA-PACK.DAT@0x4800.glb"], f"outputs {os.listdir(os.path.join(disc, 'out'))}")
    # A container inside the image stands for its archives.
    out, _ = text(run(options, "--info", "--json", "--quiet", "game.cue/DATA/PACK.DAT",
                      cwd=disc))
    check([json.loads(line)["archive"] for line in out.splitlines()] ==
          ["game.cue/DATA/PACK.DAT@0x1000", "game.cue/DATA/PACK.DAT@0x4800"], out)
    for name, line in [("game.cue/NOPE.BIN", "game.cue/NOPE.BIN: not on the disc"),
                       ("game.cue/CHR", "game.cue/CHR: a folder, not a file"),
                       ("game.cue/CHR/HERO.BIN@0x44",
                        "game.cue/CHR/HERO.BIN@0x44: nothing found at 0x44")]:
        result = run(options, "--info", name, cwd=disc)
        check(result.returncode == 1 and text(result)[1] == line + "\n",
              f"--info {name}: {text(result)}")
    with open(os.path.join(disc, "game.iso"), "rb") as image:
        result = run(options, "--info", "-", cwd=disc, stdin=image)
    check(result.returncode == 1 and "cannot be read from standard input" in text(result)[1],
          f"an image on standard input: {text(result)}")


def case_extract(options, disc):
    """Every item is written at its path, byte for byte, with its pictures; nothing found is a
    failure that writes nothing."""
    result = run(options, "--extract", "ex", "game.cue", cwd=disc)
    check(result.returncode == 0, f"--extract: {text(result)}")
    files = sorted(os.path.relpath(os.path.join(d, f), os.path.join(disc, "ex"))
                   for d, _, names in os.walk(os.path.join(disc, "ex")) for f in names)
    check(files == ["@0x6b000.bin", "CHR/HERO.BIN", "CHR/KNIGHT.BIN",
                    "DATA/PACK.DAT@0x1000.bin", "DATA/PACK.DAT@0x40cc-palette0.png",
                    "DATA/PACK.DAT@0x40cc-palette1.png", "DATA/PACK.DAT@0x40cc.tim",
                    "DATA/PACK.DAT@0x4800.bin", "DATA/PACK.DAT@0x78bc.png",
                    "DATA/PACK.DAT@0x78bc.tim", "UI/FONT.TIM", "UI/FONT.png", "UI/TITLE.TIM",
                    "UI/TITLE.png"], f"files {files}")
    tree = os.path.join(disc, "content")
    for member in ["CHR/HERO.BIN", "UI/FONT.TIM"]:
        with open(os.path.join(disc, "ex", member), "rb") as a, \
                open(os.path.join(tree, member), "rb") as b:
            check(a.read() == b.read(), f"{member} is not the file on the disc")
    kinds = {name: subprocess.run(["identify", "-format", "%[type] %z", os.path.join(disc, "ex", name)],
                                  capture_output=True, text=True).stdout
             for name in ["UI/FONT.png", "UI/TITLE.png", "DATA/PACK.DAT@0x78bc.png"]}
    check(kinds["UI/TITLE.png"].endswith(" 8") and "Palette" in kinds["UI/FONT.png"],
          f"picture types {kinds}")
    with open(os.path.join(disc, "random.dat"), "wb") as f:
        f.write(os.urandom(1 << 16))
    result = run(options, "--extract", "none", "random.dat", cwd=disc)
    check(result.returncode == 1 and text(result)[1] == "Nothing found: nothing written\n" and
          not os.path.exists(os.path.join(disc, "none")), f"nothing found: {text(result)}")


def case_patch(options, disc):
    """A member replaced on the disc is read back from the new image; everything else stays;
    outputs that are inputs, and files too big, are refused without writing."""
    knight = os.path.join(disc, "content", "CHR", "KNIGHT.BIN")
    result = run(options, "--patch-image", "mod.cue", "game.cue", "CHR/HERO.BIN", knight,
                 cwd=disc)
    check(result.returncode == 0 and text(result)[0] == "Patch image : mod.cue\n",
          f"--patch-image: {text(result)}")
    check(open(os.path.join(disc, "mod.cue")).read().startswith('FILE "mod.bin" BINARY'),
          "the new sheet names mod.bin")
    out = run(options, "--extract", "back", "mod.cue", cwd=disc)
    with open(os.path.join(disc, "back", "CHR", "HERO.BIN"), "rb") as a, open(knight, "rb") as b:
        check(a.read() == b.read(), "the patched member reads back as the new file")
    listing = subprocess.run(["iso-info", "-i", os.path.join(disc, "game.iso"), "-l"],
                             capture_output=True, text=True).stdout
    check("hero.bin" in listing, f"iso-info reads the 2048-byte side:\n{listing}")
    # The game's sheet and track stay as they were.
    result = run(options, "--patch-image", "game.cue", "game.cue", "CHR/HERO.BIN", knight,
                 cwd=disc)
    check(result.returncode == 2, f"an output that is the input: {text(result)}")
    with open(os.path.join(disc, "big.bin"), "wb") as f:
        f.write(bytes(40000))
    result = run(options, "--patch-image", "big.cue", "game.cue", "game.cue/CHR/HERO.BIN",
                 "big.bin", cwd=disc)
    check(result.returncode == 1 and "CHR/HERO.BIN: 25664 bytes too big" in text(result)[1] and
          not os.path.exists(os.path.join(disc, "big.cue")), f"too big: {text(result)}")
    # A TIM takes back the PNG --extract made of it.
    run(options, "--extract", "ex", "game.cue", cwd=disc)
    result = run(options, "--patch-image", "tim.cue", "game.cue", "UI/FONT.TIM",
                 "ex/UI/FONT.png", cwd=disc)
    check(result.returncode == 0, f"a PNG for a TIM: {text(result)}")
    with open(os.path.join(disc, "game.bin"), "rb") as a, \
            open(os.path.join(disc, "tim.bin"), "rb") as b:
        check(a.read() == b.read(), "the unedited PNG gives the image back byte for byte")


def case_hostile(options, disc):
    """Sheets naming missing files, formats not read yet, random sheets: one line each."""
    with open(os.path.join(disc, "lost.cue"), "w") as f:
        f.write('FILE "gone.bin" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n')
    result = run(options, "--scan", "lost.cue", cwd=disc)
    check(result.returncode == 1 and "gone.bin" in text(result)[1] and
          len(text(result)[1].splitlines()) == 1, f"a missing track: {text(result)}")
    with open(os.path.join(disc, "game.chd"), "wb") as f:
        f.write(b"MComprHD" + bytes(200))
    result = run(options, "--info", "game.chd", cwd=disc)
    check(result.returncode == 1 and "not read yet" in text(result)[1], f"CHD: {text(result)}")
    # A track cut in the middle of a sector still gives what lies in whole sectors.
    with open(os.path.join(disc, "game.bin"), "rb") as f:
        cut = f.read()[:2352 * 60 + 1000]
    with open(os.path.join(disc, "cut.bin"), "wb") as f:
        f.write(cut)
    out, _ = text(run(options, "--scan", "cut.bin", cwd=disc))
    check("cut.bin/CHR/HERO.BIN " in out, f"a cut track:\n{out}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("case")
    options = parser.parse_args()
    with tempfile.TemporaryDirectory() as disc:
        subprocess.run([os.path.join(options.root, "scripts", "make-test-disc.sh"),
                        options.build, disc], check=True)
        subprocess.run([os.path.join(options.build, "tools", "disc_content",
                                     "make-disc-content"), os.path.join(disc, "content")],
                       check=True)
        try:
            globals()["case_" + options.case](options, disc)
        except Failure as failure:
            print(f"FAILED: {failure}")
            return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
