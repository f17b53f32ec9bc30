"""The sprite sheet, drawn in RGB on the key colour; gen_images.py maps it
onto the colour table (the key colour to its own entry only)."""

import random

from PIL import ImageDraw

import gen_palette as gp

KEY = gp.KEY_COLOUR
WHITE = (255, 255, 255)
YELLOW = gp.FIXED[240]


def bevel_block(d, x, y, w, h, base):
    light, face, dark, darkest = gp.bevel_shades(base)
    d.rectangle([x, y, x + w - 1, y + h - 1], fill=darkest)
    d.rectangle([x + 1, y + 1, x + w - 2, y + h - 2], fill=dark)
    d.rectangle([x + 1, y + 1, x + w - 3, y + h - 3], fill=light)
    d.rectangle([x + 3, y + 3, x + w - 3, y + h - 3], fill=face)
    d.line([x + 4, y + 4, x + 9, y + 4], fill=light)  # a glint on the face


def crack_path(rng, x, y, w, h):
    pts = [(x + 8 + int(rng.random() * (w - 16)), y + 1)]
    while pts[-1][1] < y + h - 2:
        px, py = pts[-1]
        step = 2 + int(rng.random() * 3)
        nx = min(x + w - 3, max(x + 2, px + int(rng.random() * 7) - 3))
        pts.append((nx, min(y + h - 2, py + step)))
    return pts


def draw_bricks(d, rng):
    for n, base in enumerate(gp.BRICKS):
        darkest = gp.bevel_shades(base)[3]
        for row in range(3):
            x, y = n * 32, row * 16
            bevel_block(d, x, y, 32, 16, base)
            if row == 0:
                continue
            path = crack_path(rng, x, y, 32, 16)
            d.line(path, fill=darkest)
            branch = path[len(path) // 2]
            d.line([branch, (branch[0] + 5, branch[1] + 3)], fill=darkest)
            if row == 2:
                crumble(d, rng, x, y, path)


def crumble(d, rng, x, y, path):
    """Knocks chunks out of a cracked brick: corners and bits along the crack."""
    d.polygon([(x, y), (x + 7, y), (x, y + 6)], fill=KEY)
    d.polygon([(x + 31, y + 15), (x + 22, y + 15), (x + 31, y + 9)], fill=KEY)
    for px, py in path[1:-1:2]:
        r = 1 + int(rng.random() * 2)
        d.rectangle([px - r, py - r, px + r, py + r], fill=KEY)


def draw_walls(d):
    for n, base in enumerate(gp.WALLS):
        light, face, mortar = gp.wall_shades(base)
        x, y = n * 32, 48
        d.rectangle([x, y, x + 31, y + 15], fill=face)
        for top, joints in ((y, (15, 31)), (y + 8, (7, 23))):
            d.line([x, top, x + 31, top], fill=light)
            d.line([x, top + 7, x + 31, top + 7], fill=mortar)
            for j in joints:
                d.line([x + j, top, x + j, top + 6], fill=mortar)


CAPSULE_P = ["####.", "##.##", "##.##", "####.", "##...", "##...", "##..."]


def draw_capsules(d):
    for n, base in enumerate(gp.CAPSULES):
        light, face, dark, darkest = gp.bevel_shades(base)
        x, y = n * 16, 64
        d.ellipse([x, y, x + 15, y + 15], fill=darkest)
        d.ellipse([x + 1, y + 1, x + 14, y + 14], fill=dark)
        d.ellipse([x + 1, y + 1, x + 12, y + 12], fill=face)
        d.ellipse([x + 3, y + 3, x + 6, y + 5], fill=light)
        for ry, line in enumerate(CAPSULE_P):
            for rx, ch in enumerate(line):
                if ch == "#":
                    d.point((x + 6 + rx, y + 4 + ry), fill=YELLOW)


def draw_effects(d, rng):
    orange = gp.CAPSULES[3]
    pale = gp.GLOW[-1]
    x0, y0 = 96, 64
    for n, size in enumerate((3, 5, 7)):  # sparks: four-pointed stars
        cx, cy = x0 + n * 16 + 7, y0 + 7
        d.line([cx - size, cy, cx + size, cy], fill=YELLOW)
        d.line([cx, cy - size, cx, cy + size], fill=YELLOW)
        d.line([cx - size // 2, cy - size // 2, cx + size // 2, cy + size // 2], fill=orange)
        d.line([cx - size // 2, cy + size // 2, cx + size // 2, cy - size // 2], fill=orange)
        d.point((cx, cy), fill=pale)
    d.rectangle([x0 + 50, y0 + 6, x0 + 61, y0 + 9], fill=orange)  # a glowing bar
    d.rectangle([x0 + 51, y0 + 7, x0 + 60, y0 + 8], fill=YELLOW)
    for n, radius in enumerate((4, 7)):  # bursts of particles
        cx, cy = x0 + 64 + n * 16 + 7, y0 + 7
        for k in range(10):
            ox = int(round(radius * (rng.random() * 2 - 1)))
            oy = int(round(radius * (rng.random() * 2 - 1)))
            colour = (YELLOW, orange, pale)[k % 3]
            d.rectangle([cx + ox, cy + oy, cx + ox + (k % 2), cy + oy + (k % 2)], fill=colour)


def pill(d, x, y, w, base):
    """An 8-pixel-tall rounded bar with vertical shading."""
    light, face, dark, darkest = gp.bevel_shades(base)
    for row, colour in enumerate((dark, light, light, face, face, face, dark, darkest)):
        inset = 1 if row in (0, 7) else 0
        d.line([x + inset, y + row, x + w - 1 - inset, y + row], fill=colour)


def draw_bars(d):
    for half, base in ((0, gp.BRICKS[3]), (96, gp.MAGENTA_BAR)):
        x = half
        for length in (14, 30, 46):
            pill(d, x, 80, length, base)
            x += length + 2


def draw_paddles(d):
    for half, base in ((0, gp.BRICKS[5]), (96, gp.TAN)):
        for x, y, length in ((0, 88, 48), (52, 88, 40), (0, 96, 64), (68, 96, 24)):
            pill(d, half + x, y, length, base)
            for lamp_x in (half + x + 3, half + x + length - 7):
                d.rectangle([lamp_x, y + 2, lamp_x + 3, y + 5], fill=gp.LAMPS[1])
                d.rectangle([lamp_x + 1, y + 3, lamp_x + 2, y + 4], fill=gp.LAMPS[0])


# Column span of each row of the 8 x 8 ball: a circle with three key-colour
# pixels in every corner.
BALL_ROWS = [(2, 5), (1, 6), (0, 7), (0, 7), (0, 7), (0, 7), (1, 6), (2, 5)]


def draw_balls(d):
    for run in range(4):
        for frame in range(6):
            base = gp.ball_colour(run, frame)
            dark, light = gp.scale(base, 0.6), gp.mix(base, WHITE, 0.6)
            x, y = (run * 6 + frame) * 8, 104
            for row, (a, b) in enumerate(BALL_ROWS):
                d.line([x + a, y + row, x + b, y + row], fill=base)
                d.point((x + b, y + row), fill=dark)
            d.line([x + 2, y + 7, x + 5, y + 7], fill=dark)
            d.line([x + 2, y + 2, x + 3, y + 2], fill=light)
            d.point((x + 2, y + 3), fill=light)


def draw_all(img):
    d = ImageDraw.Draw(img)
    rng = random.Random(7001)
    draw_bricks(d, rng)
    draw_walls(d)
    draw_capsules(d)
    draw_effects(d, rng)
    draw_bars(d)
    draw_paddles(d)
    draw_balls(d)
