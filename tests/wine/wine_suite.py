"""End-to-end checks of velmora.exe under Wine, against the native build.

  wine_suite.py prefix  PREFIX                      make the suite's Wine prefix
  wine_suite.py imports EXE                         the .exe needs only system DLLs
  wine_suite.py session EXE NATIVE PREFIX WORKDIR   play it under Wine and compare
  wine_suite.py loss EXE NATIVE HELPER PREFIX WORKDIR
                                                    another program takes the front
                                                    during play; the game comes back
  wine_suite.py sequences EXE NATIVE PREFIX WORKDIR seeded DirectDraw sequences give
                                                    the same answers and pixels on
                                                    Wine's ddraw and on ours
  wine_suite.py files EXE PREFIX WORKDIR            the player's settings and files on
                                                    Windows' own calls (player_files.exe)
  wine_suite.py bare-prefix PREFIX                  a prefix without a virtual desktop
  wine_suite.py pad PAD_POLL FAKE_XINPUT PREFIX WORKDIR
                                                    the pad module on a stand-in
                                                    XInput: keys, plugging, slots
  wine_suite.py own-pad EXE NATIVE FAKE_XINPUT PREFIX WORKDIR
                                                    velmora-desktop.exe played with
                                                    that pad: it starts play and
                                                    moves the ball, unplugged it
                                                    lets go
  wine_suite.py own-imports EXE                     the build on our own DirectDraw
                                                    needs no ddraw.dll
  wine_suite.py own-ddraw EXE NATIVE HELPER PREFIX WORKDIR
                                                    that build on a bare X screen under
                                                    openbox: our DirectDraw answers,
                                                    the frame is the native one
                                                    scaled, paced to the refresh, in
                                                    full screen and in a window, and
                                                    whole after a loss of the focus;
                                                    minimised, it costs next to nothing;
                                                    a second run starts in the window
                                                    the first quit in, F9 and Print
                                                    Screen write the native capture;
                                                    --help and bad options answer

Wine's ddraw, user32 and gdi32 stand for the real platform here: the title and
play frames it shows must equal, pixel for pixel, the frames that the native
build (our own platform layer, run headless) captures of the same moments.
"""

import contextlib
import glob
import os
import shutil
import signal
import subprocess
import sys
import time

from PIL import Image

import fps_digits
from velmora_test import Failure, desktop, frames, headless, images
from velmora_test import wine as winehost
from velmora_test.frames import PROGRESS as PROGRESS_LINES
from velmora_test.desktop import Openbox
from velmora_test.processes import cpu_seconds_fine, wakes
from velmora_test.waiting import wait_until
from velmora_test.xserver import XServer

# DLLs that every Windows has; anything else would have to ship with the game.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "ddraw.dll", "msvcrt.dll",
               "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll", "comdlg32.dll",
               "winspool.drv",
               # The Windows imaging component, which encodes the screenshots.
               "windowscodecs.dll"}

SESSION_LIMIT = 240  # seconds; well inside the test's own timeout
FRAME_WAIT = 30
SETUP_STALL = 30
STARTED = time.monotonic()


def log(text):
    print("[%6.1fs] %s" % (time.monotonic() - STARTED, text), flush=True)


def check_imports(exe, wants_ddraw=True):
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], capture_output=True,
                          text=True, timeout=60, check=True).stdout
    dlls = [line.split(":", 1)[1].strip() for line in dump.splitlines()
            if line.strip().startswith("DLL Name:")]
    log("imports: " + ", ".join(dlls))
    if "(Windows GUI)" not in dump:
        raise Failure("velmora.exe is not built for the Windows GUI subsystem")
    if not dlls:
        raise Failure("no imported DLLs found in %s" % exe)
    foreign = [d for d in dlls if d.lower() not in SYSTEM_DLLS]
    if foreign:
        raise Failure("velmora.exe needs DLLs that Windows does not have: %s" % foreign)
    imports_ddraw = "ddraw.dll" in [d.lower() for d in dlls]
    if imports_ddraw != wants_ddraw:
        raise Failure("%s %s ddraw.dll" % (exe, "does not import" if wants_ddraw else "imports"))


def save_diff(workdir, name, shot, diffs):
    return images.save_marked(os.path.join(workdir, "diff-%s.png" % name), shot, diffs)


class Session:
    def __init__(self, game, workdir):
        self.game = game
        self.workdir = workdir
        self.shots = 0

    def shot(self):
        self.shots += 1
        path = os.path.join(self.workdir, "shot-%03d.png" % self.shots)
        return frames.load(self.game.screenshot(path))

    def expect_frame(self, name, expected, ignore=(frames.FPS_BOX,)):
        """Waits until the screen shows `expected` outside the boxes to ignore
        (by default the FPS text)."""
        last = {}

        def matches():
            if self.game.exited():
                raise Failure("the game ended while waiting for the %s frame" % name)
            last["shot"] = self.shot()
            last["diffs"] = frames.differences(last["shot"], expected, ignore)
            return not last["diffs"]

        if wait_until(matches, FRAME_WAIT, step=0.2):
            log("%s frame: equal to the native one" % name)
            return last["shot"]
        path = save_diff(self.workdir, name, last["shot"], last["diffs"])
        raise Failure("the %s frame under Wine differs from the native one (marked in %s):\n%s" %
                      (name, path, images.describe(last["diffs"], "wine", "native")))

    def hold_until_frame(self, key, name, expected):
        self.game.key_down(key)
        try:
            return self.expect_frame(name, expected)
        finally:
            self.game.key_up(key)

    def ball(self, reference, sprite):
        shot = self.shot()
        where = frames.locate_ball(shot, reference, sprite)
        if where is None:
            path = save_diff(self.workdir, "ball", shot, frames.differences(shot, reference))
            raise Failure("the ball is nowhere on the screen (see %s)" % path)
        return where

    def resting_ball(self, reference, sprite):
        """The ball's place once it has stopped: on a busy machine the key's
        release can reach the game a little after the screenshot."""
        seen = [self.ball(reference, sprite)]

        def still():
            seen.append(self.ball(reference, sprite))
            return seen[-1] == seen[-2]

        if not wait_until(still, FRAME_WAIT, step=0.1):
            raise Failure("the ball keeps moving with no key down: %s" % seen[-5:])
        return seen[-1]

    def tap_until_moved(self, key, start, reference, sprite):
        """Short key presses until the ball has left `start`; its new place."""
        for _ in range(20):
            self.game.key_down(key)
            time.sleep(0.08)
            self.game.key_up(key)
            where = self.resting_ball(reference, sprite)
            if where != start:
                return where
        raise Failure("%s did not move the ball from %s" % (key, start))


