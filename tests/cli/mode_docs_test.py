#!/usr/bin/env python3
"""The built manual page and shell completion against the program: the same modes, and for each
mode exactly the long options its --help lists.

Usage: mode_docs_test.py VIEWER MANUAL COMPLETION
"""

import os
import re
import subprocess
import sys

viewer, manual_path, completion_path = sys.argv[1:]
env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}


def helped(*args):
    return subprocess.run([viewer, *args], env=env, capture_output=True, text=True,
                          check=True).stdout


modes = re.findall(r"^  veldraxis-viewer (--[a-z-]+) ", helped("--help"), re.M)
manual = open(manual_path).read().replace("\\-", "-")
completion = open(completion_path).read()
synopses = dict(re.findall(r"^\.SY veldraxis-viewer\n\.B (--[a-z-]+)\n(.*?)^\.YS", manual,
                           re.M | re.S))
cases = dict(re.findall(r"^ +(--[a-z-]+)\) options='([^']*)'", completion, re.M))
listed = re.search(r"local modes='([^']*) --help --version'", completion).group(1).split()

failures = []
if list(synopses) != modes or list(cases) != modes or listed != modes:
    failures.append(f"modes: --help {modes}, manual {list(synopses)}, completion {list(cases)}, "
                    f"{listed}")
for mode in modes:
    options = set(re.findall(r"^  (?:-h,)?(--[a-z-]+)", helped(mode, "--help"), re.M))
    in_manual = set(re.findall(r"--[a-z-]+", synopses.get(mode, ""))) | {"--help"}
    in_completion = set(cases.get(mode, "").split())
    if in_manual != options or in_completion != options:
        failures.append(f"{mode}: --help {sorted(options)}, manual {sorted(in_manual)}, "
                        f"completion {sorted(in_completion)}")
print("\n".join(failures) or f"{len(modes)} modes agree")
sys.exit(1 if failures else 0)
