#!/usr/bin/env python3
"""End-to-end tests of the Linux menu: the real program on Xvfb, with and without openbox,
driven by xdotool, on a disc of stand-in programs that log how they were started.

    e2e.py CASE --menu PATH --probe PATH --throwing-menu PATH
    e2e.py --list     (the cases, one a line: CMake makes a test of each)

Every process a case starts is ended by its PID when the case ends.
"""
import argparse
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ICON_FILE = HERE.parent.parent / "resources" / "mainicon.ico"

CLIENT = (641, 499)
# Client-area rectangles (left, top, width, height) of the buttons.
RZBUTTON7 = (343, 386, 288, 28)
RZBUTTON2 = (343, 413, 288, 28)
RZBUTTON1 = (343, 457, 288, 28)

# How long to wait for something that must happen; reaching it is a failure, not a measure.
PATIENCE = 15.0


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def centre(rect):
    return rect[0] + rect[2] // 2, rect[1] + rect[3] // 2


def eventually(what, probe, patience=PATIENCE):
    """Polls `probe` until it returns something true; fails with `what` after a while."""
    if os.environ.get("E2E_TRACE"):
        print("%.2f waiting for %s" % (time.monotonic(), what), file=sys.stderr)
    deadline = time.monotonic() + patience
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


class Processes:
    """Everything a case started, ended by PID at the end."""

    def __init__(self):
        self.started = []

    def add(self, proc):
        self.started.append(proc)
        return proc

    def end_all(self):
        for proc in reversed(self.started):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()


class XServer:
    """Xvfb on a free display, with openbox unless `wm` is false. `listen` are Xvfb's
    transport options; with `auth`, an Xauthority file, only clients with its cookie get in
    (the helpers here are given it)."""

    def __init__(self, procs, size="1023x767", wm=True, listen=("-nolisten", "tcp"), auth=None):
        self.procs = procs
        read_fd, write_fd = os.pipe()
        self.xvfb = procs.add(subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", size + "x24", *listen,
             "-noreset"] + (["-auth", str(auth)] if auth else []),
            pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        check(number, "Xvfb did not start")
        self.number = int(number)
        self.display = ":" + number
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("XAUTHORITY", None)
        if auth:
            self.env["XAUTHORITY"] = str(auth)
        self.wm = None
        if wm:
            self.wm = procs.add(subprocess.Popen(
                ["openbox", "--sm-disable"], env=self.env,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            eventually("openbox", lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in
                       self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check_rc=False))
            # openbox announces itself before it has read its configuration and key bindings,
            # and drops requests made meanwhile; it is ready once it answers one, here to have
            # 5 desktops instead of 4.
            eventually("openbox ready", self.openbox_answers)

    def openbox_answers(self):
        self.xdotool("set_num_desktops", 5)
        time.sleep(0.05)
        return self.run(["xprop", "-root", "_NET_NUMBER_OF_DESKTOPS"],
                        check_rc=False).strip().endswith("= 5")

    def run(self, cmd, check_rc=True):
        r = subprocess.run(cmd, env=self.env, capture_output=True, text=True, timeout=30)
        if check_rc and r.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(cmd), r.stderr.strip()))
        return r.stdout

    def xdotool(self, *args):
        return self.run(["xdotool"] + [str(a) for a in args])

    def prop(self, window, name, fmt=None):
        # xprop shows only the first 250000 bytes unless told otherwise; the icon is more.
        cmd = ["xprop", "-len", "16000000", "-id", str(window), "-notype"]
        if fmt:
            cmd += ["-f", name, fmt]
        return self.run(cmd + [name]).strip()


class Disc:
    """A disc folder of stand-in programs that log their name, folder and arguments."""

    def __init__(self, root, name="disc"):
        self.path = root / name
        self.path.mkdir(parents=True)
        self.log = root / "launches.log"
        self.log.touch()
        self.bin = root / "bin"
        self.bin.mkdir()
        self.stand_in(self.path / "setup.exe", "setup")
        (self.path / "DirectX").mkdir()
        self.stand_in(self.path / "DirectX" / "DXSETUP.exe", "dxsetup")
        (self.path / "addon").mkdir()
        self.stand_in(self.bin / "xdg-open", "xdg-open")

    def stand_in(self, path, name):
        path.write_text(
            "#!/bin/sh\n"
            "sep=$(printf '\\037')\n"
            'line="%s${sep}$(pwd)"\n'
            'for a in "$@"; do line="$line$sep$a"; done\n'
            'printf \'%%s\\n\' "$line" >> "$VELMORRA_E2E_LOG"\n' % name)
        path.chmod(0o755)

    def launches(self):
        return [l.split("\x1f") for l in self.log.read_text().splitlines()]

    def names(self):
        return [l[0] for l in self.launches()]