def play_background(native_frames, sprite):
    moved = native_frames["play_left"]
    where = frames.locate_ball(moved, native_frames["play"], sprite)
    if where is None or where[0] > frames.BALL_START[0] - frames.BALL_SIZE:
        raise Failure("the native build did not move the ball left: %s" % (where,))
    return frames.without_ball(moved, where, native_frames["play"])


def check_movement(session, play, sprite, background):
    """Each arrow moves the ball its way, and every frame on the way is the
    play background with the ball at its new place."""
    where = frames.BALL_START
    for key, axis, sign in (("Left", 0, -1), ("Up", 1, -1), ("Right", 0, 1), ("Down", 1, 1)):
        moved = session.tap_until_moved(key, where, play, sprite)
        steps = (frames.field_step(where[0], moved[0], *frames.FIELD_X),
                 frames.field_step(where[1], moved[1], *frames.FIELD_Y))
        log("%s: ball %s -> %s" % (key, where, moved))
        if steps[axis] * sign <= 0 or steps[1 - axis] != 0:
            raise Failure("%s moved the ball from %s to %s" % (key, where, moved))
        session.expect_frame("play, ball at %s" % (moved,),
                             frames.with_ball(background, sprite, *moved))
        where = moved


def check_progress_lines(game, expected=PROGRESS_LINES):
    # Set-up takes a second or two; a failed step shows a message box and waits.
    progress = {"lines": [], "since": time.monotonic()}

    def complete():
        if game.exited():
            raise Failure("the game ended during set-up with status %s; debug output: %s" %
                          (game.process.returncode, game.debug_lines()))
        lines = game.debug_lines()
        if lines != progress["lines"]:
            progress.update(lines=lines, since=time.monotonic())
        if time.monotonic() - progress["since"] > SETUP_STALL:
            raise Failure("set-up stopped after %s (a failed step shows a message box)" % lines)
        return len(lines) >= len(expected)

    if not wait_until(complete, 90, step=0.2):
        raise Failure("set-up did not finish; debug output so far: %s" % game.debug_lines())
    lines = game.debug_lines()
    if lines != expected:
        raise Failure("progress lines %s, expected %s" % (lines, expected))
    log("the %d progress lines, in order" % len(expected))


def escape_ends_with_status_0(game, expected=PROGRESS_LINES):
    game.key_down("Escape")
    status = game.wait_exit(30)
    game.key_up("Escape")
    if status is None:
        raise Failure("Escape did not end the game")
    if status != 0:
        raise Failure("the game ended with status %d after Escape" % status)
    if game.debug_lines() != expected:
        raise Failure("unexpected debug output: %s" % game.debug_lines()[len(expected):])
    log("Escape: the game ended with status 0")


def run_game(exe, prefix, workdir, body, xserver=None, overrides=None, args=()):
    """Starts the game (with `args`) on an X server of its own, runs
    body(game, session) and stops everything, with a screenshot of the screen
    when a check failed."""
    own_server = xserver is None
    xserver = xserver or XServer()
    game = None
    try:
        log("Xvfb on %s" % xserver.display)
        game = winehost.WineGame(exe, prefix, xserver.display, workdir, overrides, args)
        body(game, Session(game, workdir))
    except Failure:
        if game is not None and not game.exited():
            path = game.screenshot(os.path.join(workdir, "failure.png"))
            log("the screen at the failure: %s" % path)
        raise
    finally:
        winehost.no_more_alarms()
        if game is not None:
            game.stop()
        if own_server:
            xserver.stop()


def play_session(native_frames):
    def body(game, session):
        check_progress_lines(game)
        session.expect_frame("title", native_frames["title"])
        session.expect_frame("title with FPS text", native_frames["title_fps"],
                             ignore=(frames.FPS_DIGITS_BOX,))
        play = session.hold_until_frame("space", "play", native_frames["play"])
        sprite = frames.ball_pixels(native_frames["play"], *frames.BALL_START)
        check_movement(session, play, sprite, play_background(native_frames, sprite))
        session.hold_until_frame("s", "title after S", native_frames["title"])
        escape_ends_with_status_0(game)

    return body


# What Wine 8 does when another program takes the front from the game in
# exclusive full-screen mode (640 x 480 virtual desktop, GDI renderer; found
# with WINEDEBUG=+message,+ddraw while `wine winver` came up during play):
#
# - The game's window hears WM_NCACTIVATE(0), WM_ACTIVATE(WA_INACTIVE) with
#   the minimised flag clear, then WM_ACTIVATEAPP(0); inside that, Wine puts
#   the desktop's mode back (WM_DISPLAYCHANGE, 32 bits per pixel) and only
#   then minimises the window (WM_KILLFOCUS, WM_SIZE with SIZE_MINIMIZED).
#   No WM_ACTIVATE ever carries the minimised flag on the way down, so the
#   game stays "active" by its own rule (active means not minimised) and
#   frames go on running in the background, as fast as the 1 ms sleep lets
#   them, each one's Flip meeting a lost primary whose Restore fails.
# - Blits into the back buffer keep succeeding; only Flip reports the loss.
# - Brought back (ShowWindow(SW_RESTORE), SetForegroundWindow), the window
#   hears WM_ACTIVATEAPP(1), WM_NCACTIVATE(1), WM_ACTIVATE(WA_ACTIVE) with
#   the minimised flag set (frames stop), WM_SETFOCUS, WM_SIZE restored, then
#   WM_ACTIVATE(WA_ACTIVE) without the flag (frames run again).
# - Wine does not set the game's mode again: no WM_DISPLAYCHANGE comes, and
#   Restore on the primary answers DDERR_WRONGMODE ("Display mode format 0x76
#   doesn't match surface format 0xa") until the game calls SetDisplayMode.
#   Without that the screen stays white for good. After SetDisplayMode the
#   colours are right even without SetPalette: Wine keeps the palette.
# - The published behaviour of the real platform: Restore answers
#   DDERR_WRONGMODE for a surface made in another mode, and an exclusive
#   application's mode comes back when it is activated again, so there the
#   first Restore after the return succeeds and the game's extra step never
#   runs.
# - SetDisplayMode from the game while another program is in front succeeds
#   under Wine and switches the desktop under that program, which is why the
#   game sets its mode only while its window is the active one.
def loss_session(native_frames, helper):
    def body(game, session):
        check_progress_lines(game)
        session.expect_frame("title", native_frames["title"])
        play = session.hold_until_frame("space", "play", native_frames["play"])
        other = other_program_in_front(game, session, play)
        close_other_program(game, other)
        bring_back(game, helper)
        session.expect_frame("play after the loss", native_frames["play"],
                             ignore=(frames.FPS_ROW_BOX,))
        escape_ends_with_status_0(game)

    return body


