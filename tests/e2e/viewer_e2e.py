#!/usr/bin/env python3
"""End-to-end tests of veldraxis-viewer, driven as a user drives it: xdotool moves the pointer,
clicks and types; screenshots (ImageMagick's import) show what the views and the panel show;
a stub `zenity` first on PATH answers the file dialogs.

Usage: viewer_e2e.py --viewer PATH --maker PATH CASE   (run on a display of its own, e.g. under
scripts/with-xvfb.sh). CASE is one of the functions named case_*.
"""

import argparse
import ctypes
import json
import math
import os
import pty
import shutil
import struct
import subprocess
import sys
import tempfile
import termios
import time

# Window layout of the viewer (title, x, y, width, height).
VIEWS = [("Veldraxis Viewer", 0, 20, 320, 720), ("Side view", 330, 20, 320, 720),
         ("Up view", 660, 20, 320, 320)]
PANEL_X, PANEL_Y = 660, 370

# Places inside the panel window (its own coordinates): the check box and the radio button of
# row r (0 = root, r = bone r; below the line naming the archive), the mouse-mode radio buttons,
# and the buttons under them.
def checkbox_at(row):
    return PANEL_X + 22, PANEL_Y + 54 + 23 * row

def bone_radio_at(row):
    return PANEL_X + 50, PANEL_Y + 54 + 23 * row

def mode_radio_at(mode):
    return PANEL_X + 125, PANEL_Y + 18 + 23 * mode

QUIT_AT = (PANEL_X + 132, PANEL_Y + 87)
SHOW_ALL_AT, HIDE_ALL_AT = (PANEL_X + 132, PANEL_Y + 110), (PANEL_X + 132, PANEL_Y + 133)
UNDO_AT, REDO_AT = (PANEL_X + 132, PANEL_Y + 156), (PANEL_X + 132, PANEL_Y + 179)

# The top menu's entries in order (positions count from 1).
MENU = ["Mouse mode", "Init matrix", "Load matrix", "Save matrix", "Export glTF", "Reset pose",
        "Open archive", "Fit views", "Extract textures", "Play poses", "Reload archive",
        "Next archive", "Previous archive", "Save picture"]

# What the stub chooser is called with, per command: the title names it, its files and all files.
POSE_FILTERS = " --file-filter=Pose files | *.pose *.bin --file-filter=All files | *"
SAVE_CALL = "--file-selection --save --title=Save matrix" + POSE_FILTERS
LOAD_CALL = "--file-selection --title=Load matrix" + POSE_FILTERS
EXPORT_CALL = ("--file-selection --save --title=Export glTF --file-filter=glTF (.glb, .gltf) | "
               "*.glb *.gltf --file-filter=All files | *")

PICTURE_CALL = ("--file-selection --save --title=Save picture --file-filter=PNG pictures | *.png "
                "--file-filter=All files | *")

def menu_position(entry):
    return MENU.index(entry) + 1

# In the main view one world unit is one pixel: world (x, z) shows at window (160 + x, 360 + z).
def main_view_at(x, z):
    return 160 + x, 20 + 360 + z

MAGENTA, YELLOW, CYAN, RED = (255, 0, 255), (255, 255, 0), (0, 255, 255), (255, 0, 0)
CLEAR_COLOUR = (64, 128, 191)  # the views' clear colour 0.25, 0.5, 0.75
MAIN_VIEW_BOX = (0, 20, 320, 740)
AXES_OF_BONE_2 = (262, 575, 316, 586)  # the red axis of bone 2, whose origin is at z 200
SELECTED_RADIO_BLUE = lambda p: p[2] > 200 and p[0] < 120 and 100 < p[1] < 200


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def xdo(*args):
    result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    return result.stdout.strip() if result.returncode == 0 else None


class Shot:
    """One screenshot of the whole screen as raw RGB."""

    def __init__(self):
        size = xdo("getdisplaygeometry").split()
        self.width, self.height = int(size[0]), int(size[1])
        self.rgb = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                                  capture_output=True, check=True).stdout

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.rgb[i:i + 3])

    def count(self, box, match):
        x0, y0, x1, y1 = box
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if match(self.pixel(x, y)))

    def count_colour(self, box, colour, tolerance=8):
        return self.count(box, lambda p: all(abs(a - b) <= tolerance for a, b in zip(p, colour)))

    def region(self, box):
        x0, y0, x1, y1 = box
        return [self.rgb[3 * (y * self.width + x0):3 * (y * self.width + x1)]
                for y in range(y0, y1)]

    def save(self, path):
        subprocess.run(["convert", "-size", f"{self.width}x{self.height}", "-depth", "8",
                        "rgb:-", path], input=self.rgb, check=True)


def wait_until(condition, timeout=10.0, message="condition"):
    """Polls condition (which returns a true value when met) until timeout; returns its value.
    Every wait of these tests is one of these: on a window, a file, a console line or a picture,
    never on a fixed time."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {message}")
        time.sleep(0.1)


def menus_shown():
    """How many of GLUT's menu windows are mapped."""
    ids = xdo("search", "--onlyvisible", "--name", "^freeglut menu$")
    return len(ids.split()) if ids else 0


