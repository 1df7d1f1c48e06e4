#!/usr/bin/env python3
"""End-to-end run of following the archive shown without inotify (taken away by the no_inotify
preload): one line says how it is followed, and a write in place of the same size and a rename
over it are each reloaded once.

Usage: no_inotify_e2e.py --viewer PATH --maker PATH --preload PATH init|watches
(on a display of its own)."""

import argparse
import os
import subprocess

import viewer_e2e as e2e


def followed_by_checking(s):
    archive = s.archive
    line = f"{archive}: followed by checking it every second (no inotify)\n"
    e2e.wait_until(lambda: line in s.console(), 10, repr(line))
    own = s.save_pose("own.pose")
    turned = os.path.join(s.dir, ".turned")
    subprocess.run([s.options.maker, "--turn", turned], capture_output=True, check=True)
    e2e.check(os.path.getsize(turned) == os.path.getsize(archive), "the same size")
    reloaded = f"Reloaded {archive}\n"
    with open(turned, "rb") as source, open(archive, "r+b") as target:
        target.write(source.read())  # in place: the inode and size stay, the times move
    e2e.wait_until(lambda: s.console().count(reloaded) == 1, 10, "the write's reload")
    e2e.check(s.save_pose("turned.pose") != own, "the file written in place is shown")
    subprocess.run([s.options.maker, turned], capture_output=True, check=True)
    os.rename(turned, archive)
    e2e.wait_until(lambda: s.console().count(reloaded) == 2, 10, "the rename's reload")
    e2e.check(s.save_pose("back.pose") == own, "the file renamed over it is shown")
    e2e.check(s.console().count(line) == 1, f"one line: {s.console()!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--maker", required=True)
    parser.add_argument("--preload", required=True)
    parser.add_argument("how", choices=["init", "watches"])
    options = parser.parse_args()
    # A sanitizer's run-time would otherwise insist on coming first.
    env = {"LD_PRELOAD": options.preload, "NO_INOTIFY": options.how,
           "ASAN_OPTIONS": os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0"}
    e2e.run_case("no_inotify_" + options.how, followed_by_checking,
                 e2e.Session(options, env=env))


if __name__ == "__main__":
    main()