def other_program_in_front(game, session, play):
    other = game.start_beside("winver")

    def covered():
        if other.poll() is not None:
            raise Failure("winver ended by itself with status %d" % other.returncode)
        return len(frames.differences(session.shot(), play)) > frames.WIDTH * frames.HEIGHT // 4

    if not wait_until(covered, FRAME_WAIT, step=0.5):
        raise Failure("winver did not take the front from the game")
    # Frames go on running behind it; give them time to try their restores.
    time.sleep(2)
    if not covered():
        raise Failure("the game took the front back from winver by itself")
    log("winver in front of the game")
    return other


def close_other_program(game, other):
    # Its OK button has the focus: Return presses it.
    for _ in range(3):
        game.xdotool("key", "Return")
        try:
            status = other.wait(timeout=10)
            break
        except subprocess.TimeoutExpired:
            continue
    else:
        raise Failure("winver did not close on Return")
    if status != 0:
        raise Failure("winver ended with status %d" % status)
    log("winver closed")


def bring_back(game, helper):
    status = subprocess.run(["wine", helper], env=game.env, timeout=60, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    if status == 1:
        raise Failure("the helper found no window of class Velmora")
    if status != 0:
        raise Failure("the helper could not bring the game's window to the front (%d)" % status)
    log("the game's window restored and in front")


def fresh_workdir(workdir):
    shutil.rmtree(workdir, ignore_errors=True)
    os.makedirs(workdir)


def session_command(exe, native, prefix, workdir):
    fresh_workdir(workdir)
    native_frames = headless.reference_frames(native, os.path.join(workdir, "native"))
    log("native frames captured")
    run_game(os.path.abspath(exe), prefix, workdir, play_session(native_frames))


def loss_command(exe, native, helper, prefix, workdir):
    fresh_workdir(workdir)
    native_frames = headless.reference_frames(native, os.path.join(workdir, "native"))
    log("native frames captured")
    run_game(os.path.abspath(exe), prefix, workdir,
             loss_session(native_frames, os.path.abspath(helper)))


# The sequences of ddraw_sequence.cpp: seeds 1 to SEQUENCE_SEEDS, each of
# SEQUENCE_OPS operations (about 20 s under Wine).
SEQUENCE_SEEDS = 300
SEQUENCE_OPS = 40
# Where Wine's ddraw answers otherwise than the platform for a reason, the
# platform keeps its answer: (operation, destination, Wine's answer, ours).
ACCEPTED_ANSWERS = {
    # The DirectDraw reference gives DDERR_IMPLICITLYCREATED for a surface
    # that came with its flipping chain; Wine restores it and says DD_OK.
    ("Restore", "1", "00000000", "8876024C"),
}


def sequence_lines(name, command, env, timeout):
    done = subprocess.run(command, env=env, capture_output=True, text=True, timeout=timeout,
                          stdin=subprocess.DEVNULL, check=False)
    if done.returncode != 0:
        raise Failure("%s ended with status %d: %s" % (name, done.returncode, done.stdout[-300:]))
    return done.stdout.replace("\r", "").splitlines()


def accepted(wine_line, our_line):
    """Lines that differ only in an answer that ACCEPTED_ANSWERS explains."""
    theirs, ours = wine_line.split(), our_line.split()
    if theirs[:5] != ours[:5] or theirs[6:] != ours[6:]:
        return False
    return (theirs[2], theirs[3].split("<-")[0], theirs[5], ours[5]) in ACCEPTED_ANSWERS


def sequences_command(exe, native, prefix, workdir):
    fresh_workdir(workdir)
    args = ["1", str(SEQUENCE_SEEDS), str(SEQUENCE_OPS)]
    ours = sequence_lines("the native program", [os.path.abspath(native)] + args,
                          dict(os.environ), 120)
    xserver = XServer()
    try:
        theirs = sequence_lines("the program under Wine", ["wine", os.path.abspath(exe)] + args,
                                winehost.wine_env(prefix, xserver.display), 180)
    finally:
        winehost.no_more_alarms()
        winehost.stop_wineserver(prefix)
        xserver.stop()
    for name, lines in (("wine", theirs), ("native", ours)):
        with open(os.path.join(workdir, name + ".txt"), "w", encoding="ascii") as out:
            out.write("\n".join(lines) + "\n")
    if len(theirs) != len(ours):
        raise Failure("%d operations ran under Wine, %d natively" % (len(theirs), len(ours)))
    differing = {}
    for wine_line, our_line in zip(theirs, ours):
        if wine_line != our_line and not accepted(wine_line, our_line):
            differing.setdefault(wine_line.split()[0], (wine_line, our_line))
    if differing:
        wine_line, our_line = next(iter(differing.values()))
        raise Failure("%d of %d seeds differ (both outputs in %s); the first:\n  Wine: %s\n"
                      "  ours: %s" % (len(differing), SEQUENCE_SEEDS, workdir, wine_line, our_line))
    log("%d seeds, %d operations: the same answers and surfaces on Wine and natively"
        % (SEQUENCE_SEEDS, len(ours)))


# The frame player_files.cpp saves: 5 x 3, index i * 17, colour i = (i, 7, 255 - i).
SHOT_INDICES = [i * 17 for i in range(15)]
SHOT_PALETTE = [c for i in range(256) for c in (i, 7, 255 - i)]
SHOT_NAMES = ["velmora-20231114-221320.png", "velmora-20231114-221320-2.png"]


def check_screenshot(path):
    from PIL import Image
    with Image.open(path) as shot:
        shot.load()
        found = (shot.mode, shot.size, list(shot.getdata()), shot.getpalette()[:768])
    expected = ("P", (5, 3), SHOT_INDICES, SHOT_PALETTE)
    for what, got, wanted in zip(("mode", "size", "indices", "palette"), found, expected):
        if got != wanted:
            raise Failure("%s: %s %s, expected %s" % (path, what, str(got)[:200],
                                                      str(wanted)[:200]))


def files_command(exe, prefix, workdir):
    fresh_workdir(workdir)
    shots = os.path.join(os.path.abspath(workdir), "shots")
    # Wine's Z: drive is the Unix root.
    command = ["wine", os.path.abspath(exe), "Z:" + shots.replace("/", "\\")]
    try:
        done = subprocess.run(command, env=winehost.wine_env(prefix), capture_output=True,
                              timeout=120, stdin=subprocess.DEVNULL, check=False)
    finally:
        winehost.no_more_alarms()
        winehost.stop_wineserver(prefix)
    output = done.stdout.decode("utf-8", "replace").replace("\r", "")
    print(output, end="", flush=True)
    if done.returncode != 0:
        raise Failure("player_files.exe ended with status %d: %s" %
                      (done.returncode, done.stderr.decode("utf-8", "replace")[-500:]))
    names = sorted(os.listdir(shots)) if os.path.isdir(shots) else []
    if names != sorted(SHOT_NAMES):
        raise Failure("screenshots %s in %s, expected %s" % (names, shots, SHOT_NAMES))
    for name in names:
        check_screenshot(os.path.join(shots, name))
    log("settings, files and screenshots on Windows' own calls: as on Linux")
# Wine's own XInput reads the HID devices Wine's bus finds; an X server has
# none, and this machine no uinput to make one. A stand-in of ours
# (fake_xinput.cpp) is put in place of the prefix's xinput1_4.dll, the folder
# the game loads XInput from, and reads its pads from a file.
FAKE_XINPUT = "xinput1_4=n"
NO_XINPUT = "xinput1_4,xinput1_3,xinput9_1_0=d"


@contextlib.contextmanager
def fake_xinput(prefix, dll, workdir):
    """The stand-in in the prefix's system folder while the block runs, and
    VELMORA_FAKE_PAD naming the file of its pads; a `pads` call writes it."""
    system = os.path.join(prefix, "drive_c", "windows", "system32", "xinput1_4.dll")
    kept = os.path.join(workdir, "xinput1_4.wine.dll")
    pads_file = os.path.join(os.path.abspath(workdir), "pads.txt")
    shutil.copyfile(system, kept)
    shutil.copyfile(dll, system)
    os.environ["VELMORA_FAKE_PAD"] = winehost_path(pads_file)

    def pads(*slots):
        """Up to four slots, each "BUTTONS LX LY" or None for no pad."""
        lines = [slot or "-" for slot in slots] + ["-"] * (4 - len(slots))
        with open(pads_file + ".new", "w", encoding="ascii") as out:
            out.write("\n".join(lines) + "\n")
        os.replace(pads_file + ".new", pads_file)

    pads()
    try:
        yield pads
    finally:
        shutil.copyfile(kept, system)


def pad_program(exe, prefix, display, overrides, *args):
    done = subprocess.run(["wine", exe, *args], env=winehost.wine_env(prefix, display, overrides),
                          capture_output=True, timeout=120, stdin=subprocess.DEVNULL, check=False)
    output = done.stdout.decode("utf-8", "replace").replace("\r", "")
    print(output, end="", flush=True)
    if done.returncode != 0 or "ok " not in output:
        raise Failure("pad_poll.exe %s ended with status %d" % (" ".join(args), done.returncode))


def pad_command(pad_poll, dll, prefix, workdir):
    fresh_workdir(workdir)
    xserver = XServer()
    try:
        with fake_xinput(prefix, dll, workdir):
            pad_program(os.path.abspath(pad_poll), prefix, xserver.display, FAKE_XINPUT)
            pad_program(os.path.abspath(pad_poll), prefix, xserver.display, NO_XINPUT, "none")
    finally:
        winehost.no_more_alarms()
        winehost.stop_wineserver(prefix)
        xserver.stop()
    log("pads on the stand-in XInput: the keys as on Linux; none at all: no keys")


# The build on our own DirectDraw, on an X screen larger than the game's mode
# with a window manager and no virtual desktop, as a player's Linux desktop is.
SCREEN = (1280, 1024)
OWN_DDRAW = "DirectDraw: Velmora's own, drawn with GDI"
# What our DirectDraw says when full screen gives way and when the game's own
# restore path has restored a surface afterwards.
GAVE_WAY = ["DirectDraw: another program took the focus; surfaces lost",
            "DirectDraw: surfaces restored"]
FPS_BAND = (55, 65)
# A window the player made larger: the frame at 1x in the middle, bars
# around. Maximised on this screen, it holds the frame at 2x.
LARGER_WINDOW = (900, 700)
FONT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources",
                    "STRINGS.bmp")