def pick_from_menu(*positions):
    """Opens the right-button menu in the main view and picks the entry at positions (1-based,
    one per menu level: the submenu opens to the right of its entry). Each step waits for the
    menu it points into to be mapped, and the pick for every menu to close."""
    x, y = 60, 60
    xdo("mousemove", x, y)
    xdo("click", 3)
    wait_until(lambda: menus_shown() == 1, 10, "the menu to open")
    menu_x, menu_y = x, y
    for level, position in enumerate(positions):
        entry = (menu_x + 40, menu_y + 12 + 25 * (position - 1))  # 25 pixels an entry
        xdo("mousemove", entry[0] - 2, entry[1])
        xdo("mousemove", *entry)
        if level + 1 < len(positions):
            wait_until(lambda: menus_shown() == level + 2, 10, "the submenu to open")
            menu_x, menu_y = menu_x + 126, entry[1] - 12  # the submenu beside the entry
    xdo("click", 1)
    wait_until(lambda: menus_shown() == 0, 10, "the menu to close")


class Session:
    """A running viewer with a private directory holding the stub chooser and pose files."""

    def __init__(self, options, archive=True, maker_args=(), glut_args=(), chooser=True,
                 env=None):
        self.options = options
        self.dir = tempfile.mkdtemp(prefix="veldraxis-e2e-")
        self.archive = os.path.join(self.dir, "model.bin")
        self.expected_console = ""
        if archive:
            made = subprocess.run([options.maker, *maker_args, self.archive],
                                  capture_output=True, text=True, check=True)
            self.expected_console = made.stdout
        self.stub_dir = os.path.join(self.dir, "bin")
        os.mkdir(self.stub_dir)
        stub = os.path.join(self.stub_dir, "zenity")
        with open(stub, "w") as f:  # the call is recorded once the answer is read
            f.write('#!/bin/sh\nd="$(dirname "$0")"\nanswer="$(cat "$d/answer")"\n'
                    'status="$(cat "$d/status")"\nprintf "%s\\n" "$*" >> "$d/calls"\n'
                    '[ -z "$answer" ] || printf "%s\\n" "$answer"\nexit "$status"\n')
        os.chmod(stub, 0o755)
        self.answer("", 1)
        extra = env or {}  # the viewer's own, not the tools'
        env = dict(os.environ, PATH=self.stub_dir + os.pathsep + os.environ.get("PATH", ""))
        env.update(extra)
        if not chooser:  # no chooser program anywhere on PATH: the console asks
            os.remove(stub)
            env["PATH"] = self.stub_dir
        self.stdout_path = os.path.join(self.dir, "console.txt")
        self.stdout = open(self.stdout_path, "w")
        self.stderr_path = os.path.join(self.dir, "stderr.txt")  # GLUT's and sanitizer reports
        self.stderr = open(self.stderr_path, "w")
        args = [options.viewer, *glut_args] + ([self.archive] if archive else [])
        # Standard input is a terminal, as when started from a console: without a chooser the
        # console asks there. What the test types goes in through the terminal's other end.
        master, terminal = pty.openpty()
        attributes = termios.tcgetattr(terminal)
        attributes[3] &= ~termios.ECHO
        termios.tcsetattr(terminal, termios.TCSANOW, attributes)
        self.keyboard = os.fdopen(master, "wb", buffering=0)
        self.process = subprocess.Popen(args, stdout=self.stdout, stderr=self.stderr,
                                        stdin=terminal, env=env, cwd=self.dir)
        os.close(terminal)
        self.windows = {}
        for title in [v[0] for v in VIEWS] + ["GLUI"]:
            self.windows[title] = wait_until(lambda: self.find_window(title), 20,
                                             f"window {title}")
        # First frames: the main view's clear colour and the panel's light background. A slow
        # build (the sanitizers) may take seconds after the windows appear.
        wait_until(lambda: self.first_frames_shown(Shot()), 20, "the first frames")

    @staticmethod
    def first_frames_shown(shot):
        clear = shot.pixel(5, 25)
        panel = shot.pixel(PANEL_X + 3, PANEL_Y + 3)
        return all(abs(a - b) <= 8 for a, b in zip(clear, CLEAR_COLOUR)) and min(panel) > 150

    def find_window(self, title):
        ids = xdo("search", "--name", f"^{title}$")
        return ids.split()[0] if ids else None

    def geometry(self, title):
        text = xdo("getwindowgeometry", self.windows[title])
        position = text.split("Position: ")[1].split()[0].split(",")
        size = text.split("Geometry: ")[1].split()[0].split("x")
        return int(position[0]), int(position[1]), int(size[0]), int(size[1])

    def answer(self, path, status=0):
        """The stub chooser's next answers: path (a line) and its exit status."""
        with open(os.path.join(self.stub_dir, "answer"), "w") as f:
            f.write(path + "\n" if path else "")
        with open(os.path.join(self.stub_dir, "status"), "w") as f:
            f.write(str(status))

    def chooser_calls(self):
        try:
            with open(os.path.join(self.stub_dir, "calls")) as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def console(self):
        with open(self.stdout_path) as f:
            return f.read()

    def errors(self):
        with open(self.stderr_path) as f:
            return f.read()

    # The pointer, keys and buttons reach the viewer in the order they are sent, so the input
    # helpers do not wait: what follows waits for the effect it needs.
    def click(self, at, button=1):
        xdo("mousemove", at[0], at[1])
        xdo("click", button)

    def key_in_main_view(self, key):
        xdo("mousemove", 160, 100)  # with no window manager the focus follows the pointer
        xdo("key", key)

    def drag(self, start, end):
        xdo("mousemove", *start)
        xdo("mousedown", 1)
        xdo("mousemove", *end)
        xdo("mouseup", 1)

    def menu(self, *positions):
        pick_from_menu(*positions)

    def wait_for_chooser_calls(self, count):
        """Waits until the chooser has been asked count times in all (and has read its answer)."""
        wait_until(lambda: len(self.chooser_calls()) >= count, 10, f"chooser call {count}")

    def save_pose(self, name):
        path = os.path.join(self.dir, name)
        self.answer(path)
        self.menu(menu_position("Save matrix"))
        wait_until(lambda: os.path.exists(path), 10, f"pose file {name}")  # renamed in whole
        with open(path, "rb") as f:
            return f.read()

    def load_pose(self, name):
        path = os.path.join(self.dir, name)
        line = f"Load matrix : {path}\n"
        before = self.console().count(line)
        self.answer(path)
        self.menu(menu_position("Load matrix"))
        wait_until(lambda: self.console().count(line) > before, 10, f"the line {line!r}")

    def settle(self, box):
        """The picture in box once two screenshots running show it alike: for checks that
        something stands still."""
        shots = [Shot().region(box)]

        def alike():
            shots.append(Shot().region(box))
            return shots[-1] == shots[-2] and shots[-1]
        return wait_until(alike, 10, "the picture to stand still")

    def shot(self):
        return Shot()

    def expect_screen(self, predicate, message, timeout=8.0):
        """Waits until a screenshot satisfies predicate: a loaded machine may draw late."""
        deadline = time.monotonic() + timeout
        while not predicate(Shot()):
            if time.monotonic() > deadline:
                raise Failure(message)
            time.sleep(0.2)

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.keyboard.close()
        self.stdout.close()
        self.stderr.close()
        shutil.rmtree(self.dir, ignore_errors=True)


