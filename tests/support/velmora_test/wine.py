"""The machinery around one Wine run: a Wine prefix of our own, the game
process, keys and screenshots (on an X server of the run's own).

Every wait here is bounded, and everything started here is stopped by its own
process id (or, for the wine server, by its own prefix), so a run cannot hang
and leaves nothing behind.
"""

import os
import re
import shutil
import signal
import subprocess

from . import Failure
from .processes import stop_process

SCREEN_W, SCREEN_H = 640, 480

# Wine's virtual desktop of exactly the game's mode: on a bare X server there is
# no mode switching, so without it SetDisplayMode cannot succeed. The GDI
# renderer draws 8-bit surfaces straight through their palette, pixel-exact.
DESKTOP_REG = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Velmora"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Velmora"="640x480"

[HKEY_CURRENT_USER\Software\Wine\Direct3D]
"renderer"="gdi"
"""


def wine_env(prefix, display=None, overrides=None):
    """`overrides`: more of WINEDLLOVERRIDES, such as "xinput1_4=n"."""
    env = dict(os.environ)
    env.pop("WAYLAND_DISPLAY", None)
    env["WINEPREFIX"] = prefix
    env["WINEARCH"] = "win64"
    env["WINEDLLOVERRIDES"] = ";".join(["mscoree,mshtml=;winemenubuilder.exe=d"] +
                                       ([overrides] if overrides else []))
    # OutputDebugStringA texts reach standard error; nothing else does.
    env["WINEDEBUG"] = "-all,+debugstr"
    if display is not None:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    return env


def stop_wineserver(prefix):
    if os.path.isdir(prefix):
        subprocess.run(["wineserver", "-k"], env=wine_env(prefix), timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)


def create_prefix(prefix, desktop=True):
    """A fresh prefix with the virtual desktop and the GDI renderer set, or
    a plain one (desktop=False): programs on the X screen itself."""
    stop_wineserver(prefix)
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    env = wine_env(prefix)
    try:
        subprocess.run(["wineboot", "-i"], env=env, timeout=180, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if desktop:
            reg_file = os.path.join(prefix, "velmora-desktop.reg")
            with open(reg_file, "w", encoding="ascii") as out:
                out.write(DESKTOP_REG)
            subprocess.run(["wine", "regedit", "/S", reg_file], env=env, timeout=60, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The registry reaches the files only when the server has finished.
        subprocess.run(["wineserver", "-w"], env=env, timeout=60, check=True)
    finally:
        no_more_alarms()
        stop_wineserver(prefix)
    if not desktop:
        return
    with open(os.path.join(prefix, "user.reg"), encoding="latin-1") as reg:
        if '"renderer"="gdi"' not in reg.read():
            raise Failure("the prefix's registry did not take the desktop settings")


def processes_of_prefix(prefix):
    """(pid, command line) of every process that runs in this Wine prefix."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % entry, "rb") as env:
                if ("WINEPREFIX=%s" % prefix).encode() not in env.read().split(b"\0"):
                    continue
            with open("/proc/%s/cmdline" % entry, "rb") as cmd:
                found.append((int(entry), cmd.read().replace(b"\0", b" ").decode(errors="replace")))
        except OSError:
            continue
    return found


def program_and_server(prefix, exe_name):
    """The pids of the process running `exe_name` in the prefix and of the
    prefix's wineserver, which does half of every window call's work."""
    found = processes_of_prefix(prefix)
    program = [pid for pid, cmd in found if exe_name in cmd and "winedbg" not in cmd]
    server = [pid for pid, cmd in found if cmd.startswith("wineserver") or "/wineserver" in cmd]
    if len(program) != 1 or len(server) != 1:
        raise Failure("expected one %s and one wineserver in the prefix, found %s"
                      % (exe_name, found))
    return program[0], server[0]


def no_more_alarms():
    """Clean-up runs to its end: a watchdog that fires now would cut it short
    and leave processes behind. Every step of it has its own timeout."""
    signal.alarm(0)


class WineGame:
    """velmora.exe started as plain `wine velmora.exe ARGS` in the prefix's
    desktop, so that its exit status is the program's own."""

    PROGRESS = re.compile(r'OutputDebugStringA "(.*)"$')

    def __init__(self, exe, prefix, display, workdir, overrides=None, args=()):
        self.prefix = prefix
        self.display = display
        self.env = wine_env(prefix, display, overrides)
        self.stderr_path = os.path.join(workdir, "wine-stderr.txt")
        self.stderr = open(self.stderr_path, "w", encoding="utf-8")
        self.process = subprocess.Popen(["wine", exe, *args], env=self.env,
                                        cwd=os.path.dirname(exe), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=self.stderr)
        self.others = []

    def start_beside(self, *command):
        """Another Wine program in the same prefix and desktop, such as
        `winver`; stopped with the game at the latest."""
        process = subprocess.Popen(["wine", *command], env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.others.append(process)
        return process

    def debug_lines(self):
        """The OutputDebugStringA texts so far, each without its final newline."""
        with open(self.stderr_path, encoding="utf-8", errors="replace") as log:
            found = (self.PROGRESS.search(line.rstrip("\n")) for line in log)
            return [m.group(1).replace("\\n", "\n").rstrip("\n") for m in found if m]

    def exited(self):
        return self.process.poll() is not None

    def wait_exit(self, timeout):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, timeout=10, check=True)

    def key_down(self, key):
        self.xdotool("keydown", key)

    def key_up(self, key):
        self.xdotool("keyup", key)

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", "-crop",
                        "%dx%d+0+0" % (SCREEN_W, SCREEN_H), "+repage", path],
                       env=self.env, timeout=20, check=True)
        return path

    def whole_screen(self, path):
        """The X screen, all of it."""
        subprocess.run(["import", "-window", "root", path], env=self.env, timeout=20, check=True)
        return path

    def stop(self):
        stop_process(self.process)
        for other in self.others:
            stop_process(other)
        stop_wineserver(self.prefix)
        self.stderr.close()