# Minimised, the game has nothing to do: it and the wineserver together take
# under this share of a core. Both processes' own time on a processor is
# counted, not the wall time, so a busy machine does not raise the figure
# (it is some 0.4 % here; a game that runs its frames or polls at 100 Hz
# while minimised takes 3 % and more).
MINIMISED_SHARE = 2.0
MINIMISED_SECONDS = 4
# A window that lost the focus but is shown runs its frames, 60 a second, each
# a wake at least; a game that waited for messages there would not wake at all.
UNFOCUSED_WAKES = 20


def on_screen(frame):
    """The whole screen as full screen should show `frame`: black, the frame
    scaled by the viewport rule (the largest whole multiple) in the middle."""
    x, y, width, height = fps_digits.viewports(*SCREEN)[1]
    screen = Image.new("RGB", SCREEN)
    screen.paste(frame.resize((width, height), Image.NEAREST), (x, y))
    return screen, (x, y, width // frames.WIDTH)


def frame_seen(shot, place):
    """The 640 x 480 frame inside a screenshot, one pixel a scaled pixel."""
    x, y, scale = place
    box = (x, y, x + frames.WIDTH * scale, y + frames.HEIGHT * scale)
    return shot.crop(box).resize((frames.WIDTH, frames.HEIGHT), Image.NEAREST)


def expect_screen(game, workdir, name, frame):
    expected, place = on_screen(frame)
    x, y, scale = place
    fps_row = (x, y, x + frames.FPS_ROW_BOX[2] * scale, y + frames.FPS_ROW_BOX[3] * scale)
    last = {}

    def matches():
        if game.exited():
            raise Failure("the game ended while waiting for the %s screen" % name)
        last["shot"] = frames_load_screen(game, workdir)
        last["diffs"] = images.differences(last["shot"], expected, (fps_row,))
        return not last["diffs"]

    if not wait_until(matches, FRAME_WAIT, step=0.5):
        path = save_diff(workdir, name, last["shot"], last["diffs"])
        raise Failure("the %s screen differs from the native frame at %dx, black around "
                      "(marked in %s; the game's window: %s):\n%s"
                      % (name, scale, path, client_area(game),
                         images.describe(last["diffs"], "wine", "native")))
    log("%s: the native frame at %dx, black around" % (name, scale))
    return place


def frames_load_screen(game, workdir):
    path = game.whole_screen(os.path.join(workdir, "screen.png"))
    return images.load(path, SCREEN)


def check_counter(game, workdir, place):
    """The game's own counter: paced to the 60 Hz Wine reports as 0. A busy
    machine may show fewer for a second; never many more."""
    font = fps_digits.Font(FONT)
    seen = []

    def in_band():
        rate = font.read_fps(frame_seen(frames_load_screen(game, workdir), place))
        if rate is not None and (not seen or seen[-1] != rate):
            seen.append(rate)
        if rate is not None and rate > FPS_BAND[1]:
            raise Failure("the counter reads %d frames a second (seen: %s); expected %d to %d"
                          % (rate, seen, *FPS_BAND))
        return rate is not None and FPS_BAND[0] <= rate <= FPS_BAND[1]

    if not wait_until(in_band, FRAME_WAIT, step=0.5):
        raise Failure("the counter never read %d to %d frames a second; it read %s"
                      % (*FPS_BAND, seen))
    log("the counter reads %s" % seen)


def client_area(game):
    """(x, y, width, height) of the game's window on the X screen, or None.
    xwininfo's absolute corner: xdotool's geometry counts the decoration."""
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % frames.TITLE],
                         env=game.env, capture_output=True, text=True, timeout=10).stdout.split()
    if len(ids) != 1:
        return None
    out = subprocess.run(["xwininfo", "-id", ids[0]], env=game.env, capture_output=True,
                         text=True, timeout=10).stdout
    keys = ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")
    found = dict(line.strip().split(":", 1) for line in out.splitlines() if ":" in line)
    if not all(k in found for k in keys):
        return None
    return tuple(int(found[k]) for k in keys)