def matrices(pose):
    """The 16-float matrices of a pose file, three per node."""
    return [struct.unpack_from("<16f", pose, offset) for offset in range(0, len(pose), 64)]


def identity(**elements):
    m = [1.0 if k in (0, 5, 10, 15) else 0.0 for k in range(16)]
    for key, value in elements.items():
        m[int(key[1:])] = value
    return m


def f32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def expect_matrix(actual, expected, what, tolerance=0.0):
    for k, (a, e) in enumerate(zip(actual, expected)):
        check(abs(a - e) <= tolerance, f"{what}: element {k} is {a}, expected {e}")


def expect_initial_pose(pose, what):
    """Root: three identities; bones 1, 2, 3 (file order root, 1, 2, 3): identity user and pose,
    bone offset with the bone's length in element 14."""
    check(len(pose) == 4 * 192, f"{what}: {len(pose)} bytes, expected 768")
    m = matrices(pose)
    for node, length in enumerate([0, 200, 0, 0]):
        expect_matrix(m[3 * node], identity(), f"{what} node {node} user")
        expect_matrix(m[3 * node + 1], identity(), f"{what} node {node} pose")
        offset = identity(e14=float(length)) if node else identity()
        expect_matrix(m[3 * node + 2], offset, f"{what} node {node} offset")


def mode_shown(shot):
    """The mouse mode whose radio button the panel shows selected (None if not exactly one)."""
    shown = [mode for mode in range(3)
             if shot.count((mode_radio_at(mode)[0] - 6, mode_radio_at(mode)[1] - 6,
                            mode_radio_at(mode)[0] + 7, mode_radio_at(mode)[1] + 7),
                           SELECTED_RADIO_BLUE) > 30]
    return shown[0] if len(shown) == 1 else None


# ---- cases -------------------------------------------------------------------------------------

def case_windows(s):
    for title, x, y, width, height in VIEWS:
        check(s.geometry(title) == (x, y, width, height),
              f"{title}: geometry {s.geometry(title)}, expected {(x, y, width, height)}")
    x, y, width, height = s.geometry("GLUI")
    check((x, y) == (PANEL_X, PANEL_Y), f"GLUI at {(x, y)}")
    # Sized to its controls: the name, four rows of the panel, the modes and five buttons.
    check(150 <= width <= 320 and 150 <= height <= 230, f"GLUI size {(width, height)}")
    check(s.console() == s.expected_console,
          f"console {s.console()!r}, expected the loaders' lines {s.expected_console!r}")
    s.expect_screen(lambda shot: shot.count_colour(MAIN_VIEW_BOX, RED) > 100,
                    "the world axes show")
    check(s.shot().count_colour(MAIN_VIEW_BOX, MAGENTA) == 0, "parts start hidden")