class Menu:
    def __init__(self, x, procs, program, disc):
        self.x = x
        self.disc = disc
        env = dict(x.env, VELMORRA_E2E_LOG=str(disc.log),
                   PATH=str(disc.bin) + os.pathsep + os.environ.get("PATH", ""))
        self.proc = procs.add(subprocess.Popen(
            [program], cwd=disc.path, env=env, stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.PIPE))
        self.window = eventually("the menu's window", self.find_window)
        eventually("the window shown", lambda: "IsViewable" in x.run(
            ["xwininfo", "-id", str(self.window)], check_rc=False))
        # Shown active: the window holds the keyboard focus, and the window manager knows it
        # (its key bindings such as Alt+F4 act on the window it thinks active).
        eventually("the window focused",
                   lambda: x.xdotool("getwindowfocus").strip() == str(self.window))
        if x.wm:
            eventually("the window active", lambda: x.run(
                ["xdotool", "getactivewindow"], check_rc=False).strip() == str(self.window))
        self.origin = self.client_origin()

    def find_window(self):
        out = self.x.run(["xdotool", "search", "--all", "--pid", str(self.proc.pid),
                          "--name", "^Velmorra$"], check_rc=False).split()
        return int(out[0]) if out else None

    def client_origin(self):
        info = self.x.run(["xwininfo", "-id", str(self.window)])
        fields = dict(l.strip().split(":", 1) for l in info.splitlines() if ":" in l)
        return (int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"]))

    def client_size(self):
        info = self.x.run(["xwininfo", "-id", str(self.window)])
        fields = dict(l.strip().split(":", 1) for l in info.splitlines() if ":" in l)
        return (int(fields["Width"]), int(fields["Height"]))

    def at(self, point):
        return self.origin[0] + point[0], self.origin[1] + point[1]

    def move_to(self, point):
        ax, ay = self.at(point)
        self.x.xdotool("mousemove", ax, ay)

    def click(self, point, button=1, repeat=1):
        self.move_to(point)
        self.x.xdotool("click", "--repeat", repeat, "--delay", 60, button)

    def key(self, *keys):
        self.x.xdotool("key", "--delay", 30, *keys)

    def wait_exit(self, what="", patience=PATIENCE):
        try:
            return self.proc.wait(patience)
        except subprocess.TimeoutExpired:
            state = "active %s, focus %s" % (
                self.x.run(["xdotool", "getactivewindow"], check_rc=False).strip(),
                self.x.run(["xdotool", "getwindowfocus"], check_rc=False).strip())
            raise Failure("the menu (window %d; %s) did not end %s" % (self.window, state, what))


def settled(disc):
    """The log once no stand-in has written to it for a moment: started programs run on
    their own, so a late one may still be on its way."""
    count = -1
    while True:
        lines = disc.launches()
        if len(lines) == count:
            return lines
        count = len(lines)
        time.sleep(0.3)


def expect_launches(disc, names, what):
    """Waits for exactly `names` in the log, in that order (so launches that could overtake
    each other are checked one at a time)."""
    eventually(what + ": " + " ".join(names), lambda: len(disc.launches()) >= len(names))
    got = [line[0] for line in settled(disc)]
    check(got == names, "%s: expected %s, got %s" % (what, names, got))


def keys_one_by_one(menu, steps, what):
    """Each step: keys to press, then the name of the stand-in it must start."""
    expected = []
    for keys, name in steps:
        menu.key(*keys)
        expected.append(name)
        expect_launches(menu.disc, expected, what)
    menu.disc.log.write_text("")


def sentinel(menu, expected_before):
    """Clicks RzButton7 ("setup") and waits for its launch after `expected_before`."""
    menu.click(centre(RZBUTTON7))
    expect_launches(menu.disc, expected_before + ["setup"], "after the sentinel")
    menu.disc.log.write_text("")


# ---------------------------------------------------------------------------------------------
# Cases


def case_window_properties(ctx):
    x = ctx.xserver(size="1023x767", wm=True)
    menu = ctx.menu(x)
    w = menu.window
    check(menu.client_size() == CLIENT, "client size %s" % (menu.client_size(),))
    check(x.prop(w, "WM_NAME") == 'WM_NAME = "Velmorra"', x.prop(w, "WM_NAME"))
    check(x.prop(w, "_NET_WM_NAME", "8u") == '_NET_WM_NAME = "Velmorra"',
          x.prop(w, "_NET_WM_NAME", "8u"))
    check(x.prop(w, "WM_CLASS") == 'WM_CLASS = "velmorra", "Velmorra"', x.prop(w, "WM_CLASS"))
    check(x.prop(w, "_NET_WM_PID") == "_NET_WM_PID = %d" % menu.proc.pid, x.prop(w, "_NET_WM_PID"))
    check("WM_DELETE_WINDOW" in x.prop(w, "WM_PROTOCOLS"), x.prop(w, "WM_PROTOCOLS"))
    check(x.prop(w, "_NET_WM_WINDOW_TYPE") == "_NET_WM_WINDOW_TYPE = _NET_WM_WINDOW_TYPE_NORMAL",
          x.prop(w, "_NET_WM_WINDOW_TYPE"))
    # Functions move and close; decorations border, title and menu.
    check(x.prop(w, "_MOTIF_WM_HINTS", "32c") == "_MOTIF_WM_HINTS = 3, 36, 26, 0, 0",
          x.prop(w, "_MOTIF_WM_HINTS", "32c"))
    hints = x.prop(w, "WM_NORMAL_HINTS")
    for needed in ("user specified location", "minimum size: 641 by 499",
                   "maximum size: 641 by 499", "window gravity: NorthWest"):
        check(needed in hints, "WM_NORMAL_HINTS lacks %r: %s" % (needed, hints))

    # Centred with its frame: left = (1023 - outer width) / 2, top likewise.
    extents = x.prop(w, "_NET_FRAME_EXTENTS")
    left, right, top, bottom = [int(v) for v in extents.split("=")[1].split(",")]
    outer = (CLIENT[0] + left + right, CLIENT[1] + top + bottom)
    expected = ((1023 - outer[0]) // 2 + left, (767 - outer[1]) // 2 + top)
    check(menu.origin == expected, "client at %s, expected %s (frame %s)" %
          (menu.origin, expected, extents))

    # The icon: the 32-bit images of the icon file, pixel for pixel.
    # The icon is set just after the first frame.
    icon = eventually("_NET_WM_ICON", lambda: "=" in x.prop(w, "_NET_WM_ICON", "32c") and
                      x.prop(w, "_NET_WM_ICON", "32c"))
    values = [int(v) for v in icon.split("=")[1].split(",")]
    check(values == icon_property_from_file(ICON_FILE), "_NET_WM_ICON differs from the icon file")


def icon_property_from_file(path):
    """_NET_WM_ICON as the icon file's 32-bit bitmap images give it, decoded independently."""
    data = path.read_bytes()
    _, _, count = struct.unpack_from("<HHH", data, 0)
    result = []
    for i in range(count):
        _, _, _, _, _, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        image = data[offset:offset + size]
        if image[:4] == b"\x89PNG":
            continue
        header, width, height2, _, bit_count, compression = struct.unpack_from("<IiiHHI", image, 0)
        if bit_count != 32 or compression != 0:
            continue
        height = height2 // 2
        rows = []
        for y in range(height):
            row = struct.unpack_from("<%dI" % width, image, header + (height - 1 - y) * width * 4)
            rows.extend(row)
        if not any(p >> 24 for p in rows):
            mask_at = header + width * height * 4
            stride = (width + 31) // 32 * 4
            fixed = []
            for y in range(height):
                for x in range(width):
                    byte = image[mask_at + (height - 1 - y) * stride + x // 8]
                    transparent = (byte >> (7 - x % 8)) & 1
                    fixed.append(0 if transparent else rows[y * width + x] | 0xFF000000)
            rows = fixed
        result += [width, height] + list(rows)
    return result


def case_centred_without_wm(ctx):
    x = ctx.xserver(size="1023x767", wm=False)
    menu = ctx.menu(x)
    check(menu.client_size() == CLIENT, "client size %s" % (menu.client_size(),))
    expected = ((1023 - 641) // 2, (767 - 499) // 2)
    check(menu.origin == expected, "client at %s, expected %s" % (menu.origin, expected))
    # The window took the focus: Enter clicks RzButton1 at once.
    menu.key("Return")
    expect_launches(menu.disc, ["dxsetup"], "Enter without a window manager")
    menu.proc.terminate()
    menu.wait_exit()

    # A screen smaller than the window: raised to the top-left corner.
    small = ctx.xserver(size="601x401", wm=False)
    menu = ctx.menu(small)
    check(menu.origin == (0, 0), "client at %s on a small screen" % (menu.origin,))


def click_each_button(menu, disc):
    """Clicks the three buttons top to bottom; each starts its program in the disc folder."""
    here = str(disc.path.resolve())
    menu.click(centre(RZBUTTON7))
    expect_launches(disc, ["setup"], "RzButton7")
    menu.click(centre(RZBUTTON2))
    expect_launches(disc, ["setup", "xdg-open"], "RzButton2")
    menu.click(centre(RZBUTTON1))
    expect_launches(disc, ["setup", "xdg-open", "dxsetup"], "RzButton1")
    launches = settled(disc)
    check(launches[0] == ["setup", here], "setup.exe started as %s" % launches[0])
    check(launches[1] == ["xdg-open", here, here + "/addon"], "addon opened as %s" % launches[1])
    check(launches[2] == ["dxsetup", here], "DXSETUP.exe started as %s" % launches[2])


def case_buttons_launch(ctx):
    x = ctx.xserver(wm=True)
    menu = ctx.menu(x)
    disc = menu.disc
    click_each_button(menu, disc)
    disc.log.write_text("")

    # Row 413 is RzButton2's, in front of RzButton7.
    menu.click((480, 413))
    expect_launches(disc, ["xdg-open"], "row 413")
    disc.log.write_text("")
    # Rows 480-484 of RzButton1 lie over the black band and are the button's.
    for row in (480, 482, 484):
        menu.click((400, row))
    expect_launches(disc, ["dxsetup"] * 3, "rows 480-484 of RzButton1")
    disc.log.write_text("")
    # The black band beside and below it, and the picture, start nothing.
    for point in ((200, 490), (400, 490), (636, 470), (640, 300), (100, 100)):
        menu.click(point)
    sentinel(menu, [])


def case_keyboard(ctx):
    x = ctx.xserver(wm=True)
    menu = ctx.menu(x)
    disc = menu.disc
    # RzButton1 has the focus from the start.
    menu.key("Return")
    expect_launches(disc, ["dxsetup"], "Enter at once after start")
    disc.log.write_text("")
    # Tab order RzButton1, RzButton7, RzButton2, with wrap.
    keys_one_by_one(menu, [(("Tab", "Return"), "setup"), (("Tab", "Return"), "xdg-open"),
                           (("Tab", "Return"), "dxsetup")], "Tab order")
    keys_one_by_one(menu, [(("shift+Tab", "Return"), "xdg-open"),
                           (("shift+Tab", "Return"), "setup"),
                           (("shift+Tab", "Return"), "dxsetup")], "Shift+Tab order")
    keys_one_by_one(menu, [(("Right", "Return"), "setup"), (("Down", "Return"), "xdg-open"),
                           (("Left", "Return"), "setup"), (("Up", "Return"), "dxsetup")],
                    "arrows")
    # The keypad's Enter and arrows; with Num Lock on its arrow keys are digits and move
    # nothing (case keypad_num_lock has more).
    keys_one_by_one(menu, [(("KP_Enter",), "dxsetup"), (("KP_Right", "KP_Enter"), "setup"),
                           (("Num_Lock", "KP_Left", "KP_Enter", "Num_Lock"), "setup"),
                           (("KP_Left", "KP_Enter"), "dxsetup")],
                    "keypad")
    # Space clicks on release; Enter with a modifier, Esc and letters do nothing; Alt+Tab and
    # Ctrl+Tab do not move the focus.
    menu.key("space")
    expect_launches(disc, ["dxsetup"], "Space")
    disc.log.write_text("")
    menu.key("ctrl+Return", "shift+Return", "Escape", "a", "Cyrillic_a")
    menu.key("ctrl+Tab", "Return")
    expect_launches(disc, ["dxsetup"], "modifiers")


def case_keypad_num_lock(ctx):
    # The keypad's 4, 6, 8 and 2 (sent by their first symbols, KP_Left...) are arrows with Num
    # Lock off and digits with it on, as on Windows; Shift turns the digits back into arrows.
    x = ctx.xserver(wm=True)
    menu = ctx.menu(x)

    def num_lock_on():
        return re.search(r"Num Lock:\s+(on|off)", x.run(["xset", "q"])).group(1) == "on"

    def set_num_lock(on):
        if num_lock_on() != on:
            menu.key("Num_Lock")
        eventually("Num Lock " + ("on" if on else "off"), lambda: num_lock_on() == on)

    set_num_lock(False)
    keys_one_by_one(menu, [(("KP_Right", "KP_Enter"), "setup")], "keypad arrow, Num Lock off")
    set_num_lock(True)
    keys_one_by_one(menu, [((key, "KP_Enter"), "setup")
                           for key in ("KP_Right", "KP_Down", "KP_Left", "KP_Up")],
                    "keypad digits, Num Lock on")
    keys_one_by_one(menu, [(("shift+KP_Right", "KP_Enter"), "xdg-open"),
                           (("shift+Tab", "Return"), "setup"), (("Tab", "Return"), "xdg-open")],
                    "Shift+keypad and Tab, Num Lock on")
    set_num_lock(False)
    keys_one_by_one(menu, [(("KP_Left", "KP_Enter"), "setup"),
                           (("shift+KP_Left", "KP_Enter"), "dxsetup")],
                    "keypad arrows, Num Lock off again")


def case_key_repeat(ctx):
    x = ctx.xserver(wm=True)
    x.run(["xset", "r", "on", "r", "rate", "200", "25"])
    menu = ctx.menu(x)
    disc = menu.disc
    # Held Space: one click, on release.
    x.xdotool("keydown", "space")
    time.sleep(1.0)
    check(disc.names() == [], "a held Space clicked before its release")
    x.xdotool("keyup", "space")
    expect_launches(disc, ["dxsetup"], "held Space")
    disc.log.write_text("")
    # Held Enter: a click on the press and on every repeat.
    x.xdotool("keydown", "Return")
    time.sleep(1.0)
    x.xdotool("keyup", "Return")
    eventually("repeated Enter clicks", lambda: len(disc.launches()) >= 3)
    names = [line[0] for line in settled(disc)]
    count = len(names)
    check(set(names) == {"dxsetup"}, "held Enter: %s" % names)
    disc.log.write_text("")
    sentinel(menu, [])
    print("held Enter for 1 s clicked %d times" % count)


def case_mouse_rules(ctx):
    x = ctx.xserver(wm=True)
    menu = ctx.menu(x)
    disc = menu.disc
    # A double click clicks twice.
    menu.click(centre(RZBUTTON1), repeat=2)
    expect_launches(disc, ["dxsetup", "dxsetup"], "double click")
    disc.log.write_text("")
    # Pressed, dragged off and released elsewhere: nothing.
    menu.move_to(centre(RZBUTTON1))
    x.xdotool("mousedown", 1)
    menu.move_to((200, 300))
    x.xdotool("mouseup", 1)
    # Pressed, dragged off and back, released on it: one click.
    menu.move_to(centre(RZBUTTON1))
    x.xdotool("mousedown", 1)
    menu.move_to((200, 300))
    menu.move_to(centre(RZBUTTON1))
    x.xdotool("mouseup", 1)
    expect_launches(disc, ["dxsetup"], "drag off and back")
    disc.log.write_text("")
    # Right and middle clicks and the wheel on a button do nothing, nor move the focus.
    for button in (3, 2, 4, 5):
        menu.click(centre(RZBUTTON7), button=button)
    menu.key("Return")
    expect_launches(disc, ["dxsetup"], "focus kept after right/middle clicks")
    disc.log.write_text("")
    # A left press on the picture keeps the focus where it was.
    menu.click((100, 100))
    menu.key("Return")
    expect_launches(disc, ["dxsetup"], "focus kept after a press on the picture")


def drag(ctx, wm):
    x = ctx.xserver(wm=wm)
    menu = ctx.menu(x)
    for start, delta in (((100, 100), (60, 40)), ((620, 492), (-70, -50)),
                         ((640, 200), (25, -15))):
        before = menu.client_origin()
        menu.origin = before
        menu.move_to(start)
        x.xdotool("mousedown", 1)
        sx, sy = menu.at(start)
        steps = 6
        for i in range(1, steps + 1):
            x.xdotool("mousemove", sx + delta[0] * i // steps, sy + delta[1] * i // steps)
            time.sleep(0.03)
        x.xdotool("mouseup", 1)
        expected = (before[0] + delta[0], before[1] + delta[1])
        eventually("the window moved from %s by %s" % (before, delta),
                   lambda: menu.client_origin() == expected, patience=5)
    # The focus stays on RzButton1, and the press started nothing.
    menu.origin = menu.client_origin()
    menu.key("Return")
    expect_launches(menu.disc, ["dxsetup"], "focus after moving")
    # A press and release without moving leaves the window where it was.
    before = menu.client_origin()
    menu.click((300, 200))
    menu.disc.log.write_text("")
    sentinel(menu, [])
    check(menu.client_origin() == before, "a click on the picture moved the window")


def case_drag_with_wm(ctx):
    drag(ctx, wm=True)


def case_drag_without_wm(ctx):
    drag(ctx, wm=False)


def case_close_and_signals(ctx):
    x = ctx.xserver(wm=True)
    # Alt+F4 under openbox: WM_DELETE_WINDOW. Now and then openbox lets a synthetic Alt+F4
    # through to the window instead of acting on it (the menu ignores it), so it gets three
    # tries; a menu that does not end on the close request fails all of them.
    menu = ctx.menu(x)
    for _ in range(3):
        menu.key("alt+F4")
        try:
            menu.proc.wait(3)
            break
        except subprocess.TimeoutExpired:
            pass
    check(menu.wait_exit("after Alt+F4") == 0, "exit code after Alt+F4")
    # Close from the taskbar or the window menu: openbox sends WM_DELETE_WINDOW.
    menu = ctx.menu(x)
    x.run([ctx.args.probe, "wm-close", str(menu.window)])
    check(menu.wait_exit("after _NET_CLOSE_WINDOW") == 0, "exit code after _NET_CLOSE_WINDOW")
    # The close request of a window manager, sent directly.
    menu = ctx.menu(x)
    x.run([ctx.args.probe, "close", str(menu.window)])
    check(menu.wait_exit("after WM_DELETE_WINDOW") == 0, "exit code after WM_DELETE_WINDOW")
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        menu = ctx.menu(x)
        menu.proc.send_signal(sig)
        check(menu.wait_exit("after " + sig.name) == 0, "exit code after %s" % sig.name)
        eventually("the window gone", lambda: menu.find_window() is None)
    # No display at all: one line on stderr and exit code 1.
    r = subprocess.run([ctx.args.menu], env=dict(x.env, DISPLAY=":65000"), capture_output=True,
                       text=True, timeout=PATIENCE, cwd=ctx.root)
    check(r.returncode == 1, "exit code without a display: %d" % r.returncode)
    check(len(r.stderr.splitlines()) == 1 and r.stdout == "",
          "messages without a display: %r %r" % (r.stdout, r.stderr))


def case_lost_display(ctx):
    x = ctx.xserver(wm=True)
    menu = ctx.menu(x)
    x.xvfb.terminate()
    x.xvfb.wait(PATIENCE)
    code = menu.wait_exit()
    check(code == 0, "exit code after the X server went: %d" % code)


def case_odd_disc_path(ctx):
    x = ctx.xserver(wm=True)
    name = "Диск 1; $(touch PWNED) `touch PWNED2` 'q\" & | *"
    disc = Disc(ctx.root, name)
    menu = Menu(x, ctx.procs, ctx.args.menu, disc)
    click_each_button(menu, disc)
    for root, dirs, files in os.walk(ctx.root):
        check(not any(f.startswith("PWNED") for f in files), "a shell ran part of the path")


def case_escaped_error(ctx):
    for wm in (True, False):
        x = ctx.xserver(wm=wm)
        disc = Disc(ctx.root / ("wm" if wm else "bare"))
        menu = Menu(x, ctx.procs, ctx.args.throwing_menu, disc)

        def boxes():
            found = x.run(["xdotool", "search", "--onlyvisible", "--name", "^Velmorra$"],
                          check_rc=False).split()
            return [int(w) for w in found if int(w) != menu.window]

        for closing in ("Return", "Escape"):
            menu.click(centre(RZBUTTON7))
            box = eventually("the error's message window", boxes)[0]
            eventually("the message window focused",
                       lambda: x.xdotool("getwindowfocus").strip() == str(box))
            check(x.prop(box, "WM_TRANSIENT_FOR").endswith(hex(menu.window)),
                  "the message window belongs to the menu")
            check(x.prop(box, "WM_NAME") == 'WM_NAME = "Velmorra"', "message window title")
            x.xdotool("key", closing)
            eventually("the message window closed", lambda: not boxes())
        check(menu.proc.poll() is None, "the menu ended after an escaped error")
        # The loop went on: the menu has the focus back, still answers and ends normally.
        eventually("the menu focused again",
                   lambda: x.xdotool("getwindowfocus").strip() == str(menu.window))
        menu.key("Tab", "Return")
        eventually("the message window for RzButton2", boxes)
        x.xdotool("key", "Return")
        eventually("the message window closed", lambda: not boxes())
        x.run([ctx.args.probe, "close", str(menu.window)])
        check(menu.wait_exit() == 0, "exit code after the errors")


def case_failed_start(ctx):
    # The window cannot be built (the test menu's form factory throws): the line on stderr,
    # the program's message window, and exit code 1 once it is closed.
    line = "velmorra: The window cannot be built\n"
    for wm, closing in ((True, "Return"), (False, "Escape")):
        x = ctx.xserver(wm=wm)
        proc = ctx.procs.add(subprocess.Popen(
            [ctx.args.throwing_menu, "build"], cwd=ctx.root, env=x.env,
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True))

        def boxes():
            return x.run(["xdotool", "search", "--onlyvisible", "--name", "^Velmorra$"],
                         check_rc=False).split()

        box = eventually("the message window", boxes)[0]
        eventually("the message window focused",
                   lambda: x.xdotool("getwindowfocus").strip() == box)
        check(x.prop(box, "WM_NAME") == 'WM_NAME = "Velmorra"', "message window title")
        check(x.prop(box, "_NET_WM_WINDOW_TYPE").endswith("_NET_WM_WINDOW_TYPE_DIALOG"),
              x.prop(box, "_NET_WM_WINDOW_TYPE"))
        check(proc.poll() is None, "the program ended before its message was closed")
        x.xdotool("key", closing)
        out, err = proc.communicate(timeout=PATIENCE)
        check(proc.returncode == 1, "exit code after a failed start: %d" % proc.returncode)
        check(err == line and out == "", "messages after a failed start: %r %r" % (out, err))
        check(not boxes(), "a window stayed after the end")
    # No display: the line alone.
    r = subprocess.run([ctx.args.throwing_menu, "build"], env=dict(x.env, DISPLAY=":65000"),
                       capture_output=True, text=True, timeout=PATIENCE, cwd=ctx.root)
    check(r.returncode == 1, "exit code without a display: %d" % r.returncode)
    check(len(r.stderr.splitlines()) == 1 and r.stdout == "",
          "messages without a display: %r %r" % (r.stdout, r.stderr))


def pixel(x, point):
    """The colour at a point of the root window, as (r, g, b)."""
    out = x.run(["import", "-window", "root", "-crop", "1x1+%d+%d" % point, "-depth", "8",
                 "txt:-"])
    # "0,0: (240,155,20)  #F09B14  srgb(240,155,20)"
    values = out.splitlines()[-1].split("(")[1].split(")")[0].split(",")
    return tuple(int(float(v)) for v in values[:3])


def case_hot_look(ctx):
    x = ctx.xserver(wm=True)
    menu = ctx.menu(x)
    # RzButton1's bottom shadow row, with the focus on RzButton7 so that no ring shows.
    probe = menu.at((400, 482))
    menu.key("Tab")
    eventually("RzButton1 plain", lambda: pixel(x, probe) == (27, 23, 18))
    menu.move_to(centre(RZBUTTON1))
    eventually("RzButton1 hot", lambda: pixel(x, probe) == (240, 155, 20))
    # Straight from the button out of the window: the hot look goes.
    x.xdotool("mousemove", 2, 2)
    eventually("RzButton1 plain again", lambda: pixel(x, probe) == (27, 23, 18))


def case_pointer_shape(ctx):
    # Without a window manager the root's pointer is a cross; over the whole window, picture,
    # buttons and black band alike, the pointer is the standard arrow.
    x = ctx.xserver(wm=False)
    menu = ctx.menu(x)
    arrow = x.run([ctx.args.probe, "arrow"]).strip()
    outside = menu.at((-20, -20))
    check(x.run([ctx.args.probe, "pointer", *map(str, outside)]).strip() != arrow,
          "the root's pointer already looks like the arrow; the check would prove nothing")
    for point in [(100, 100), centre(RZBUTTON7), (400, 413), centre(RZBUTTON1), (640, 10),
                  (10, 490), (400, 484), (640, 498)]:
        seen = x.run([ctx.args.probe, "pointer", *map(str, menu.at(point))]).strip()
        check(seen == arrow, "pointer at %s is %s, not the arrow %s" % (point, seen, arrow))


def case_minimise_restore(ctx):
    x = ctx.xserver(wm=True)
    menu = ctx.menu(x)
    menu.key("Tab")  # the focus on RzButton7
    before = menu.client_origin()
    x.xdotool("windowminimize", "--sync", menu.window)
    eventually("the window hidden",
               lambda: "IsUnMapped" in x.run(["xwininfo", "-id", str(menu.window)]))
    x.xdotool("windowactivate", "--sync", menu.window)
    eventually("the window focused again",
               lambda: x.xdotool("getwindowfocus").strip() == str(menu.window))
    eventually("the window restored at %s" % (before,), lambda: menu.client_origin() == before,
               patience=5)
    menu.key("Return")
    expect_launches(menu.disc, ["setup"], "the focus after restoring")


def case_inactive_press_moves(ctx):
    x = ctx.xserver(wm=True)
    first = ctx.menu(x)
    other_disc = Disc(ctx.root / "other")
    second = Menu(x, ctx.procs, ctx.args.menu, other_disc)
    # Move the second menu aside; it keeps the focus, the first is inactive.
    second.move_to((100, 100))
    x.xdotool("mousedown", 1)
    sx, sy = second.at((100, 100))
    for i in range(1, 7):
        x.xdotool("mousemove", sx - 30 * i, sy + 10 * i)
    x.xdotool("mouseup", 1)
    eventually("the second menu moved", lambda: second.client_origin() != second.origin)
    check(x.xdotool("getwindowfocus").strip() == str(second.window), "second menu not focused")
    # One press on the inactive first menu's picture activates it and moves it.
    before = first.client_origin()
    first.origin = before
    first.move_to((600, 60))
    x.xdotool("mousedown", 1)
    fx, fy = first.at((600, 60))
    for i in range(1, 7):
        x.xdotool("mousemove", fx + 10 * i, fy + 5 * i)
    x.xdotool("mouseup", 1)
    eventually("the first menu moved", lambda: first.client_origin() == (before[0] + 60,
                                                                         before[1] + 30))
    eventually("the first menu focused",
               lambda: x.xdotool("getwindowfocus").strip() == str(first.window))
    first.key("Return")
    expect_launches(first.disc, ["dxsetup"], "Enter in the first menu")
    check(other_disc.names() == [], "the second menu clicked")


def case_density(ctx):
    x = ctx.xserver(wm=True)
    subprocess.run(["xrdb", "-merge"], input="Xft.dpi: 96\n", text=True, env=x.env, check=True)
    menu = ctx.menu(x)
    check(menu.client_size() == CLIENT, "at 96 dpi: %s" % (menu.client_size(),))
    menu.proc.terminate()
    menu.wait_exit()
    subprocess.run(["xrdb", "-merge"], input="Xft.dpi: 144\n", text=True, env=x.env, check=True)
    menu = ctx.menu(x)
    size = menu.client_size()
    check(size[0] > CLIENT[0] and size[1] > CLIENT[1], "at 144 dpi: %s" % (size,))
    print("client size at 144 dpi: %dx%d" % size)
    menu.proc.terminate()
    menu.wait_exit()
    # Densities beyond 96..480 count as the nearest end.
    sizes = {}
    for dpi in ("1", "5", "480", "10000"):
        subprocess.run(["xrdb", "-merge"], input="Xft.dpi: %s\n" % dpi, text=True, env=x.env,
                       check=True)
        menu = ctx.menu(x)
        sizes[dpi] = menu.client_size()
        menu.proc.terminate()
        menu.wait_exit()
    check(sizes["1"] == CLIENT and sizes["5"] == CLIENT, "below 96 dpi: %s" % (sizes,))
    check(sizes["10000"] == sizes["480"], "above 480 dpi: %s" % (sizes,))
    print("client size at 480 dpi: %dx%d" % sizes["480"])


CASES = {name[len("case_"):]: f for name, f in globals().items() if name.startswith("case_")}


class Context:
    def __init__(self, args, root):
        self.args = args
        self.root = root
        self.procs = Processes()
        self.disc = None

    def xserver(self, size="1023x767", wm=True):
        return XServer(self.procs, size, wm)

    def menu(self, x):
        if self.disc is None:
            self.disc = Disc(self.root)
        self.disc.log.write_text("")
        return Menu(x, self.procs, self.args.menu, self.disc)


def main():
    if sys.argv[1:] == ["--list"]:
        print("\n".join(CASES))
        return 0
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--menu", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--throwing-menu", required=True)
    args = parser.parse_args()
    for tool in ("Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "xset", "xrdb", "import"):
        if not shutil.which(tool):
            print("missing tool: " + tool, file=sys.stderr)
            return 1
    root = Path(tempfile.mkdtemp(prefix="velmorra-e2e-"))
    ctx = Context(args, root)
    try:
        CASES[args.case](ctx)
    except Failure as e:
        print("FAIL %s: %s" % (args.case, e), file=sys.stderr)
        return 1
    finally:
        ctx.procs.end_all()
        shutil.rmtree(root, ignore_errors=True)
    print("PASS " + args.case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