def window_picture(frame, size):
    """A client area of `size` showing the frame: (the area, its scale, the
    FPS row's box in it)."""
    x0, y0, width, height = fps_digits.viewports(*size)[1]
    scale = width // frames.WIDTH
    expected = Image.new("RGB", size)
    expected.paste(frame.resize((width, height), Image.NEAREST), (x0, y0))
    return expected, scale, (x0, y0, x0 + width, y0 + frames.FPS_ROW_BOX[3] * scale)


def window_shot(game, workdir, size):
    """The client area of the game's window of `size`, or None."""
    area = client_area(game)
    if area is None or area[2:] != size:
        return None
    x, y = area[:2]
    return frames_load_screen(game, workdir).crop((x, y, x + size[0], y + size[1]))


def expect_window(game, workdir, name, frame, size=(frames.WIDTH, frames.HEIGHT)):
    """The game in an ordinary window whose client area is `size`: the frame
    at the largest whole multiple that fits, black around, all of it the
    native frame below the FPS row. Returns where the client area is."""
    expected, scale, fps_row = window_picture(frame, size)
    last = {}

    def matches():
        if game.exited():
            raise Failure("the game ended while waiting for the %s window" % name)
        last["area"] = client_area(game)
        if last["area"] is None or last["area"][2:] != size:
            return False
        x, y = last["area"][:2]
        shot = frames_load_screen(game, workdir)
        last["shot"] = shot.crop((x, y, x + size[0], y + size[1]))
        last["diffs"] = images.differences(last["shot"], expected, (fps_row,))
        return not last["diffs"]

    if not wait_until(matches, FRAME_WAIT, step=0.5):
        if "shot" not in last:
            raise Failure("the %s window is %s, expected a %dx%d client area"
                          % (name, last.get("area"), *size))
        path = save_diff(workdir, name, last["shot"], last["diffs"])
        raise Failure("the %s window differs from the native frame at %dx, black around "
                      "(marked in %s):\n%s"
                      % (name, scale, path, images.describe(last["diffs"], "wine", "native")))
    log("%s: a window at %s, the native frame at %dx" % (name, last["area"], scale))
    return last["area"]


def window_manager(game, *args):
    """wmctrl on the game's window: the window manager moves it, as a
    player's drag or its title bar's buttons do."""
    subprocess.run(["wmctrl", "-r", frames.TITLE, *args], env=game.env, timeout=10, check=True)


def resize_window(game, size):
    """The player drags the window's corner: the client area becomes `size`."""
    window_manager(game, "-e", "0,-1,-1,%d,%d" % size)


def maximise_window(game):
    """The player maximises the window: returns its client area's size, once
    it is as wide as the screen."""
    window_manager(game, "-b", "add,maximized_vert,maximized_horz")
    if not wait_until(lambda: (client_area(game) or (0, 0, 0))[2] == SCREEN[0], FRAME_WAIT,
                      step=0.2):
        raise Failure("the maximised window is %s, expected one as wide as the screen"
                      % (client_area(game),))
    return client_area(game)[2:]