def case_scroll(s):
    """Sixty bones: the panel is as tall as the screen allows and scrolls to the last bone."""
    screen_height = int(xdo("getdisplaygeometry").split()[1])
    wait_until(lambda: s.geometry("GLUI")[3] > 200, 10, "the panel to fit its rows")
    x, y, width, height = s.geometry("GLUI")
    check(height < 60 * 23 and y + height <= screen_height, f"GLUI size {(width, height)}")
    check(height > 400, f"GLUI uses the screen's height: {height}")
    xdo("mousemove", PANEL_X + 100, PANEL_Y + 200)
    panel = (PANEL_X, PANEL_Y, PANEL_X + width, PANEL_Y + height)
    unscrolled = s.shot().region(panel)
    for _ in range(40):
        xdo("click", 5)  # wheel down
    wait_until(lambda: s.settle(panel) != unscrolled, 10, "the panel to scroll")
    # Scrolled to the end, the last row sits just above the bottom edge.
    s.click((PANEL_X + 22, PANEL_Y + height - 19))
    s.expect_screen(lambda shot: shot.count_colour(MAIN_VIEW_BOX, MAGENTA) >= 3000,
                    "the last bone's check box shows its part")


def case_demo(s):
    check(s.console().startswith("No archive given: showing the built-in demo model\n"),
          f"console starts {s.console()[:80]!r}")
    for title, x, y, width, height in VIEWS:
        check(s.geometry(title) == (x, y, width, height), f"{title}: {s.geometry(title)}")
    usage = subprocess.run([s.options.viewer, "--help"], capture_output=True, text=True)
    check(usage.returncode == 0 and usage.stdout.startswith("Usage:"), "--help")
    # The demo opens with every part shown: most of the main view is model, not background.
    background = lambda p: all(abs(a - b) <= 8 for a, b in zip(p, (64, 128, 191)))
    check(s.shot().count(MAIN_VIEW_BOX, lambda p: not background(p)) > 20000,
          "the demo's parts show at once")


def case_checkbox(s):
    s.click(checkbox_at(1))
    s.expect_screen(lambda shot: shot.count_colour(MAIN_VIEW_BOX, MAGENTA) >= 3000,
                    "bone 1's part appears")
    shot = s.shot()
    check(shot.count_colour(MAIN_VIEW_BOX, YELLOW) == 0, "bone 2's part stays hidden")
    x, y = main_view_at(-70, 50)
    check(shot.pixel(x, y) == MAGENTA or shot.count_colour((x - 2, y - 2, x + 3, y + 3), MAGENTA),
          "bone 1's part where it belongs")
    s.click(checkbox_at(1))
    s.expect_screen(lambda shot: shot.count_colour(MAIN_VIEW_BOX, MAGENTA) == 0,
                    "a second click hides it")
    s.click(checkbox_at(3))
    s.expect_screen(lambda shot: shot.count_colour(MAIN_VIEW_BOX, CYAN) >= 3000,
                    "bone 3's part appears")


def case_radio(s):
    check(s.shot().count_colour(AXES_OF_BONE_2, RED) == 0, "no axes at bone 2 at first")
    s.click(bone_radio_at(2))
    s.expect_screen(lambda shot: shot.count_colour(AXES_OF_BONE_2, RED) >= 40,
                    "bone 2 selected shows its axes")
    s.click(bone_radio_at(0))
    s.expect_screen(lambda shot: shot.count_colour(AXES_OF_BONE_2, RED) == 0,
                    "root selected: axes gone from bone 2")


def case_save_load(s):
    initial = s.save_pose("initial.bin")
    expect_initial_pose(initial, "initial")
    s.click(checkbox_at(1))
    s.expect_screen(lambda shot: shot.count_colour(MAIN_VIEW_BOX, MAGENTA) >= 3000,
                    "bone 1's part appears")
    before = s.shot().region(MAIN_VIEW_BOX)

    s.drag(main_view_at(0, -80), main_view_at(40, -80))  # 40 pixels right: -1 radian about Z
    s.expect_screen(lambda shot: shot.region(MAIN_VIEW_BOX) != before, "the drag turns the model")
    turned = s.save_pose("turned.bin")
    check(len(turned) == 768, "turned pose size")
    m = matrices(turned)
    z = identity(e0=f32(math.cos(1)), e5=f32(math.cos(1)), e1=f32(-math.sin(1)),
                 e4=f32(math.sin(1)))
    expect_matrix(m[1], z, "root pose after the drag", 1e-6)
    expect_matrix(m[0], identity(), "root user after the drag")
    check(turned[192:] == initial[192:], "the bones' own matrices are unchanged")

    s.load_pose("initial.bin")
    s.expect_screen(lambda shot: shot.region(MAIN_VIEW_BOX) == before, "loading restores the view")
    check(s.save_pose("restored.bin") == initial, "loading restores every matrix")
    d = s.dir
    expected = [f"Save matrix : {d}/initial.bin", f"Save matrix : {d}/turned.bin",
                f"Load matrix : {d}/initial.bin", f"Save matrix : {d}/restored.bin"]
    lines = s.console().splitlines()[len(s.expected_console.splitlines()):]
    check(lines == expected, f"console {lines}")
    check(s.chooser_calls() == [SAVE_CALL] * 2 + [LOAD_CALL, SAVE_CALL],
          f"chooser calls {s.chooser_calls()}")


