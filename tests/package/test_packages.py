"""The packages scripts/package.sh leaves in dist/out/: the Debian package as
lintian and a player's system see it, and the Windows zip.

Environment: VELMORA_BIN (the native build, whose frames the packaged game
must show), VELMORA_VERSION, VELMORA_PACKAGES (dist/out), VELMORA_SOURCE_DIR.
Without the packages of this version the suite is skipped (status 77)."""

import gzip
import os
import re
import subprocess
import sys
import tarfile
import tempfile
import unittest
import zipfile

from velmora_test import headless, images

BIN = os.environ["VELMORA_BIN"]
VERSION = os.environ["VELMORA_VERSION"]
PACKAGES = os.environ["VELMORA_PACKAGES"]
SOURCE = os.environ["VELMORA_SOURCE_DIR"]
DEB = os.path.join(PACKAGES, "velmora_%s_amd64.deb" % VERSION)
ZIP = os.path.join(PACKAGES, "velmora-%s-windows.zip" % VERSION)
SOURCE_TAR = os.path.join(PACKAGES, "velmora-%s.tar.gz" % VERSION)
WEB_ZIP = os.path.join(PACKAGES, "velmora-%s-web.zip" % VERSION)
APP_ID = "org.velmora.Velmora"

# Lintian's warnings that stay, each with the reason.
ACCEPTED_WARNINGS = {}


def run(*command, **options):
    return subprocess.run(command, capture_output=True, text=True, timeout=300, **options)


class DebianPackage(unittest.TestCase):
    def test_control_fields(self):
        fields = run("dpkg-deb", "-f", DEB, "Package", "Version", "Section", "Depends").stdout
        fields = dict(line.split(": ", 1) for line in fields.splitlines())
        self.assertEqual((fields.get("Package"), fields.get("Version"), fields.get("Section")),
                         ("velmora", VERSION, "games"), "Package, Version, Section")
        # Worked out from the binary's libraries by dpkg-shlibdeps.
        for library in ("libsdl2-2.0-0", "libpng16-16", "libgif7", "libc6", "libstdc++6"):
            self.assertIn(library, fields.get("Depends", ""), "Depends")

    def test_files_in_their_places(self):
        listing = run("dpkg-deb", "-c", DEB).stdout
        paths = {line.split()[-1].lstrip(".") for line in listing.splitlines()}
        wanted = {"/usr/games/velmora", "/usr/share/man/man6/velmora.6.gz",
                  "/usr/share/applications/%s.desktop" % APP_ID,
                  "/usr/share/metainfo/%s.metainfo.xml" % APP_ID,
                  "/usr/share/doc/velmora/copyright", "/usr/share/doc/velmora/changelog.gz",
                  "/usr/share/doc/velmora/README.md.gz", "/usr/share/doc/velmora/NEWS.md.gz"}
        wanted |= {"/usr/share/icons/hicolor/%dx%d/apps/%s.png" % (size, size, APP_ID)
                   for size in (16, 24, 32, 48, 64, 128, 256)}
        self.assertEqual(sorted(wanted - paths), [], "files missing from the package")

    def test_manual_points_at_what_the_package_ships(self):
        with tempfile.TemporaryDirectory() as root:
            subprocess.run(["dpkg-deb", "-x", DEB, root], check=True, timeout=120)
            with gzip.open(os.path.join(root, "usr/share/man/man6/velmora.6.gz"), "rt") as page:
                see_also = page.read().split(".SH SEE ALSO", 1)[1]
            named = re.findall(r"^\.I (/\S+)$", see_also, flags=re.M)
            self.assertTrue(named, "the manual's SEE ALSO names no installed file")
            missing = [path for path in named if not os.path.isfile(root + path)]
        self.assertEqual(missing, [], "files the manual's SEE ALSO names, not in the package")

    def test_lintian(self):
        found = run("lintian", "--info", "--display-info", DEB)
        print(found.stdout, end="")
        tags = [line.split()[:3] for line in found.stdout.splitlines()]
        errors = [line for line in found.stdout.splitlines() if line.startswith("E:")]
        warnings = [tag for tag in tags if tag[0] == "W:" and tag[2] not in ACCEPTED_WARNINGS]
        self.assertEqual((errors, warnings), ([], []), "lintian's errors and new warnings")

    def test_copyright_names_the_generators_fonts(self):
        with open(os.path.join(SOURCE, "tools", "gen_images.py"), encoding="utf-8") as tool:
            fonts = re.findall(r'^\w+_FONT = "([^"]+)"', tool.read(), flags=re.M)
        self.assertTrue(fonts, "no font files found in tools/gen_images.py")
        with tempfile.TemporaryDirectory() as root:
            subprocess.run(["dpkg-deb", "-x", DEB, root], check=True, timeout=120)
            with open(os.path.join(root, "usr/share/doc/velmora/copyright")) as notes:
                copyright = notes.read()
        self.assertIn("License: MIT\n", copyright)
        for font in fonts:
            self.assertIn(os.path.basename(font), copyright, "the copyright notes")

    def test_unpacked_game_runs_to_its_first_frame(self):
        with tempfile.TemporaryDirectory() as root:
            subprocess.run(["dpkg-deb", "-x", DEB, root], check=True, timeout=120)
            game = os.path.join(root, "usr", "games", "velmora")
            described = run("file", "-b", game).stdout
            self.assertIn(", stripped", described, "file(1) on /usr/games/velmora")
            self.assertEqual(run(game, "--version").stdout, "velmora %s\n" % VERSION)
            packaged = headless.run(game, ["0 capture"], timeout=60)
            native = headless.run(BIN, ["0 capture"], timeout=60)
        self.assertEqual(packaged.status, 0, packaged.stderr)
        self.assertEqual(sorted(packaged.captures), [1], "frames the unpacked game captured")
        diffs = images.differences(packaged.frame(1), native.frame(1))
        self.assertEqual(diffs, [], images.describe(diffs, "packaged", "native"))


