"""Every relative link of README.md, CONTRIBUTING.md and docs/ leads somewhere:
the file exists and, where the link names a heading (#anchor) of a Markdown
file, that file has the heading.

Environment: VELMORA_SOURCE_DIR."""

import glob
import os
import re
import unittest

SOURCE = os.environ["VELMORA_SOURCE_DIR"]
LINK = re.compile(r"!?\[(?:[^\]`]|`[^`]*`)*\]\(([^)\s]+)\)")


def prose(path):
    """The file's lines outside code blocks (indented or fenced)."""
    kept, fenced = [], False
    with open(path, encoding="utf-8") as text:
        for line in text:
            if line.startswith("```"):
                fenced = not fenced
            elif not fenced and not line.startswith("    "):
                kept.append(line)
    return "".join(kept)


def anchors(path):
    """The anchors a Markdown renderer gives the file's headings."""
    found = set()
    for heading in re.findall(r"^#+ (.*)$", prose(path), flags=re.M):
        slug = re.sub(r"[^\w\- ]", "", heading.strip().lower()).replace(" ", "-")
        found.add(slug)
    return found


def broken_links(path):
    broken = []
    for target in LINK.findall(prose(path)):
        if re.match(r"[a-z]+:", target):
            continue
        name, _, anchor = target.partition("#")
        resolved = os.path.normpath(os.path.join(os.path.dirname(path), name)) if name else path
        if not os.path.exists(resolved):
            broken.append("%s: no file" % target)
        elif anchor and resolved.endswith(".md") and anchor not in anchors(resolved):
            broken.append("%s: no heading with that anchor" % target)
    return broken


class Links(unittest.TestCase):
    def test_every_relative_link_resolves(self):
        files = [os.path.join(SOURCE, "README.md"), os.path.join(SOURCE, "CONTRIBUTING.md")]
        files += sorted(glob.glob(os.path.join(SOURCE, "docs", "*.md")))
        self.assertGreater(len(files), 3, "docs/ holds no Markdown files")
        for path in files:
            with self.subTest(os.path.relpath(path, SOURCE)):
                self.assertEqual(broken_links(path), [], "links that lead nowhere")


if __name__ == "__main__":
    unittest.main()
