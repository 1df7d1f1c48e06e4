#!/usr/bin/env python3
"""Times --extract-textures and --replace-textures on each archive given, next to a plain cp of
the archive in the same run, and checks that the unchanged round trip gives the same bytes.

Usage: bench/texture_file_times.py VIEWER ARCHIVE...   (medians of 15 runs, whole processes)
"""
import os, shutil, statistics, subprocess, sys, tempfile, time

viewer, archives = sys.argv[1], sys.argv[2:]
env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}


def median_ms(command, before=lambda: None):
    times = []
    for _ in range(15):
        before()
        start = time.perf_counter()
        subprocess.run(command, env=env, check=True)
        times.append(1000 * (time.perf_counter() - start))
    return statistics.median(times)


with tempfile.TemporaryDirectory(prefix="veldraxis-texture-times-") as work:
    for archive in archives:
        images, copy = os.path.join(work, "images") + "/", os.path.join(work, "copy.bin")
        extract = median_ms([viewer, "--extract-textures", images, archive],
                            lambda: shutil.rmtree(images, ignore_errors=True))
        replace = median_ms([viewer, "--replace-textures", copy, "--images", images, archive])
        plain = median_ms(["cp", archive, os.path.join(work, "cp.bin")])
        with open(archive, "rb") as a, open(copy, "rb") as b:
            same = a.read() == b.read()
        files = len([f for f in os.listdir(images) if f.endswith(".png")])
        print(f"{archive}: {os.path.getsize(archive)} bytes, {files} PNG files: extract "
              f"{extract:.1f} ms, replace {replace:.1f} ms, cp {plain:.1f} ms; "
              f"round trip identical: {same}")