def case_cancel(s):
    s.drag(main_view_at(0, -80), main_view_at(30, -60))
    turned = s.save_pose("turned.bin")
    console = s.console()
    s.answer(os.path.join(s.dir, "never.bin"), 1)  # the user cancels
    s.menu(4)
    s.menu(3)
    s.wait_for_chooser_calls(3)
    s.answer("", 0)  # an empty answer is a cancellation as well
    s.menu(3)
    s.wait_for_chooser_calls(4)
    check(s.save_pose("after.bin") == turned, "a cancelled load changes nothing")
    check(not os.path.exists(os.path.join(s.dir, "never.bin")), "a cancelled save writes nothing")
    added = s.console()[len(console):]
    check(added == f"Save matrix : {s.dir}/after.bin\n", f"cancelling prints nothing: {added!r}")
    check(len(s.chooser_calls()) == 5, f"chooser calls {s.chooser_calls()}")


def case_export(s):
    """The fifth menu entry exports the model as it now stands."""
    s.drag(main_view_at(0, -80), main_view_at(40, -80))  # -1 radian about Z for the root
    path = os.path.join(s.dir, "posed.glb")
    s.answer(path)
    s.menu(5)
    wait_until(lambda: os.path.exists(path), 10, "the exported file")
    with open(path, "rb") as f:
        data = f.read()
    check(data[:4] == b"glTF" and struct.unpack("<I", data[8:12])[0] == len(data), "a .glb file")
    doc = json.loads(data[20:20 + struct.unpack("<I", data[12:16])[0]])
    names = [node["name"] for node in doc["nodes"]]
    check(names == ["model", "root", "bone 1", "bone 2", "bone 3", "mesh"], f"nodes {names}")
    root = doc["nodes"][1]["rotation"]  # the drag's turn about z: (0, 0, -sin 0.5, cos 0.5)
    check(abs(root[2] + math.sin(0.5)) < 1e-5 and abs(root[3] - math.cos(0.5)) < 1e-5,
          f"root rotation {root}")
    console = s.console()
    s.answer(os.path.join(s.dir, "never.glb"), 1)  # cancelled
    s.menu(5)
    s.wait_for_chooser_calls(2)
    s.save_pose("after.bin")  # the menu opens once the cancelled export has returned
    check(not os.path.exists(os.path.join(s.dir, "never.glb")), "a cancelled export writes nothing")
    lines = console.splitlines()[len(s.expected_console.splitlines()):]
    check(lines == [f"Export glTF : {path}"], f"console {lines}")
    check(s.console() == console + f"Save matrix : {s.dir}/after.bin\n",
          "a cancelled export prints nothing")
    check(s.chooser_calls() == [EXPORT_CALL] * 2 + [SAVE_CALL], f"chooser calls {s.chooser_calls()}")


def case_console(s):
    """Without a chooser program the console asks for the path on one line."""
    path = os.path.join(s.dir, "typed.bin")
    s.menu(4)
    wait_until(lambda: "Save matrix to (an empty line cancels):\n" in s.console(), 10, "prompt")
    s.keyboard.write(path.encode() + b"\n")
    wait_until(lambda: os.path.exists(path), 10, "the pose file")
    with open(path, "rb") as f:
        expect_initial_pose(f.read(), "typed")
    s.menu(3)
    wait_until(lambda: "Load matrix from (an empty line cancels):\n" in s.console(), 10,
               "prompt")
    s.keyboard.write(b"\n")  # an empty line cancels
    s.menu(4)  # the menu opens once the cancelled load has returned
    wait_until(lambda: s.console().count("Save matrix to") == 2, 10, "the second prompt")
    s.keyboard.write(b"\n")
    lines = s.console().splitlines()[len(s.expected_console.splitlines()):]
    check(lines == ["Save matrix to (an empty line cancels):", f"Save matrix : {path}",
                    "Load matrix from (an empty line cancels):",
                    "Save matrix to (an empty line cancels):"], f"console {lines}")
    check(s.process.poll() is None, "the viewer runs on")


def case_keys(s):
    check(mode_shown(s.shot()) == 0, "rotation at start")
    for key, mode in [("t", 1), ("z", 2), ("r", 0), ("Z", 2), ("T", 1), ("R", 0)]:
        s.key_in_main_view(key)
        s.expect_screen(lambda shot: mode_shown(shot) == mode, f"key {key}: panel follows")
    # A mode chosen from the menu is not shown by the panel until the next key.
    s.menu(1, 2)
    s.drag(main_view_at(0, 0), main_view_at(7, 9))  # translation now
    m = matrices(s.save_pose("moved.bin"))
    check(m[0][12] == 7.0 and m[0][14] == 9.0 and m[0][13] == 0.0,
          f"the drag moved the model by {m[0][12:15]}")
    check(mode_shown(s.shot()) == 0, "the menu's mode does not move the panel")
    s.key_in_main_view("z")
    s.expect_screen(lambda shot: mode_shown(shot) == 2, "the next key syncs the panel")
    # Keys typed into the panel stay there.
    xdo("mousemove", *QUIT_AT)
    xdo("key", "t")
    s.click(checkbox_at(1))  # shows the part once the key has been handled
    s.expect_screen(lambda shot: shot.count_colour(MAIN_VIEW_BOX, MAGENTA) >= 3000,
                    "bone 1's part appears")
    check(mode_shown(s.shot()) == 2, "a key typed into the panel does not reach the views")
    # The panel's own buttons set the mode.
    s.click(mode_radio_at(1))
    s.expect_screen(lambda shot: mode_shown(shot) == 1, "clicking Translation selects it")


