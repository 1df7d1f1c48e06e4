#!/usr/bin/env python3
"""End-to-end run of the modding loop: PageDown and PageUp walk a folder in natural order past a
file that is no archive, wrapping at both ends; the archive shown is replaced by a rename twice
(unedited: its own pose; edited: the pose kept) and once in place followed by F5, then removed.
Each step is checked through a saved pose or the picture.

Usage: modding_loop_e2e.py --viewer PATH --maker PATH   (on a display of its own)."""

import argparse
import os
import subprocess

import viewer_e2e as e2e
from viewer_e2e import MAIN_VIEW_BOX, MAGENTA, YELLOW, CYAN, check, main_view_at, menu_position

POSE_BYTES = 192  # one node's three matrices


def all_parts_shown(shot):
    # 1000: bone 3 turned by the angle table shows foreshortened.
    return all(shot.count_colour(MAIN_VIEW_BOX, colour) >= 1000 for colour in (MAGENTA, YELLOW,
                                                                              CYAN))


def make(s, path, *args):
    return subprocess.run([s.options.maker, *args, path], capture_output=True, text=True,
                          check=True).stdout


def wait_for_new(s, before, expected):
    """Waits until the console has grown by exactly the text expected."""
    try:
        e2e.wait_until(lambda: s.console()[len(before):] == expected, 10, repr(expected))
    except e2e.Failure:
        raise e2e.Failure(f"console added {s.console()[len(before):]!r}, expected {expected!r}")


def walk(s, key, expected):
    before = s.console()
    s.key_in_main_view(key)
    wait_for_new(s, before, expected)


def modding_loop(s):
    folder = os.path.join(s.dir, "walk")
    os.mkdir(folder)
    five, three = os.path.join(folder, "a2.bin"), os.path.join(folder, "a10.bin")
    five_lines = make(s, five, "--bones", "5")
    three_lines = make(s, three)
    with open(os.path.join(folder, "b.txt"), "w") as f:
        f.write("not an archive\n")
    skipped = f"{folder}/b.txt brings no bone and no texture: skipped\n"

    s.answer(five)
    before = s.console()
    s.menu(menu_position("Open archive"))
    wait_for_new(s, before, f"Open archive : {five}\n" + five_lines)
    s.click(e2e.SHOW_ALL_AT)
    s.expect_screen(lambda shot: shot.count_colour(MAIN_VIEW_BOX, MAGENTA) >= 3000, "Show all")

    # Natural order: a2.bin, a10.bin, b.txt. Every part was shown, so every part shows.
    walk(s, "Next", f"Next archive : {three}\n" + three_lines)
    s.expect_screen(all_parts_shown, "the walk keeps every part shown")
    check(len(s.save_pose("walk1.pose")) == 4 * POSE_BYTES, "PageDown shows a10.bin")
    walk(s, "Next", skipped + f"Next archive : {five}\n" + five_lines)
    check(len(s.save_pose("walk2.pose")) == 6 * POSE_BYTES, "PageDown wraps round to a2.bin")
    walk(s, "Prior", skipped + f"Previous archive : {three}\n" + three_lines)
    s.expect_screen(all_parts_shown, "every part still shows")
    own = s.save_pose("own.pose")
    check(len(own) == 4 * POSE_BYTES, "PageUp wraps round to a10.bin")

    # Renamed over it, unedited: the new archive's own pose (bone 3 turned), bone 2 still chosen.
    reloaded = f"Reloaded {three}\n"
    turned_file = os.path.join(folder, ".turned")
    make(s, turned_file, "--turn")
    s.click(e2e.bone_radio_at(2))
    s.expect_screen(lambda shot: shot.count_colour(e2e.AXES_OF_BONE_2, e2e.RED) >= 40,
                    "bone 2 chosen")
    before = s.console()
    os.rename(turned_file, three)
    wait_for_new(s, before, reloaded)
    s.expect_screen(lambda shot: all_parts_shown(shot) and
                    shot.count_colour(e2e.AXES_OF_BONE_2, e2e.RED) >= 40,
                    "a reload keeps the parts shown and the bone chosen")
    turned = s.save_pose("turned.pose")
    check(turned[:3 * POSE_BYTES] == own[:3 * POSE_BYTES] and turned[3 * POSE_BYTES:] != own[
        3 * POSE_BYTES:], "an unedited pose becomes the new archive's own: bone 3 turned")

    # Edited, then the first archive renamed back over it: the pose as it is now stays.
    s.drag(main_view_at(0, -80), main_view_at(30, -80))  # turns bone 2
    edited = s.save_pose("edited.pose")
    check(edited != turned, "the drag turns bone 2")
    make(s, turned_file)
    before = s.console()
    os.rename(turned_file, three)
    wait_for_new(s, before, reloaded)
    check(s.save_pose("kept.pose") == edited, "an edited pose stays through a reload")
    s.menu(menu_position("Reset pose"))
    check(s.save_pose("reset.pose") == own, "Reset pose gives the new archive's own pose")

    # Written in place, then F5: the file as it now is (the watch may have reloaded it first).
    turned_bytes = os.path.join(s.dir, "turned.archive")
    make(s, turned_bytes, "--turn")
    before = s.console()
    with open(turned_bytes, "rb") as source, open(three, "r+b") as target:
        target.truncate(0)
        target.write(source.read())
    s.key_in_main_view("F5")
    e2e.wait_until(lambda: s.console()[len(before):] in (reloaded, 2 * reloaded), 10, "F5's reload")
    check(s.save_pose("in_place.pose") == turned, "F5 shows the file written in place")

    # Removed: the model stays as it was, and one line says so.
    gone = f"{three} cannot be read: the model shown stays\n"
    os.remove(three)
    e2e.wait_until(lambda: s.console().endswith(gone), 10, repr(gone))
    check(s.save_pose("removed.pose") == turned, "the removed archive's model stays")
    s.expect_screen(all_parts_shown, "every part still shows")
    check(s.console().count(reloaded) in (3, 4) and s.console().count(gone) == 1,
          f"one line per reload: {s.console()!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--maker", required=True)
    options = parser.parse_args()
    e2e.run_case("modding_loop", modding_loop, e2e.Session(options))

if __name__ == "__main__":
    main()