def minimised_by_other_program(game):
    """winver takes the focus from the full-screen game, which gives way."""
    other = game.start_beside("winver")

    def gone():
        if other.poll() is not None:
            raise Failure("winver ended by itself with status %d" % other.returncode)
        return client_area(game) is None

    if not wait_until(gone, FRAME_WAIT, step=0.5):
        raise Failure("the full-screen game is still on the screen (%s) with winver in front"
                      % (client_area(game),))
    log("winver in front, the game minimised")
    return other


def game_window(game):
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % frames.TITLE],
                         env=game.env, capture_output=True, text=True, timeout=10).stdout.split()
    if len(ids) != 1:
        raise Failure("windows titled %r on the screen: %s, expected one" % (frames.TITLE, ids))
    return ids[0]


def check_minimised_share(game, how):
    """The game's and the wineserver's share of a core over MINIMISED_SECONDS."""
    pids = winehost.program_and_server(game.prefix, "velmora-desktop.exe")
    before = [cpu_seconds_fine(pid) for pid in pids]
    started = time.monotonic()
    time.sleep(MINIMISED_SECONDS)  # the span measured, not a wait for something
    spent = [cpu_seconds_fine(pid) - b for pid, b in zip(pids, before)]
    share = 100 * sum(spent) / (time.monotonic() - started)
    if share >= MINIMISED_SHARE:
        raise Failure("%s, the game and the wineserver took %.2f %% of a core (%.3f and %.3f s "
                      "of %d s), expected under %.1f %%"
                      % (how, share, *spent, MINIMISED_SECONDS, MINIMISED_SHARE))
    log("%s, the game and the wineserver take %.2f %% of a core" % (how, share))


def minimised_and_back(game, workdir, frame):
    """The window manager minimises the game's window, which then costs next
    to nothing, and restores it: the picture whole again."""
    window = game_window(game)
    game.xdotool("windowminimize", window)
    if not wait_until(lambda: desktop.iconic(game.display, window), FRAME_WAIT, step=0.2):
        raise Failure("the window manager did not minimise the game's window")
    frames_load_screen(game, workdir).save(os.path.join(workdir, "minimised.png"))
    check_minimised_share(game, "minimised by the window manager")
    game.xdotool("windowactivate", window)
    area = expect_window(game, workdir, "title after the window came back", frame)
    frames_load_screen(game, workdir).save(os.path.join(workdir, "restored.png"))
    return area


def unfocused_window_draws(game, window):
    """winver takes the focus from the game's window, which stays as it was
    and goes on running its frames; closed, the game has the front again."""
    other = game.start_beside("winver")

    def elsewhere():
        if other.poll() is not None:
            raise Failure("winver ended by itself with status %d" % other.returncode)
        active = subprocess.run(["xdotool", "getactivewindow"], env=game.env, timeout=10,
                                capture_output=True, text=True).stdout.strip()
        return active not in ("", window)

    if not wait_until(elsewhere, FRAME_WAIT, step=0.2):
        raise Failure("winver did not take the focus from the game's window")
    pid, _ = winehost.program_and_server(game.prefix, "velmora-desktop.exe")
    before, started = wakes(pid), time.monotonic()
    time.sleep(2)  # the span measured, not a wait for something
    rate = (wakes(pid) - before) / (time.monotonic() - started)
    if desktop.iconic(game.display, window) or rate < UNFOCUSED_WAKES:
        raise Failure("the game's window without the focus: %s, the game woke %.0f times a "
                      "second; expected shown, running its frames (%d wakes a second at least)"
                      % ("minimised" if desktop.iconic(game.display, window) else "shown",
                         rate, UNFOCUSED_WAKES))
    log("winver has the focus; the game's window, shown, runs its frames (%.0f wakes a second)"
        % rate)
    close_other_program(game, other)
    game.xdotool("windowactivate", window)


def own_ddraw_session(native_frames, workdir, helper, ended):
    """The first run, from a prefix with no settings; `ended` gets the size of
    the maximised window the player quits in."""
    expected_lines = [OWN_DDRAW] + PROGRESS_LINES

    def body(game, _session):
        check_progress_lines(game, expected_lines)
        place = expect_screen(game, workdir, "title", native_frames["title"])
        check_counter(game, workdir, place)
        game.xdotool("key", "alt+Return")
        first = expect_window(game, workdir, "title after Alt+Enter", native_frames["title"])
        if minimised_and_back(game, workdir, native_frames["title"]) != first:
            raise Failure("the window came back from the minimised state elsewhere than %s"
                          % (first,))
        unfocused_window_draws(game, game_window(game))
        game.xdotool("key", "F11")
        expect_screen(game, workdir, "title after F11", native_frames["title"])
        game.key_down("space")
        try:
            expect_screen(game, workdir, "play", native_frames["play"])
        finally:
            game.key_up("space")
        other = minimised_by_other_program(game)
        check_minimised_share(game, "minimised for winver")
        close_other_program(game, other)
        bring_back(game, helper)
        expect_screen(game, workdir, "play after the focus came back", native_frames["play"])
        restored(game, expected_lines + GAVE_WAY)
        game.key_down("s")
        try:
            expect_screen(game, workdir, "title after S", native_frames["title"])
        finally:
            game.key_up("s")
        game.xdotool("key", "alt+Return")
        back = expect_window(game, workdir, "title after the next Alt+Enter",
                             native_frames["title"])
        if back != first:
            raise Failure("the window came back at %s, expected where it was, %s" % (back, first))
        resize_window(game, LARGER_WINDOW)
        expect_window(game, workdir, "title in a larger window", native_frames["title"],
                      LARGER_WINDOW)
        ended["maximised"] = maximise_window(game)
        expect_window(game, workdir, "title in the maximised window", native_frames["title"],
                      ended["maximised"])
        escape_ends_with_status_0(game, expected_lines + GAVE_WAY)

    return body


def settings_files(prefix):
    """Every velmora.ini in the prefix's user folders (%APPDATA%\\Velmora)."""
    return glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming", "Velmora",
                                  "velmora.ini"))


def saved_window(prefix):
    """The [window] keys the game wrote, as a dict."""
    files = settings_files(prefix)
    if len(files) != 1:
        raise Failure("settings files in the prefix: %s, expected one velmora.ini" % files)
    keys = {}
    with open(files[0], encoding="utf-8") as ini:
        for line in ini:
            if "=" in line:
                key, value = line.split("=", 1)
                keys[key.strip()] = value.strip()
    return keys