def case_menu_keys(s):
    """Every key the viewer knows, pressed in the main view while its menu is open: the viewer
    runs on with its edits, and the mode keys take effect."""
    s.drag(main_view_at(0, -80), main_view_at(40, -80))
    turned = s.save_pose("turned.bin")
    xdo("mousemove", 60, 60)
    xdo("click", 3)
    wait_until(menus_shown, 10, "the menu to open")
    xdo("mousemove", 40, 400)  # back in the main view, beside the open menu
    for key in ["r", "t", "z", "R", "T", "Z", "f", "F", "Home", "Up", "Down", "Left", "Right",
                "ctrl+z", "ctrl+y", "ctrl+shift+z", "t"]:
        xdo("key", key)
    s.expect_screen(lambda shot: mode_shown(shot) == 1, "the last key's mode in the panel")
    check(menus_shown() and s.process.poll() is None, "the viewer runs on with its menu open")
    xdo("click", 1)  # closes the menu; on the background it picks nothing
    wait_until(lambda: not menus_shown(), 10, "the menu to close")
    check(s.save_pose("after.bin") == turned, "undo and redo leave the drag as it was")
    check(s.errors() == "", f"standard error {s.errors()!r}")


def case_daily(s):
    """Show all, undo and redo of a drag, Reset pose, and Open archive with the stub chooser."""
    initial = s.save_pose("initial.bin")
    s.click(SHOW_ALL_AT)
    s.expect_screen(lambda shot: all(shot.count_colour(MAIN_VIEW_BOX, colour) >= 3000
                                     for colour in (MAGENTA, YELLOW, CYAN)),
                    "Show all shows every part")
    s.drag(main_view_at(0, -80), main_view_at(40, -60))
    turned = s.save_pose("turned.bin")
    check(turned != initial, "the drag turns the model")
    s.key_in_main_view("ctrl+z")
    check(s.save_pose("undone.bin") == initial, "Ctrl+Z gives the pose as loaded")
    s.key_in_main_view("ctrl+shift+z")
    check(s.save_pose("redone.bin") == turned, "Ctrl+Shift+Z redoes the drag")
    s.click(UNDO_AT)
    check(s.save_pose("undone2.bin") == initial, "Undo undoes the drag")
    s.key_in_main_view("ctrl+y")
    check(s.save_pose("redone2.bin") == turned, "Ctrl+Y redoes the drag")
    s.menu(menu_position("Reset pose"))
    check(s.save_pose("reset.bin") == initial, "Reset pose gives the pose as loaded")
    s.click(REDO_AT)  # nothing to redo after the reset
    check(s.save_pose("reset2.bin") == initial, "Redo after Reset pose does nothing")
    s.click(HIDE_ALL_AT)
    s.expect_screen(lambda shot: shot.count_colour(MAIN_VIEW_BOX, MAGENTA) == 0,
                    "Hide all hides every part")

    # Five bones, only the last with a part: the panel gets a row per bone, all hidden.
    other = os.path.join(s.dir, "five.bin")
    made = subprocess.run([s.options.maker, "--bones", "5", other], capture_output=True,
                          text=True, check=True)
    console = s.console()
    s.answer(other)
    s.menu(menu_position("Open archive"))
    opened = f"Open archive : {other}\n" + made.stdout
    try:
        wait_until(lambda: s.console()[len(console):] == opened, 10, "the loader's lines")
    except Failure:
        raise Failure(f"console {s.console()[len(console):]!r}, expected {opened!r}")
    wait_until(lambda: s.geometry("GLUI")[3] >= 54 + 23 * 5, 10, "a panel of five bone rows")
    s.click(checkbox_at(5))
    s.expect_screen(lambda shot: shot.count_colour(MAIN_VIEW_BOX, MAGENTA) >= 3000,
                    "the fifth bone's check box shows its part")
    check(len(s.save_pose("five.pose")) == 6 * 192, "the pose is the new model's")


def parts_box(shot):
    """The main view's pixels of the three parts' colours: (left, top, right, bottom)."""
    x0, y0, x1, y1 = MAIN_VIEW_BOX
    points = [(x, y) for y in range(y0, y1) for x in range(x0, x1)
              if any(all(abs(a - b) <= 8 for a, b in zip(shot.pixel(x, y), colour))
                     for colour in (MAGENTA, YELLOW, CYAN))]
    if not points:
        return None
    return (min(p[0] for p in points), min(p[1] for p in points),
            max(p[0] for p in points), max(p[1] for p in points))


def fitted(shot):
    """The parts fill the main view but for the 10-pixel margin along one side, centred."""
    box = parts_box(shot)
    if not box:
        return False
    left, top, right, bottom = box
    inside = left >= 9 and right <= 310 and top >= 20 + 9 and bottom <= 740 - 10
    fills = right - left >= 298 or bottom - top >= 698
    centred = abs((left + right) / 2 - 159.5) <= 1 and abs((top + bottom) / 2 - 379.5) <= 1
    return inside and fills and centred


