#!/usr/bin/env python3
"""The real viewer against hostile archives: for each archive of one class of the fuzz corpus
(count-*, offset-*, order-*, truncated-*), every saved fuzz finding (regressions) or the archives
at the edges of their sizes (size: 65,535 bones under the root, 100,000 bones chained, 64 MiB;
written by the seed generator with --large), start
veldraxis-viewer on it and check that all four windows come up, that it takes keys and a drag,
that it still redraws after a resize, and that it is alive a second later.

Usage: viewer_hostile_e2e.py --viewer PATH --generator PATH --corpus DIR --regressions DIR CLASS
Run on a display of its own (scripts/with-xvfb.sh).
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time

TITLES = ["Veldraxis Viewer", "Side view", "Up view", "GLUI"]
CLEAR_COLOUR = (64, 128, 191)  # the views' clear colour 0.25, 0.5, 0.75
GROWN_HEIGHT = 760  # the main view is 320 x 720 at (0, 20); growing it exposes rows below 740
NEWLY_SHOWN = (100, 20 + GROWN_HEIGHT - 10)


class Failure(Exception):
    pass


def xdo(*args):
    result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    return result.stdout.strip() if result.returncode == 0 else None


def find_window(title):
    ids = xdo("search", "--name", f"^{title}$")
    return ids.split()[0] if ids else None


def pixel(x, y):
    rgb = subprocess.run(["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "-depth", "8",
                          "rgb:-"], capture_output=True, check=True).stdout
    return tuple(rgb[:3])


def near(colour, expected, tolerance=8):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def wait_until(condition, timeout, what, process):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if process.poll() is not None:
            raise Failure(f"the viewer exited with status {process.returncode} while waiting "
                          f"for {what}")
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(0.1)


def survive(viewer, archive, folder):
    console_path = os.path.join(folder, "console.txt")
    with open(console_path, "w") as console:
        process = subprocess.Popen([viewer, archive], stdout=console, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, cwd=folder)
    try:
        windows = {t: wait_until(lambda: find_window(t), 60, f"window {t}", process)
                   for t in TITLES}
        time.sleep(0.5)
        # Keys and a rotation drag in the main view (the focus follows the pointer).
        xdo("mousemove", 160, 100)
        time.sleep(0.1)
        for key in ["t", "z", "r"]:
            xdo("key", key)
        xdo("mousemove", 150, 380)
        xdo("mousedown", 1)
        xdo("mousemove", 190, 420)
        xdo("mouseup", 1)
        # A reshape must be answered with a frame: the rows it exposes get the clear colour.
        xdo("windowsize", windows["Veldraxis Viewer"], 320, GROWN_HEIGHT)
        wait_until(lambda: near(pixel(*NEWLY_SHOWN), CLEAR_COLOUR), 10,
                   "the main view to redraw after a resize", process)
        time.sleep(1.0)
        if process.poll() is not None:
            raise Failure(f"the viewer exited with status {process.returncode}")
        for title in TITLES:
            if not find_window(title):
                raise Failure(f"window {title} is gone")
    except Failure as failure:
        with open(console_path) as f:
            tail = f.read()[-2000:]
        raise Failure(f"{failure}\n--- console (tail) ---\n{tail}")
    finally:
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        # Let the windows go before the next viewer looks for its own.
        deadline = time.monotonic() + 5
        while find_window(TITLES[0]) and time.monotonic() < deadline:
            time.sleep(0.1)


def archives(options, scratch):
    if options.archive_class == "size":
        subprocess.run([options.generator, "--large", scratch], check=True,
                       stdout=subprocess.DEVNULL)
        folder, prefix = scratch, "size-"
    elif options.archive_class == "regressions":
        folder = os.path.join(options.regressions, "skeleton_archive")
        prefix = ""
    else:
        folder = os.path.join(options.corpus, "skeleton_archive")
        prefix = options.archive_class + "-"
    if not os.path.isdir(folder):
        return []
    return sorted(os.path.join(folder, name) for name in os.listdir(folder)
                  if name.startswith(prefix) and not name.startswith("."))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--regressions", required=True)
    parser.add_argument("--generator", required=True)
    parser.add_argument("archive_class",
                        choices=["count", "offset", "order", "truncated", "regressions", "size"])
    options = parser.parse_args()
    scratch = tempfile.TemporaryDirectory(prefix="veldraxis-large-")

    paths = archives(options, scratch.name)
    if not paths and options.archive_class != "regressions":
        print(f"no {options.archive_class} archives in {options.corpus}")
        return 1
    failed = 0
    for path in paths:
        with tempfile.TemporaryDirectory(prefix="veldraxis-hostile-") as folder:
            started = time.monotonic()
            try:
                survive(options.viewer, path, folder)
                print(f"ok   {os.path.basename(path)} ({time.monotonic() - started:.1f} s)")
            except Failure as failure:
                failed += 1
                print(f"FAIL {os.path.basename(path)}: {failure}")
            sys.stdout.flush()
    print(f"{len(paths) - failed} of {len(paths)} hostile archives survived")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