def check_saved_window(prefix):
    """Quit maximised after a resize to LARGER_WINDOW: kept as a window,
    maximised, the size it comes back to the player's."""
    keys = saved_window(prefix)
    wanted = {"fullscreen": "0", "maximized": "1", "width": str(LARGER_WINDOW[0]),
              "height": str(LARGER_WINDOW[1])}
    found = {key: keys.get(key) for key in wanted}
    if found != wanted:
        raise Failure("velmora.ini after quitting in a window holds %s, expected %s"
                      % (found, wanted))
    log("velmora.ini keeps the window: %s" % found)


def expect_notice(game, workdir, frame, size):
    """A screenshot key's notice over the picture: the window differs from the frame, and
    only in the lower half of the picture, where the notice goes."""
    expected, _scale, fps_row = window_picture(frame, size)
    last = {}

    def shown():
        shot = window_shot(game, workdir, size)
        last["shot"] = shot
        last["diffs"] = [] if shot is None else images.differences(shot, expected, (fps_row,))
        return bool(last["diffs"])

    if not wait_until(shown, FRAME_WAIT, step=0.2):
        raise Failure("no notice on the screen after the key: the window shows the bare frame")
    last["shot"].save(os.path.join(workdir, "notice.png"))
    box = images.bounding_box(last["diffs"])
    if box[1] < size[1] // 2:
        raise Failure("the window differs from the frame at %s, expected only the "
                      "notice in the lower half of the %dx%d area" % (box, *size))
    log("a notice over the picture at %s" % (box,))


def expect_capture_pngs(folder, capture, count, key):
    """`count` screenshots in `folder`, the last written after `key`, each
    holding the native capture's palette and indices (the FPS row aside):
    the frame, and no notice. Returns the new one's name."""
    def written():
        return sorted(n for n in os.listdir(folder) if n.endswith(".png")) \
            if os.path.isdir(folder) else []

    wait_until(lambda: len(written()) >= count, FRAME_WAIT, step=0.2)
    names = written()
    if len(names) != count:
        raise Failure("screenshots in %s after %s: %s, expected %d" % (folder, key, names, count))
    below_fps = (0, frames.FPS_ROW_BOX[3], frames.WIDTH, frames.HEIGHT)
    new = max(names, key=lambda n: os.path.getmtime(os.path.join(folder, n)))
    found, wanted = [], []
    for path, into in ((os.path.join(folder, new), found), (capture, wanted)):
        with Image.open(path) as png:
            into += [png.mode, png.size, png.getpalette()[:768],
                     png.crop(below_fps).tobytes()]
    for what, got, want in zip(("mode", "size", "palette", "indices"), found, wanted):
        if got != want:
            raise Failure("screenshot %s: its %s differs from the native capture's (%s, "
                          "expected %s)" % (new, what, str(got)[:120], str(want)[:120]))
    log("%s wrote %s: the native capture's palette and indices" % (key, new))
    return new


def second_run_session(native_frames, workdir, maximised, shots):
    """The next run starts as the last one ended: a maximised window. F9
    writes the title frame as the native build captures it."""
    def body(game, _session):
        title = native_frames["title"]
        expect_window(game, workdir, "title at the next start", title, maximised)
        capture = os.path.join(workdir, "native", "frame-000003.png")
        said = []
        for count, key in enumerate(("F9", "Print"), 1):
            game.xdotool("key", key)
            expect_notice(game, workdir, title, maximised)
            name = expect_capture_pngs(shots, capture, count, key)
            expect_window(game, workdir, "title after the notice", title, maximised)
            # Wine's debug channel doubles each backslash of the text.
            said.append(("velmora: screenshot %s\\%s" % (winehost_path(shots), name))
                        .replace("\\", "\\\\"))
        escape_ends_with_status_0(game, [OWN_DDRAW] + PROGRESS_LINES + said)

    return body


def command_line_answers(exe, prefix):
    """--help and a bad option answer on the caller's standard output and
    error, with the statuses of the Linux program, before any window."""
    cases = [(["--help"], 0, "stdout", "Usage: velmora [OPTION]..."),
             (["--scale", "9"], 2, "stderr", "velmora: "),
             (["--no-such-option"], 2, "stderr", "velmora: "),
             (["--replay", "x.txt", "--gif", "x.gif"], 2, "stderr",
              "velmora: --gif is not available on Windows")]
    try:
        for args, status, where, start in cases:
            done = subprocess.run(["wine", exe, *args], env=winehost.wine_env(prefix),
                                  capture_output=True, timeout=60, stdin=subprocess.DEVNULL,
                                  check=False)
            text = getattr(done, where).decode("utf-8", "replace")
            said = [line for line in text.replace("\r", "").splitlines()
                    if not line.startswith(("0", "wine:", "err:", "fixme:"))]
            if done.returncode != status or not said or not said[0].startswith(start):
                raise Failure("velmora %s: status %d and %s %s, expected status %d and a line "
                              "starting %r" % (" ".join(args), done.returncode, where,
                                               said[:3], status, start))
            log("velmora %s: status %d, %r" % (" ".join(args), status, said[0]))
    finally:
        winehost.no_more_alarms()
        winehost.stop_wineserver(prefix)


def winehost_path(path):
    """A Unix path as Wine's Z: drive names it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def restored(game, expected):
    """The debug output says the surfaces were lost and then restored by the
    game's own restore path, once each, after the set-up lines."""
    if not wait_until(lambda: len(game.debug_lines()) >= len(expected), FRAME_WAIT, step=0.2):
        raise Failure("no restore after the focus came back: debug output %s, expected %s"
                      % (game.debug_lines(), expected))
    if game.debug_lines() != expected:
        raise Failure("debug output %s, expected %s" % (game.debug_lines(), expected))
    log("the surfaces were lost and the game's restore path restored them")


