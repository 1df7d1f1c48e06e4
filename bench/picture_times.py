#!/usr/bin/env python3
"""Times the pictures of --render without a display: a 36-frame 512 x 512 turntable of each
archive next to 36 single --render --view main --size 512x512 runs of it in the same run (with
the WebP's size), and a batch of 100 copies of the first archive into a folder.

Usage: bench/picture_times.py VIEWER ARCHIVE...   (turntables and batches: medians of 3 runs)
"""
import os, shutil, statistics, subprocess, sys, tempfile, time

viewer, archives = sys.argv[1], sys.argv[2:]
env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}


def seconds(command, runs=1, before=lambda: None):
    times = []
    for _ in range(runs):
        before()
        start = time.perf_counter()
        subprocess.run(command, env=env, check=True)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


view = ["--view", "main", "--size", "512x512", "--fit", "--quiet"]
with tempfile.TemporaryDirectory(prefix="veldraxis-picture-times-") as work:
    for archive in archives:
        turn = os.path.join(work, "turn.webp")
        turntable = seconds([viewer, "--render", turn, "--turntable", "36", *view, archive], 3)
        single = os.path.join(work, "single.png")
        singles = seconds(["sh", "-c", 'for k in $(seq 36); do "$@" || exit 1; done', "sh",
                           viewer, "--render", single, *view, archive])
        print(f"{archive}: turntable of 36 frames {turntable:.2f} s "
              f"({os.path.getsize(turn)} bytes of WebP), 36 single runs {singles:.2f} s")

    copies, thumbs = os.path.join(work, "copies"), os.path.join(work, "thumbs")
    os.mkdir(copies)
    for k in range(100):
        shutil.copy(archives[0], os.path.join(copies, f"copy{k:03}.bin"))
    names = sorted(os.path.join(copies, n) for n in os.listdir(copies))
    batch = seconds([viewer, "--render", thumbs + "/", "--quiet", *names], 3,
                    lambda: shutil.rmtree(thumbs, ignore_errors=True))
    print(f"--render of 100 copies of {archives[0]} into a folder: {batch:.2f} s")