def version_strings(exe):
    """The VERSIONINFO strings of a Windows executable, by name."""
    with open(exe, "rb") as program:
        text = program.read().decode("utf-16-le", errors="replace")
    names = ("FileVersion", "ProductVersion", "ProductName", "OriginalFilename")
    return dict(re.findall(r"(%s)\x00+([^\x00]+)\x00" % "|".join(names), text))


def directdraw_of(exe):
    """Which DirectDraw a Windows executable draws on: the system's when it
    imports ddraw.dll, ours when it holds our DirectDraw's marker line."""
    with open(exe, "rb") as program:
        data = program.read()
    system = b"ddraw.dll" in data.lower()
    own = b"DirectDraw: Velmora's own" in data
    return {(True, False): "system", (False, True): "own"}.get((system, own), "unclear")


class WindowsZip(unittest.TestCase):
    def test_zip_holds_both_programs_readme_and_licence_in_one_folder(self):
        top = "velmora-%s" % VERSION
        with zipfile.ZipFile(ZIP) as archive, tempfile.TemporaryDirectory() as scratch:
            self.assertEqual(sorted(archive.namelist()),
                             [top + "/LICENSE", top + "/README.txt",
                              top + "/velmora-exclusive.exe", top + "/velmora.exe"])
            archive.extractall(scratch)
            folder = os.path.join(scratch, top)
            with open(os.path.join(folder, "LICENSE"), "rb") as got, \
                    open(os.path.join(SOURCE, "LICENSE"), "rb") as licence:
                self.assertEqual(got.read(), licence.read().replace(b"\n", b"\r\n"))
            with open(os.path.join(folder, "README.txt"), "rb") as readme:
                text = readme.read()
            title, underline = text.split(b"\r\n")[:2]
            self.assertEqual((title, underline),
                             (b"Velmora " + VERSION.encode(), b"=" * len(title)),
                             "README.txt's title and its underline")
            for name in ("velmora.exe", "velmora-exclusive.exe"):
                self.assertIn(name.encode(), text, "README.txt names %s" % name)
            # What a player starts is the build on our DirectDraw; the
            # exclusive one is the system's.
            found = {name: (directdraw_of(os.path.join(folder, name)),
                            version_strings(os.path.join(folder, name)))
                     for name in ("velmora.exe", "velmora-exclusive.exe")}
        expected = {name: (ddraw, {"FileVersion": VERSION, "ProductVersion": VERSION,
                                   "ProductName": "Velmora", "OriginalFilename": name})
                    for name, ddraw in (("velmora.exe", "own"), ("velmora-exclusive.exe", "system"))}
        self.assertEqual(found, expected, "each program's DirectDraw and VERSIONINFO")


class SourceTarball(unittest.TestCase):
    def test_source_tarball_is_this_version(self):
        with tarfile.open(SOURCE_TAR) as archive:
            top = archive.extractfile("velmora-%s/CMakeLists.txt" % VERSION).read().decode()
        found = re.search(r"project\(velmora VERSION (\S+)", top)
        self.assertEqual(found and found.group(1), VERSION, "the tarball's project version")


if __name__ == "__main__":
    missing = [path for path in (DEB, ZIP, SOURCE_TAR, WEB_ZIP) if not os.path.exists(path)]
    if missing:
        print("no packages of version %s: %s missing; scripts/package.sh makes them" %
              (VERSION, ", ".join(missing)))
        sys.exit(77)
    unittest.main()
