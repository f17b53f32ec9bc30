"""The machinery around one Wine run: an X server of our own, a Wine prefix
of our own, the game process, keys and screenshots.

Every wait here is bounded, and everything started here is stopped by its own
process id (or, for the wine server, by its own prefix), so a run cannot hang
and leaves nothing behind.
"""

import os
import re
import select
import shutil
import signal
import subprocess
import time

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


class Failure(Exception):
    """A check failed; the message says what was expected and what was seen."""


def wait_until(condition, timeout, step=0.1):
    """Polls condition() until it gives a true value (returned) or timeout
    seconds pass (None)."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(step)


def wine_env(prefix, display=None):
    env = dict(os.environ)
    env.pop("WAYLAND_DISPLAY", None)
    env["WINEPREFIX"] = prefix
    env["WINEARCH"] = "win64"
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml=;winemenubuilder.exe=d"
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


def create_prefix(prefix):
    """A fresh prefix with the virtual desktop and the GDI renderer set."""
    stop_wineserver(prefix)
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    env = wine_env(prefix)
    try:
        subprocess.run(["wineboot", "-i"], env=env, timeout=180, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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
    with open(os.path.join(prefix, "user.reg"), encoding="latin-1") as reg:
        if '"renderer"="gdi"' not in reg.read():
            raise Failure("the prefix's registry did not take the desktop settings")


class XServer:
    """An Xvfb on a display number that it picks itself.

    It never resets: an X server that restarts when its last client leaves
    drops whoever connects meanwhile, and programs come and go here."""

    def __init__(self, screen="800x600x24"):
        read_fd, write_fd = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", screen, "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_fd)
        self.display = None
        try:
            number = self._read_display(read_fd)
        finally:
            os.close(read_fd)
        if number is None:
            self.stop()
            raise Failure("Xvfb did not report a display number")
        self.display = ":" + number

    def _read_display(self, fd):
        deadline = time.monotonic() + 30
        data = b""
        while time.monotonic() < deadline and b"\n" not in data:
            if self.process.poll() is not None:
                return None
            ready, _, _ = select.select([fd], [], [], 0.5)
            if ready:
                chunk = os.read(fd, 64)
                if not chunk:
                    break
                data += chunk
        text = data.decode().strip()
        return text if text.isdigit() else None

    def stop(self):
        stop_process(self.process)


def no_more_alarms():
    """Clean-up runs to its end: a watchdog that fires now would cut it short
    and leave processes behind. Every step of it has its own timeout."""
    signal.alarm(0)


def stop_process(process):
    if process is None or process.poll() is not None:
        return
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=10)


class WineGame:
    """velmora.exe started as plain `wine velmora.exe` in the prefix's
    desktop, so that its exit status is the program's own."""

    PROGRESS = re.compile(r'OutputDebugStringA "(.*)"$')

    def __init__(self, exe, prefix, display, workdir):
        self.prefix = prefix
        self.display = display
        self.env = wine_env(prefix, display)
        self.stderr_path = os.path.join(workdir, "wine-stderr.txt")
        self.stderr = open(self.stderr_path, "w", encoding="utf-8")
        self.process = subprocess.Popen(["wine", exe], env=self.env, cwd=os.path.dirname(exe),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=self.stderr)
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

    def stop(self):
        stop_process(self.process)
        for other in self.others:
            stop_process(other)
        stop_wineserver(self.prefix)
        self.stderr.close()