def case_pick_fit(s):
    """A click on a part selects its bone, one on the background nothing; "f" and "Fit views" fit
    every view to the parts and Home gives the zoom back, and neither is an edit."""
    s.click(SHOW_ALL_AT)
    s.expect_screen(lambda shot: all(shot.count_colour(MAIN_VIEW_BOX, colour) >= 3000
                                     for colour in (MAGENTA, YELLOW, CYAN)), "every part shows")
    initial = s.save_pose("initial.bin")
    s.click((230, 610))  # bone 2's part
    row_2 = (bone_radio_at(2)[0] - 6, bone_radio_at(2)[1] - 6, bone_radio_at(2)[0] + 7,
             bone_radio_at(2)[1] + 7)
    s.expect_screen(lambda shot: shot.count_colour(AXES_OF_BONE_2, RED) >= 40 and
                    shot.count(row_2, SELECTED_RADIO_BLUE) > 30,
                    "the click selects bone 2: its axes and its radio button")
    s.drag(main_view_at(0, -80), main_view_at(40, -80))
    once = s.save_pose("once.bin")
    s.click((20, 700))  # the background
    s.drag(main_view_at(0, -80), main_view_at(20, -80))
    twice = s.save_pose("twice.bin")
    check(twice[:384] == initial[:384] and twice[576:] == initial[576:] and
          once[384:576] != twice[384:576] != initial[384:576],
          "both drags turn bone 2 alone")

    views = {title: (x, y, x + width, y + height) for title, x, y, width, height in VIEWS}
    unfitted = {title: s.shot().region(box) for title, box in views.items()}
    s.key_in_main_view("f")
    s.expect_screen(fitted, "f fits the parts to the main view")
    fitted_views = {title: s.settle(box) for title, box in views.items()}
    check(all(fitted_views[t] != unfitted[t] for t in views), "f zooms every view")
    s.key_in_main_view("Home")
    expect_regions(s, {t: (views[t], unfitted[t]) for t in views}, lambda t: "the start-up zoom")
    s.menu(menu_position("Fit views"))
    expect_regions(s, {t: (views[t], fitted_views[t]) for t in views}, lambda t: "f's fit")
    s.key_in_main_view("ctrl+z")  # undoes the second drag: fitting is no edit
    check(s.save_pose("undone.bin") == once, "Ctrl+Z after fitting undoes the last drag")


def case_extract_textures(s):
    """The last menu entry writes the demo's image, one PNG per palette, into the chosen folder."""
    folder = os.path.join(s.dir, "textures") + "/"
    console = s.console()
    s.answer(folder)
    s.menu(menu_position("Extract textures"))
    wait_until(lambda: len(s.console()) > len(console), 10, "the extraction's line")
    check(s.console()[len(console):] == f"Extract textures : {folder} (1 image, 5 files)\n",
          f"console {s.console()[len(console):]!r}")
    check(sorted(os.listdir(folder)) == [f"entry3-palette{m}.png" for m in range(4)] +
          ["textures.json"], f"files {os.listdir(folder)}")
    check("--directory" in s.chooser_calls()[-1], f"chooser {s.chooser_calls()}")


def rendered_views(s, *args):
    """The three views as --render draws them without a display: {title: rows of RGB bytes}."""
    sheet = os.path.join(s.dir, "render.png")
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    run = subprocess.run([s.options.viewer, "--render", sheet, *args], env=env,
                         capture_output=True, text=True)
    check(run.returncode == 0 and run.stdout == "", f"--render: {run.returncode} {run.stderr}")
    rgb = subprocess.run(["convert", sheet, "-depth", "8", "rgb:-"], capture_output=True,
                         check=True).stdout
    views = {}
    for (title, _, _, width, height), left in zip(VIEWS, (0, 320, 640)):
        views[title] = [rgb[3 * (y * 960 + left):3 * (y * 960 + left + width)]
                        for y in range(height)]
    return views


def expect_regions(s, expected, what):
    """Waits until each box of the screen shows its expected rows of RGB bytes, {name: (box,
    rows)}; fails naming how many pixels differ."""
    for name, (box, rows) in expected.items():
        try:
            s.expect_screen(lambda shot: shot.region(box) == rows, "", timeout=10)
        except Failure:
            differing = sum(1 for a, b in zip(s.shot().region(box), rows)
                            for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])
            raise Failure(f"{name}: {differing} pixels differ from {what(name)}")


def expect_render_matches_windows(s, bones_to_tick, *render_args):
    """Every part shown (the first bones_to_tick ticked through the panel), root selected: each
    window shows exactly what --render draws for that view."""
    for row in range(1, bones_to_tick + 1):
        s.click(checkbox_at(row))
    rendered = rendered_views(s, *render_args)
    expect_regions(s, {title: ((x, y, x + width, y + height), rendered[title])
                       for title, x, y, width, height in VIEWS}, lambda name: "--render")


def case_render_demo(s):
    expect_render_matches_windows(s, 0)  # the demo opens with every part shown


def case_render_pose(s):
    s.drag(main_view_at(0, -80), main_view_at(40, -50))  # turns the model about Z and X
    s.save_pose("turned.bin")
    expect_render_matches_windows(s, 3, "--pose", os.path.join(s.dir, "turned.bin"), s.archive)


