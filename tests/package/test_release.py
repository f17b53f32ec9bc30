"""One version and one release text everywhere, and a manual page that says
what the program does: checked on the build's files, before any package.

Environment: VELMORA_BIN (the native build), VELMORA_VERSION (the project's
version), VELMORA_DIST (the build's configured metainfo and manual page),
VELMORA_SOURCE_DIR."""

import os
import re
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

from velmora_test import headless, images

BIN = os.environ["VELMORA_BIN"]
VERSION = os.environ["VELMORA_VERSION"]
DIST = os.environ["VELMORA_DIST"]
SOURCE = os.environ["VELMORA_SOURCE_DIR"]
METAINFO = os.path.join(DIST, "org.velmora.Velmora.metainfo.xml")
MANUAL = os.path.join(DIST, "velmora.6")


def words(text):
    return " ".join(text.split())


def news_newest():
    """NEWS.md's newest entry: (version, date, its blocks of text)."""
    with open(os.path.join(SOURCE, "NEWS.md"), encoding="utf-8") as news:
        entries = re.split(r"^## ", news.read(), flags=re.M)[1:]
    heading, _, body = entries[0].partition("\n")
    found = re.fullmatch(r"(\S+) \((\d{4}-\d\d-\d\d)\)", heading.strip())
    if not found:
        raise AssertionError("NEWS.md's newest heading %r is not '## VERSION (YYYY-MM-DD)'" %
                             heading)
    blocks = []
    for paragraph in re.split(r"\n\s*\n", body.strip()):
        items = re.split(r"^- ", paragraph, flags=re.M)
        blocks += [words(item) for item in items if item.strip()]
    return found.group(1), found.group(2), blocks


def metainfo_release():
    """The metadata's one release: (version, date, its description's blocks)."""
    releases = ElementTree.parse(METAINFO).getroot().findall("releases/release")
    if len(releases) != 1:
        raise AssertionError("the metainfo has %d releases, expected 1" % len(releases))
    release = releases[0]
    blocks = [words("".join(node.itertext())) for node in release.iter()
              if node.tag in ("p", "li")]
    return release.get("version"), release.get("date"), blocks


class OneVersion(unittest.TestCase):
    def test_version_release_news_and_manual_agree(self):
        said = subprocess.run([BIN, "--version"], capture_output=True, text=True,
                              timeout=30).stdout
        self.assertEqual(said, "velmora %s\n" % VERSION, "velmora --version")
        news_version, news_date, _ = news_newest()
        meta_version, meta_date, _ = metainfo_release()
        self.assertEqual((meta_version, meta_date), (news_version, news_date),
                         "the metainfo's release (version, date) and NEWS.md's newest entry")
        self.assertEqual(news_version, VERSION, "NEWS.md's newest version, the project's")
        with open(MANUAL, encoding="utf-8") as manual:
            title = next(line for line in manual if line.startswith(".TH "))
        self.assertIn('"velmora %s"' % VERSION, title, "the manual page's .TH line")

    def test_release_description_is_the_newest_news(self):
        self.assertEqual(metainfo_release()[2], news_newest()[2],
                         "the metainfo's release description and NEWS.md's newest entry")


def help_options():
    text = subprocess.run([BIN, "--help"], capture_output=True, text=True, timeout=30).stdout
    return set(re.findall(r"(?<![\w-])(--?[a-z][a-z-]*)", text))


def manual_options():
    """The options the manual's OPTIONS section names (roff escapes undone)."""
    with open(MANUAL, encoding="utf-8") as manual:
        section = manual.read().split(".SH OPTIONS", 1)[1].split("\n.SH ", 1)[0]
    tagged = re.findall(r"^\.TP\n\.B[IR]? (.*)$", section, flags=re.M)
    plain = " ".join(tagged).replace("\\-", "-")
    return set(re.findall(r"(?<![\w-])(--?[a-z][a-z-]*)", plain))


class ManualPage(unittest.TestCase):
    def test_manual_names_every_option_of_help_and_no_other(self):
        in_help, in_manual = help_options(), manual_options()
        self.assertTrue(in_help, "no options found in --help")
        self.assertEqual(sorted(in_manual - in_help), [], "options in velmora.6 only")
        self.assertEqual(sorted(in_help - in_manual), [], "options in --help only")

    def test_manual_renders_without_warnings(self):
        rendered = subprocess.run(["man", "--warnings", "-l", MANUAL], capture_output=True,
                                  text=True, timeout=60, env=dict(os.environ, MANWIDTH="80"))
        self.assertEqual(rendered.stderr, "", "man --warnings -l velmora.6")
        for section in ("OPTIONS", "KEYS", "FILES", "ENVIRONMENT", "EXIT STATUS"):
            self.assertIn("\n%s\n" % section, rendered.stdout, "a section of velmora.6")


class Metadata(unittest.TestCase):
    def test_metainfo_validates_without_a_warning(self):
        checked = subprocess.run(["appstreamcli", "validate", "--no-net", "--explain", METAINFO],
                                 capture_output=True, text=True, timeout=60)
        found = [line for line in checked.stdout.splitlines() if re.match(r"[EW]: ", line)]
        self.assertEqual((checked.returncode, found), (0, []), checked.stdout)

    def test_committed_screenshots_are_the_games_frames(self):
        with tempfile.TemporaryDirectory() as scratch:
            frames = headless.showcase_frames(BIN, scratch)
        for name in ("title", "play"):
            committed = images.load(os.path.join(SOURCE, "dist", "screenshots", name + ".png"))
            diffs = images.differences(committed, frames[name])
            self.assertEqual(diffs, [], "dist/screenshots/%s.png against the game's frame "
                             "(tools/gen_screenshots.py takes them again):\n%s" %
                             (name, images.describe(diffs, "committed", "game")))


if __name__ == "__main__":
    unittest.main()
