"""The Windows installer under Wine, as a player's machine would take it.

  installer_wine.py SETUP_EXE NATIVE WORKDIR

In a fresh Wine prefix: `setup.exe /S` installs silently into Program Files
with two Start menu entries (the game, and the game in exclusive full
screen) and an entry in Windows' list of installed programs; the program
of each entry shows the title frame the native build captures; the
uninstaller's `/S` then leaves no file and no registry key of ours behind
(once Windows has restarted and deleted the uninstaller's own copy).
Status 77 (skipped) when the installer has not been built."""

import os
import re
import signal
import subprocess
import sys
import time

from velmora_test import Failure, frames, headless, images
from velmora_test import wine as winehost
from velmora_test.waiting import wait_until
from velmora_test.xserver import XServer

LIMIT = 280  # seconds; inside the test's own timeout
UNINSTALL_KEY = r"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora"
INSTALLED = ["velmora.exe", "velmora-exclusive.exe", "README.txt", "LICENSE", "uninstall.exe"]
# Start menu entry: the program it starts.
ENTRIES = {"Velmora.lnk": "velmora.exe",
           "Velmora (exclusive full screen).lnk": "velmora-exclusive.exe"}
STARTED = time.monotonic()


def log(text):
    print("[%6.1fs] %s" % (time.monotonic() - STARTED, text), flush=True)


def files(prefix):
    drive = os.path.join(prefix, "drive_c")
    return {os.path.relpath(os.path.join(folder, name), drive)
            for folder, _, names in os.walk(drive) for name in names}


def registry(prefix):
    """Every key of the prefix's registry files, with its values' lines."""
    keys = {}
    for hive in ("system.reg", "user.reg", "userdef.reg"):
        with open(os.path.join(prefix, hive), encoding="latin-1") as reg:
            for block in reg.read().split("\n\n"):
                found = re.match(r"\[([^\]]+)\]", block)
                if found:
                    keys[found.group(1)] = block
    return keys


def wine(prefix, display, *command):
    """A Wine program run to its end; then every process of the prefix, the
    registry written to its files."""
    env = winehost.wine_env(prefix, display)
    status = subprocess.run(["wine", *command], env=env, timeout=120, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    subprocess.run(["wineserver", "-w"], env=env, timeout=120, check=True)
    return status


def check_installed(prefix):
    folder = os.path.join(prefix, "drive_c", "Program Files", "Velmora")
    missing = [name for name in INSTALLED if not os.path.isfile(os.path.join(folder, name))]
    if missing:
        raise Failure("not installed in C:\\Program Files\\Velmora: %s" % missing)
    menu = os.path.join(prefix, "drive_c", "ProgramData", "Microsoft", "Windows", "Start Menu",
                        "Programs")
    for name, program in ENTRIES.items():
        link = os.path.join(menu, name)
        if not os.path.isfile(link):
            raise Failure("no Start menu entry at %s" % link)
        with open(link, "rb") as shortcut:
            target = shortcut.read()
            if program.encode() not in target and program.encode("utf-16-le") not in target:
                raise Failure("the Start menu entry %s does not start %s" % (name, program))
    entry = [block for key, block in registry(prefix).items() if key.endswith(UNINSTALL_KEY)]
    if not entry or '"UninstallString"' not in entry[0]:
        raise Failure("no entry in the installed programs (HKLM\\%s): %s" % (UNINSTALL_KEY, entry))
    if '"DisplayVersion"="%s"' % os.environ["VELMORA_VERSION"] not in entry[0]:
        raise Failure("the installed programs' entry has not version %s: %s" %
                      (os.environ["VELMORA_VERSION"], entry[0]))
    log("installed: the files, the Start menu entries, the uninstall entry")
    return [os.path.join(folder, program) for program in ENTRIES.values()]


def check_title(exe, prefix, display, workdir, title):
    game = winehost.WineGame(exe, prefix, display, workdir)
    shot = {}
    try:
        def shows_title():
            if game.exited():
                raise Failure("the installed game ended with status %s" % game.process.returncode)
            shot["image"] = frames.load(game.screenshot(os.path.join(workdir, "title.png")))
            shot["diffs"] = frames.differences(shot["image"], title)
            return not shot["diffs"]

        if not wait_until(shows_title, 60, step=0.3):
            path = images.save_marked(os.path.join(workdir, "diff-title.png"), shot["image"],
                                      shot["diffs"])
            raise Failure("the installed game's title differs from the native one (%s):\n%s" %
                          (path, images.describe(shot["diffs"], "installed", "native")))
        log("the installed %s shows the native title frame" % os.path.basename(exe))
        game.key_down("Escape")
        status = game.wait_exit(30)
        game.key_up("Escape")
        if status != 0:
            raise Failure("Escape ended the installed game with %s, expected 0" % status)
    finally:
        game.stop()


# The player's own files: what they chose in the game is theirs, and an
# uninstall keeps it, as removing the Linux package keeps ~/.config/velmora.
PLAYER_SETTINGS = "/AppData/Roaming/Velmora/velmora.ini"


def check_nothing_left(prefix, files_before, keys_before):
    new = files(prefix) - files_before
    kept = [path for path in new if path.endswith(PLAYER_SETTINGS)]
    if len(kept) != 1:
        raise Failure("player settings after the uninstall: %s, expected one velmora.ini kept"
                      % kept)
    left = sorted(new - set(kept))
    if left:
        raise Failure("files left after the uninstall: %s" % left)
    keys = registry(prefix)
    ours = sorted(key for key in keys if "velmora" in keys[key].lower() and
                  keys[key] != keys_before.get(key))
    if ours:
        raise Failure("registry keys naming Velmora after the uninstall: %s" % ours)
    log("uninstalled: no file and no registry key of ours left but the player's settings")


def main(setup, native, workdir):
    if not os.path.isfile(setup):
        print("no installer at %s; scripts/package.sh makes it" % setup)
        return 77
    os.makedirs(workdir, exist_ok=True)
    prefix = os.path.join(workdir, "prefix")
    title = headless.reference_frames(native, os.path.join(workdir, "native"))["title"]
    winehost.create_prefix(prefix)
    log("fresh Wine prefix")
    files_before, keys_before = files(prefix), registry(prefix)
    xserver = XServer()
    try:
        status = wine(prefix, xserver.display, os.path.abspath(setup), "/S")
        if status != 0:
            raise Failure("the silent install ended with status %d" % status)
        for exe in check_installed(prefix):
            check_title(exe, prefix, xserver.display, workdir, title)
        status = wine(prefix, xserver.display, "C:\\Program Files\\Velmora\\uninstall.exe", "/S")
        if status != 0:
            raise Failure("the silent uninstall ended with status %d" % status)
        # The uninstaller runs from a copy of itself in the temporary folder,
        # which Windows deletes at the next start (as NSIS asks it to).
        wine(prefix, xserver.display, "wineboot", "-r")
        check_nothing_left(prefix, files_before, keys_before)
    finally:
        winehost.no_more_alarms()
        winehost.stop_wineserver(prefix)
        xserver.stop()
    return 0


def on_alarm(signum, frame):
    raise Failure("the installer check took longer than %d s" % LIMIT)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    signal.signal(signal.SIGALRM, on_alarm)
    signal.signal(signal.SIGTERM, on_alarm)
    signal.alarm(LIMIT)
    try:
        sys.exit(main(*sys.argv[1:]))
    except (Failure, subprocess.SubprocessError, OSError) as failure:
        log("FAILED: %s" % failure)
        sys.exit(1)
