#!/usr/bin/env python3
"""End-to-end run of the viewer on a disc image: "Open archive" on the test disc's CUE sheet shows
its first archive; PageDown and PageUp walk the disc's archives in the scan's order, wrapping at
both ends; F5 reloads the member shown; a member name given to "Open archive" opens it.

Usage: disc_walk_e2e.py --viewer PATH --maker PATH --build DIR --root DIR (on a display of its own)."""

import argparse
import os
import subprocess

import viewer_e2e as e2e
from viewer_e2e import CLEAR_COLOUR, MAIN_VIEW_BOX, check, menu_position


def model_shown(shot):
    far = lambda p: max(abs(a - b) for a, b in zip(p, CLEAR_COLOUR)) > 24
    return shot.count(MAIN_VIEW_BOX, far) >= 3000


BUTTON = (170, 204, 244)


def show_all(s):
    """Presses "Show all", found on its row: the panel's columns are as wide as the name line."""
    shot = s.shot()
    x0, y = e2e.PANEL_X, e2e.SHOW_ALL_AT[1]
    x = next(x for x in range(x0, x0 + 400)
             if all(abs(a - b) <= 8 for a, b in zip(shot.pixel(x, y), BUTTON)))
    s.click((x + 10, y))


def wait_for_line(s, before, line):
    e2e.wait_until(lambda: line in s.console()[len(before):], 10, repr(line))


def shown_after(s, key, line):
    before = s.console()
    s.key_in_main_view(key)
    wait_for_line(s, before, line)
    s.expect_screen(model_shown, f"the model after {line!r}, every part shown")
    return s.settle(MAIN_VIEW_BOX)


def disc_walk(s):
    disc = os.path.join(s.dir, "disc")
    subprocess.run([os.path.join(s.options.root, "scripts", "make-test-disc.sh"),
                    s.options.build, disc], check=True)
    cue = os.path.join(disc, "game.cue")
    s.answer(cue)
    before = s.console()
    s.menu(menu_position("Open archive"))
    wait_for_line(s, before, f"Open archive : {cue}\n")
    show_all(s)
    s.expect_screen(model_shown, "Show all shows the disc's first archive")
    hero = s.settle(MAIN_VIEW_BOX)

    knight = shown_after(s, "Next", f"Next archive : {cue}/CHR/KNIGHT.BIN\n")
    check(knight != hero, "PageDown shows the second archive, in another pose")
    pack = shown_after(s, "Next", f"Next archive : {cue}/DATA/PACK.DAT@0x1000\n")
    check(pack not in (hero, knight), "the third archive lies inside the pack")
    check(shown_after(s, "Prior", f"Previous archive : {cue}/CHR/KNIGHT.BIN\n") == knight,
          "PageUp shows the second archive again")
    shown_after(s, "Prior", f"Previous archive : {cue}/CHR/HERO.BIN\n")
    shown_after(s, "Prior", f"Previous archive : {cue}/@0x6b000\n")
    shown_after(s, "Next", f"Next archive : {cue}/CHR/HERO.BIN\n")

    # F5 reads the member again; a member named in "Open archive" opens that one.
    before = s.console()
    s.key_in_main_view("F5")
    wait_for_line(s, before, f"Reloaded {cue}/CHR/HERO.BIN\n")
    s.answer(f"{cue}/DATA/PACK.DAT@0x4800")
    before = s.console()
    s.menu(menu_position("Open archive"))
    wait_for_line(s, before, f"Open archive : {cue}/DATA/PACK.DAT@0x4800\n")
    before = s.console()
    s.key_in_main_view("Next")
    wait_for_line(s, before, f"Next archive : {cue}/@0x6b000\n")
    check("skipped" not in s.console(), f"no archive of the disc is passed over: {s.console()!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--maker", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--root", required=True)
    options = parser.parse_args()
    e2e.run_case("disc_walk", disc_walk, e2e.Session(options, archive=False))


if __name__ == "__main__":
    main()
