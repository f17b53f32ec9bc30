"""Frames as RGB images: reading them, comparing two, and a picture of where
they differ that a person can open."""

from collections import Counter

from PIL import Image, ImageChops


def load(path, size=None):
    """An image file as RGB, read whole (the file may go away after)."""
    with Image.open(path) as image:
        rgb = image.convert("RGB")
    if size is not None and rgb.size != tuple(size):
        raise ValueError("%s is %dx%d, not %dx%d" % (path, *rgb.size, *size))
    return rgb


def differences(a, b, ignore=()):
    """Pixels (x, y, colour in a, colour in b) where two images of one size
    differ, outside the boxes (left, top, right, bottom) to ignore."""
    changed = ImageChops.difference(a, b)
    for box in ignore:
        changed.paste((0, 0, 0), box)
    box = changed.getbbox()
    if box is None:
        return []
    pa, pb, pc = a.load(), b.load(), changed.load()
    return [(x, y, pa[x, y], pb[x, y]) for y in range(box[1], box[3])
            for x in range(box[0], box[2]) if pc[x, y] != (0, 0, 0)]


def bounding_box(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1)


def describe(diffs, left, right):
    """A report of differing pixels that a person can act on: how many, where,
    the commonest pairs of colours and a few examples."""
    if not diffs:
        return "no differing pixels"
    lines = ["%d differing pixels in the box (left, top, right, bottom) %s" %
             (len(diffs), bounding_box(diffs))]
    pairs = Counter((d[2], d[3]) for d in diffs)
    for (ca, cb), count in pairs.most_common(8):
        lines.append("  %6d x  %s %s  vs  %s %s" % (count, left, ca, right, cb))
    for x, y, ca, cb in diffs[:5]:
        lines.append("  e.g. (%d, %d): %s %s, %s %s" % (x, y, left, ca, right, cb))
    return "\n".join(lines)


def save_marked(path, image, diffs):
    """`image` in grey with the differing pixels in red, saved at path."""
    marked = image.convert("L").convert("RGB")
    px = marked.load()
    for x, y, _, _ in diffs:
        px[x, y] = (255, 0, 0)
    marked.save(path)
    return path
