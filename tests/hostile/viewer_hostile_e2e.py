#!/usr/bin/env python3
"""The real viewer against hostile archives: for each archive of one class of the fuzz corpus
(count-*, offset-*, order-*, truncated-*), every saved fuzz finding (regressions) or the archives
at the edges of their sizes (size: 65,535 bones under the root, 100,000 bones chained, 64 MiB,
written by the seed generator with --large, and a sparse 3 GiB file of zeros), start
veldraxis-viewer on it and check that all four windows come up, that it takes keys and a drag,
that it still redraws after a resize (which it does only once it has handled the keys and the
drag), and that it printed the loaders' lines for the archive that `--info` prints, no more and no less.

Class pose: one viewer on the sound model loads, through "Load matrix" (a stub chooser answers),
every pose file of the pose fuzz corpus and of its saved findings (empty, cut inside a matrix,
longer than the tree, NaN and infinity), a missing file and a folder, then saves into a folder
that does not exist; after each it must report the command and keep drawing.

Usage: viewer_hostile_e2e.py --viewer PATH --generator PATH --corpus DIR --regressions DIR CLASS
Class folder takes every file of --folder DIR instead, e.g. the inputs a fuzzing run collected
(build-fuzz/corpus/skeleton_archive).
Run on a display of its own (scripts/with-xvfb.sh).
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from viewer_e2e import pick_from_menu  # noqa: E402

TITLES = ["Veldraxis Viewer", "Side view", "Up view", "GLUI"]
CLEAR_COLOUR = (64, 128, 191)  # the views' clear colour 0.25, 0.5, 0.75
GROWN_HEIGHT = 760  # the main view is 320 x 720 at (0, 20); growing it exposes rows below 740


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


# Timeouts are multiplied by this (the sanitizer build draws a 100,000-bone chain several times
# slower than the normal build).
PATIENCE = float(os.environ.get("VELDRAXIS_E2E_PATIENCE", "1"))


def wait_until(condition, timeout, what, process):
    deadline = time.monotonic() + timeout * PATIENCE
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


def start(viewer, archive, folder, env=None):
    console_path = os.path.join(folder, "console.txt")
    with open(console_path, "w") as console:
        process = subprocess.Popen([viewer, archive], stdout=console, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, cwd=folder, env=env)
    return process, console_path


def stop(process):
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


def console_tail(console_path):
    with open(console_path) as f:
        return f.read()[-2000:]


def wait_for_windows(process):
    windows = {t: wait_until(lambda: find_window(t), 60, f"window {t}", process) for t in TITLES}
    wait_until(lambda: near(pixel(5, 25), CLEAR_COLOUR), 60, "the first frame", process)
    return windows


def expect_redraw_after_resize(window, height, process):
    """A reshape must be answered with a frame: the rows it exposes get the clear colour."""
    xdo("windowsize", window, 320, height)
    wait_until(lambda: near(pixel(100, 20 + height - 10), CLEAR_COLOUR), 10,
               "the main view to redraw after a resize", process)


def loader_lines(viewer, archive):
    """The lines the loaders print for archive, as --info shows them on its standard error; None
    when --info refuses to read it (beyond the command line's size limit)."""
    run = subprocess.run([viewer, "--info", "--json", archive], capture_output=True, text=True,
                         env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
    return run.stderr if run.returncode == 0 else None


def survive(viewer, archive, folder):
    process, console_path = start(viewer, archive, folder)
    try:
        windows = wait_for_windows(process)
        # Keys and a rotation drag in the main view (the focus follows the pointer).
        xdo("mousemove", 160, 100)
        for key in ["t", "z", "r"]:
            xdo("key", key)
        xdo("mousemove", 150, 380)
        xdo("mousedown", 1)
        xdo("mousemove", 190, 420)
        xdo("mouseup", 1)
        expect_redraw_after_resize(windows["Veldraxis Viewer"], GROWN_HEIGHT, process)
        if process.poll() is not None:
            raise Failure(f"the viewer exited with status {process.returncode}")
        for title in TITLES:
            if not find_window(title):
                raise Failure(f"window {title} is gone")
        expected = loader_lines(viewer, archive)
        with open(console_path) as f:
            printed = f.read()
        if expected is None:  # each loader refuses it unread, with the same line
            refusal = (f"{archive} is {os.path.getsize(archive)} bytes, more than the 268435456 a "
                       "model archive may have: not read\n")
            expected = refusal * max(1, printed.count(refusal))
        if printed != expected:
            raise Failure(f"the viewer printed {printed[:500]!r}, --info found {expected[:500]!r}")
    except Failure as failure:
        raise Failure(f"{failure}\n--- console (tail) ---\n{console_tail(console_path)}")
    finally:
        stop(process)


LOAD_MATRIX, SAVE_MATRIX = 3, 4  # entries of the top menu


def pose_files(options, folder):
    paths = []
    for root in (options.corpus, options.regressions):
        inputs = os.path.join(root, "pose_file")
        if os.path.isdir(inputs):
            paths += sorted(os.path.join(inputs, n) for n in os.listdir(inputs)
                            if not n.startswith("."))
    return paths + [os.path.join(folder, "missing.pose"), folder]


def survive_pose_files(options, folder):
    """Returns (checked, failures) for the pose files loaded into one viewer."""
    stub_dir = os.path.join(folder, "bin")
    os.mkdir(stub_dir)
    answer = os.path.join(stub_dir, "answer")
    with open(os.path.join(stub_dir, "zenity"), "w") as f:
        f.write(f'#!/bin/sh\ncat "{answer}"\n')
    os.chmod(os.path.join(stub_dir, "zenity"), 0o755)
    env = dict(os.environ, PATH=stub_dir + os.pathsep + os.environ.get("PATH", ""))
    archive = os.path.join(options.corpus, "skeleton_archive", "sound-model")
    process, console_path = start(options.viewer, archive, folder, env)
    failures = []
    commands = [("Load matrix", LOAD_MATRIX, path) for path in pose_files(options, folder)]
    commands.append(("Save matrix", SAVE_MATRIX, os.path.join(folder, "no", "such", "x.pose")))
    try:
        window = wait_for_windows(process)["Veldraxis Viewer"]
        for step, (command, entry, path) in enumerate(commands):
            with open(answer, "w") as f:
                f.write(path + "\n")
            line = f"{command} : {path}"
            try:
                pick_from_menu(entry)
                wait_until(lambda: line in console_tail(console_path), 10,
                           f"the line '{line}'", process)
                # Alternate the height so that every step exposes rows afresh.
                expect_redraw_after_resize(window, 700 + 40 * (step % 2), process)
                print(f"ok   {command.lower()} {os.path.basename(path) or path}")
            except Failure as failure:
                failures.append(path)
                print(f"FAIL {command.lower()} {path}: {failure}\n--- console (tail) ---\n"
                      f"{console_tail(console_path)}")
                if process.poll() is not None:
                    break
            sys.stdout.flush()
    except Failure as failure:
        failures.append("start-up")
        print(f"FAIL start-up: {failure}")
    finally:
        stop(process)
    return len(commands), len(failures)


def archives(options, scratch):
    if options.archive_class == "size":
        subprocess.run([options.generator, "--large", scratch], check=True,
                       stdout=subprocess.DEVNULL)
        # 3 GiB of zeros that take no disk: refused unread, so the viewer starts at once.
        with open(os.path.join(scratch, "size-sparse-3GiB"), "wb") as f:
            f.truncate(3 << 30)
        folder, prefix = scratch, "size-"
    elif options.archive_class == "folder":
        folder, prefix = options.folder, ""
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
    parser.add_argument("--folder", help="the archives of class folder")
    parser.add_argument("archive_class",
                        choices=["count", "offset", "order", "truncated", "regressions", "size",
                                 "pose", "folder"])
    options = parser.parse_args()
    scratch = tempfile.TemporaryDirectory(prefix="veldraxis-large-")

    if options.archive_class == "pose":
        with tempfile.TemporaryDirectory(prefix="veldraxis-hostile-") as folder:
            checked, failed = survive_pose_files(options, folder)
        print(f"{checked - failed} of {checked} hostile pose commands handled")
        return 1 if failed else 0

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
