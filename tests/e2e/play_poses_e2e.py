#!/usr/bin/env python3
"""End-to-end run of "Play poses": two pose files chosen with the stub chooser play in the main
view; Space pauses, '.' and ',' step to the poses, the mouse does not edit while playing, Escape
stops on the pose shown, and Undo takes that back as one edit.

Usage: play_poses_e2e.py --viewer PATH --maker PATH   (on a display of its own)."""

import argparse
import os

import viewer_e2e as e2e
from viewer_e2e import MAIN_VIEW_BOX, MAGENTA, check, main_view_at, menu_position


def play_poses(s):
    s.click(e2e.checkbox_at(1))
    s.expect_screen(lambda shot: shot.count_colour(MAIN_VIEW_BOX, MAGENTA) >= 3000,
                    "bone 1's part appears")
    rest_view = s.shot().region(MAIN_VIEW_BOX)
    rest = s.save_pose("rest.bin")
    s.drag(main_view_at(0, -80), main_view_at(60, -80))  # the model turned by 1.5 radians
    s.expect_screen(lambda shot: shot.region(MAIN_VIEW_BOX) != rest_view, "the drag turns it")
    turned_view = s.shot().region(MAIN_VIEW_BOX)
    turned = s.save_pose("turned.bin")

    s.answer(os.path.join(s.dir, "rest.bin") + "\n" + os.path.join(s.dir, "turned.bin"))
    s.menu(menu_position("Play poses"))
    s.wait_for_chooser_calls(3)
    check("--file-selection --multiple --separator=" in s.chooser_calls(),
          f"chooser calls {s.chooser_calls()}")
    # Playing: the view moves between the two poses on its own.
    views = set()
    e2e.wait_until(lambda: views.add(b"".join(s.shot().region(MAIN_VIEW_BOX))) or len(views) >= 4,
                   10, "the view to show four pictures while playing")

    s.key_in_main_view("space")  # paused: the picture stands still
    paused = s.settle(MAIN_VIEW_BOX)
    check(all(s.shot().region(MAIN_VIEW_BOX) == paused for _ in range(3)), "Space pauses")
    s.key_in_main_view("period")
    s.key_in_main_view("period")  # from between the poses to the next, then the one after
    s.expect_screen(lambda shot: shot.region(MAIN_VIEW_BOX) in (rest_view, turned_view),
                    "'.' shows a pose file as it is")
    stepped = s.shot().region(MAIN_VIEW_BOX)
    s.key_in_main_view("comma")
    s.expect_screen(lambda shot: shot.region(MAIN_VIEW_BOX) in (rest_view, turned_view) and
                    shot.region(MAIN_VIEW_BOX) != stepped, "',' shows the other pose file")
    if s.shot().region(MAIN_VIEW_BOX) != rest_view:
        s.key_in_main_view("comma")
    s.expect_screen(lambda shot: shot.region(MAIN_VIEW_BOX) == rest_view, "',' reaches rest.bin")
    s.drag(main_view_at(0, -80), main_view_at(40, -40))  # not an edit: the save below shows it
    s.key_in_main_view("Escape")
    check(s.save_pose("stopped.bin") == rest, "Escape leaves the pose shown as the current pose")
    s.click(e2e.UNDO_AT)
    s.expect_screen(lambda shot: shot.region(MAIN_VIEW_BOX) == turned_view,
                    "Undo takes the playback back as one edit")
    check(s.save_pose("undone.bin") == turned, "after Undo the pose before playing")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--maker", required=True)
    options = parser.parse_args()
    e2e.run_case("play_poses", play_poses, e2e.Session(options))

if __name__ == "__main__":
    main()