@contextlib.contextmanager
def own_ddraw_desktop(native, prefix, workdir):
    """The Linux build's headless frames, then an X server of the suite's
    size under openbox, with no settings in the prefix, so that the game
    starts full screen whatever an earlier run quit in: yields (the frames,
    the X server)."""
    fresh_workdir(workdir)
    native_frames = headless.reference_frames(native, os.path.join(workdir, "native"))
    log("native frames captured")
    xserver = XServer.of_size(*SCREEN)
    openbox = None
    try:
        openbox = Openbox(xserver)
        for ini in settings_files(prefix):
            os.remove(ini)
        yield native_frames, xserver
    finally:
        if openbox is not None:
            openbox.stop()
        xserver.stop()


def own_ddraw_command(exe, native, helper, prefix, workdir):
    with own_ddraw_desktop(native, prefix, workdir) as (native_frames, xserver):
        ended = {}
        run_game(os.path.abspath(exe), prefix, workdir,
                 own_ddraw_session(native_frames, workdir, os.path.abspath(helper), ended), xserver)
        check_saved_window(prefix)
        shots = os.path.join(os.path.abspath(workdir), "shots")
        os.environ["VELMORA_SCREENSHOT_DIR"] = winehost_path(shots)
        run_game(os.path.abspath(exe), prefix, workdir,
                 second_run_session(native_frames, workdir, ended["maximised"], shots), xserver)
        command_line_answers(os.path.abspath(exe), prefix)


def screen_ball(game, workdir, place, play, sprite):
    """Where the ball is in the full-screen picture at `place`."""
    where = frames.locate_ball(frame_seen(frames_load_screen(game, workdir), place), play, sprite)
    if where is None:
        raise Failure("the ball is nowhere on the screen (%s)" % os.path.join(workdir, "screen.png"))
    return where


def ball_goes(game, workdir, place, play, moving):
    """Waits until the ball moves, or rests, as `moving` says; its place."""
    sprite = frames.ball_pixels(play, *frames.BALL_START)
    seen = [screen_ball(game, workdir, place, play, sprite)]

    def as_wanted():
        seen.append(screen_ball(game, workdir, place, play, sprite))
        return (seen[-1] != seen[-2]) == moving

    if not wait_until(as_wanted, FRAME_WAIT, step=0.2):
        raise Failure("the ball %s: %s" % ("never moved" if moving else "keeps moving", seen[-5:]))
    return seen[-1]


def keeps_moving(game, workdir, place, play, shots=4):
    """The ball moves between each of `shots` screenshots: what held it down
    a moment ago holds it still, a shot taking longer than a frame."""
    sprite = frames.ball_pixels(play, *frames.BALL_START)
    seen = [screen_ball(game, workdir, place, play, sprite)]
    for _ in range(shots - 1):
        seen.append(screen_ball(game, workdir, place, play, sprite))
        if seen[-1] == seen[-2]:
            raise Failure("the ball stopped at %s (seen: %s)" % (seen[-1], seen))


def own_pad_session(native_frames, workdir, pads):
    """A pad in the third slot starts play and moves the ball; unplugged while
    it holds Left, the ball stops; a key the keyboard holds too stays down."""
    play = native_frames["play"]

    def body(game, _session):
        check_progress_lines(game, [OWN_DDRAW] + PROGRESS_LINES)
        place = expect_screen(game, workdir, "title", native_frames["title"])
        pads(None, None, "1000 0 0")
        expect_screen(game, workdir, "play after the pad's A", play)
        pads(None, None, "0 0 0")
        pads(None, None, "4 0 0")
        moved = ball_goes(game, workdir, place, play, True)
        if moved[0] >= frames.BALL_START[0] or moved[1] != frames.BALL_START[1]:
            raise Failure("the d-pad's Left moved the ball to %s" % (moved,))
        pads()
        log("d-pad Left moved the ball to %s; the pad unplugged, the ball rests at %s"
            % (moved, ball_goes(game, workdir, place, play, False)))
        pads(None, None, "0 0 -20000")
        game.key_down("Down")
        try:
            ball_goes(game, workdir, place, play, True)
            pads(None, None, "0 0 0")
            keeps_moving(game, workdir, place, play)
        finally:
            game.key_up("Down")
        log("the stick let go of Down while the keyboard held it: the ball went on down")
        ball_goes(game, workdir, place, play, False)
        escape_ends_with_status_0(game, [OWN_DDRAW] + PROGRESS_LINES)

    return body


def own_pad_command(exe, native, dll, prefix, workdir):
    with own_ddraw_desktop(native, prefix, workdir) as (native_frames, xserver):
        with fake_xinput(prefix, dll, workdir) as pads:
            run_game(os.path.abspath(exe), prefix, workdir,
                     own_pad_session(native_frames, workdir, pads), xserver, overrides=FAKE_XINPUT)


def on_alarm(signum, frame):
    raise Failure("the session took longer than %d s" % SESSION_LIMIT)


def main(argv):
    signal.signal(signal.SIGALRM, on_alarm)
    signal.signal(signal.SIGTERM, on_alarm)
    signal.alarm(SESSION_LIMIT)
    try:
        if argv[:1] == ["prefix"] and len(argv) == 2:
            winehost.create_prefix(os.path.abspath(argv[1]))
            log("Wine prefix ready")
        elif argv[:1] == ["imports"] and len(argv) == 2:
            check_imports(argv[1])
        elif argv[:1] == ["bare-prefix"] and len(argv) == 2:
            winehost.create_prefix(os.path.abspath(argv[1]), desktop=False)
            log("Wine prefix without a virtual desktop ready")
        elif argv[:1] == ["own-imports"] and len(argv) == 2:
            check_imports(argv[1], wants_ddraw=False)
        elif argv[:1] == ["own-ddraw"] and len(argv) == 6:
            own_ddraw_command(*argv[1:])
        elif argv[:1] == ["session"] and len(argv) == 5:
            session_command(*argv[1:])
        elif argv[:1] == ["loss"] and len(argv) == 6:
            loss_command(*argv[1:])
        elif argv[:1] == ["sequences"] and len(argv) == 5:
            sequences_command(*argv[1:])
        elif argv[:1] == ["own-pad"] and len(argv) == 6:
            own_pad_command(*argv[1:])
        elif argv[:1] == ["pad"] and len(argv) == 5:
            pad_command(*argv[1:])
        elif argv[:1] == ["files"] and len(argv) == 4:
            files_command(*argv[1:])
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except (Failure, subprocess.SubprocessError, OSError) as failure:
        log("FAILED: %s" % failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