def case_save_picture(s):
    """"Save picture" lays the views out as --render does; with every part shown and the pose
    and zoom the archive loads with, it is the --render picture byte for byte."""
    for row in range(1, 4):
        s.click(checkbox_at(row))
    path = os.path.join(s.dir, "views")  # the name gets its .png
    s.answer(path)
    s.menu(menu_position("Save picture"))
    wait_until(lambda: os.path.exists(path + ".png"), 10, "the picture")
    rendered = os.path.join(s.dir, "rendered.png")
    subprocess.run([s.options.viewer, "--render", rendered, "--quiet", s.archive], check=True)
    difference = subprocess.run(["compare", "-metric", "AE", path + ".png", rendered, "null:"],
                                capture_output=True, text=True)
    check(difference.returncode == 0, f"differs from --render: {difference.stderr}")
    check(s.chooser_calls() == [PICTURE_CALL], f"chooser calls {s.chooser_calls()}")
    check(s.console().endswith(f"Save picture : {path}.png\n"), f"console {s.console()!r}")


BASELINES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "baselines")


def expect_views_match_baselines(s, name, boxes):
    """Each view's region of the screen equals tests/e2e/baselines/NAME-VIEW.png pixel for pixel
    (VELDRAXIS_UPDATE_BASELINES=1 writes them instead, once the screen stands still)."""
    expected = {}
    for view, box in boxes.items():
        path = os.path.join(BASELINES, f"{name}-{view}.png")
        width, height = box[2] - box[0], box[3] - box[1]
        if os.environ.get("VELDRAXIS_UPDATE_BASELINES"):
            subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", "rgb:-",
                            path], input=b"".join(s.settle(box)), check=True)
            continue
        rgb = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True,
                             check=True).stdout
        expected[path] = (box, [rgb[3 * width * y:3 * width * (y + 1)] for y in range(height)])
    expect_regions(s, expected, lambda path: path)


def case_zoom_resize(s):
    """Zoom steps act on every view; a resized view starts again from its new size."""
    s.key_in_main_view("z")
    s.drag(main_view_at(0, 0), main_view_at(0, -60))  # in by 1.3
    xdo("windowsize", s.windows["Side view"], 300, 500)
    wait_until(lambda: s.geometry("Side view") == (330, 20, 300, 500), 10, "the resize")
    s.drag(main_view_at(0, 0), main_view_at(0, 30))  # out by 0.85
    expect_views_match_baselines(s, "zoom", {"main": (0, 20, 320, 740),
                                             "side": (330, 20, 630, 520),
                                             "up": (660, 20, 980, 340)})


def close_from_window_manager(window):
    """Sends the window the WM_DELETE_WINDOW message a window manager's close button sends."""
    xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                    ("pad", ctypes.c_long * 12)]  # the rest of the 192-byte XEvent

    display = xlib.XOpenDisplay(None)
    event = ClientMessage(type=33, window=int(window), format=32,  # 33: ClientMessage
                          message_type=xlib.XInternAtom(display, b"WM_PROTOCOLS", 0))
    event.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    xlib.XSendEvent(display, int(window), 0, 0, ctypes.byref(event))
    xlib.XCloseDisplay(ctypes.c_void_p(display))


def case_close(s):
    """Closing a view from the window manager ends the viewer cleanly, the views' shared GL
    context included."""
    close_from_window_manager(s.windows["Side view"])
    try:
        status = s.process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise Failure("closing the side view did not end the viewer")
    check(status == 0 and s.errors() == "", f"exit status {status}, stderr {s.errors()!r}")


def case_quit(s):
    s.click(QUIT_AT)
    try:
        status = s.process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise Failure("Quit did not end the viewer")
    check(status == 0, f"exit status {status}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--maker", required=True)
    parser.add_argument("case")
    options = parser.parse_args()
    options.viewer = os.path.abspath(options.viewer)
    options.maker = os.path.abspath(options.maker)
    case = globals().get("case_" + options.case)
    if not case:
        sys.exit(f"unknown case {options.case}")
    if options.case == "windows":  # GLUT's own options before the archive are GLUT's
        session = Session(options, glut_args=["-display", os.environ["DISPLAY"], "-sync"])
    elif options.case == "console":
        session = Session(options, chooser=False)
    elif options.case == "scroll":
        session = Session(options, maker_args=["--bones", "60"])
    else:
        session = Session(options, archive=options.case not in ("demo", "render_demo",
                                                             "zoom_resize", "extract_textures"))
    run_case(options.case, case, session)


def run_case(name, case, session):
    """Runs case on session and ends the session; a failure prints what the viewer showed and
    printed, and exits with status 1."""
    try:
        case(session)
        # A viewer that died during the case (a sanitizer report ends it) fails even when the
        # case's last check came before.
        status = session.process.poll()
        check(status is None or status == 0, f"the viewer ended with status {status}")
    except Failure as failure:
        path = os.path.join(tempfile.gettempdir(), f"veldraxis-e2e-{name}.png")
        Shot().save(path)
        print(f"FAILED {name}: {failure} (screenshot {path})")
        print("console:\n" + session.console())
        print("standard error:\n" + session.errors())
        sys.exit(1)
    finally:
        session.close()
    print(f"passed {name}")

if __name__ == "__main__":
    main()
