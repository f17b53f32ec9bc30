"""The one colour table shared by all four images.

The game builds its display palette from this table without reserving the
system colours, and the display then shows entry 0 as black and entry 255 as
white; the images are mapped onto those displayed values by nearest colour.
So besides being 256 distinct colours, the table keeps every other entry far
enough from 0 and 255 that nothing but entries 0 and 255 maps onto them:
more than NEAR_BLACK_GAP from entry 0's colour, more than PALE_PINK_GAP from
entry 255's colour, and never pure black.
"""

NEAR_BLACK = (8, 5, 7)
PALE_PINK = (236, 217, 219)
NEAR_BLACK_GAP = 138  # squared distance of NEAR_BLACK from black
PALE_PINK_GAP = 3101  # squared distance of PALE_PINK from white

KEY_INDEX = 145
KEY_COLOUR = (21, 141, 91)
PANEL_INDEX = 140
TITLE_FILL = (7, 4, 48)  # the dark blue the title scene clears to (index 128)

FIXED = {
    0: NEAR_BLACK,
    25: (185, 196, 188),  # title lettering
    42: (8, 218, 152),  # green prompt, green stars
    128: TITLE_FILL,
    140: (121, 134, 150),  # side panels
    145: KEY_COLOUR,
    240: (251, 254, 16),  # yellow prompt and font band 1
    255: PALE_PINK,
}
CYAN = (40, 247, 237)


def dist2(a, b):
    return sum((x - y) ** 2 for x, y in zip(a, b))


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def scale(c, f):
    return tuple(int(round(x * f)) for x in c)


def ramp(stops, n):
    out = []
    for k in range(n):
        pos = k * (len(stops) - 1) / (n - 1)
        i = min(int(pos), len(stops) - 2)
        out.append(mix(stops[i], stops[i + 1], pos - i))
    return out


def legal(c, index):
    if index in (0, 255):
        return True
    return c != (0, 0, 0) and dist2(c, NEAR_BLACK) > NEAR_BLACK_GAP and dist2(
        c, PALE_PINK) > PALE_PINK_GAP


def legalise(c):
    """Moves a wanted colour just far enough to respect the table's rules."""
    while dist2(c, PALE_PINK) <= PALE_PINK_GAP:
        c = scale(c, 0.97)
    while c == (0, 0, 0) or dist2(c, NEAR_BLACK) <= NEAR_BLACK_GAP:
        c = (c[0], c[1], c[2] + 3)
    return c


class TableBuilder:
    def __init__(self):
        self.table = [None] * 256
        for i, c in FIXED.items():
            self.table[i] = c
        self.where = {c: i for i, c in FIXED.items()}
        self.free = [i for i in range(256) if i not in FIXED]

    def want(self, c):
        """Index of colour c (or of its legal neighbour), adding it if new."""
        if c in self.where:
            return self.where[c]
        c = legalise(c)
        if c in self.where:
            return self.where[c]
        if not self.free:
            raise SystemExit("gen_palette.py: more than 256 colours wanted")
        i = self.free.pop(0)
        self.table[i] = c
        self.where[c] = i
        return i

    def fill(self, candidates):
        """Spends the remaining free entries on candidates not yet present."""
        added = []
        for c in candidates:
            if not self.free:
                break
            if legalise(c) not in self.where:
                added.append(self.want(c))
        return added


# ---- colours of the space picture

SKY = [(12, 10, 24), (16, 13, 34), (20, 16, 44), (14, 9, 30), (24, 19, 54), (10, 12, 20)]
RED = ramp([(26, 8, 16), (120, 22, 40), (205, 58, 70), (245, 140, 125)], 14)
VIOLET = ramp([(16, 12, 44), (62, 40, 132), (118, 92, 222), (180, 168, 252)], 14)
MAGENTA = ramp([(34, 12, 40), (110, 34, 112), (196, 90, 184)], 8)
GLOW = ramp([(40, 38, 92), (112, 118, 206), (172, 200, 250)], 9) + [(195, 235, 255)]
STAR_RGB = {
    "white": ((120, 130, 150), (195, 235, 255)),
    "yellow": ((150, 140, 48), FIXED[240]),
    "green": ((30, 120, 84), FIXED[42]),
}

# ---- colours of the font bands: (top, lightest, bottom)

BAND_COLOURS = [
    ((40, 80, 255), (195, 235, 255), (150, 40, 230)),  # blue to violet
    (FIXED[240], (255, 255, 176), FIXED[240]),  # yellow
    ((200, 20, 30), PALE_PINK, (200, 20, 30)),  # red
    ((20, 90, 40), (190, 250, 210), (128, 128, 128)),  # dark green to grey
    ((22, 22, 28), (190, 190, 196), (120, 120, 124)),  # black to grey
]
GLYPH_TOP, GLYPH_BOTTOM, LIGHT_ROW = 2, 14, 8

# ---- colours of the sprite sheet

WHITE = (255, 255, 255)
BRICKS = [(210, 40, 40), (235, 200, 40), (40, 175, 70), (40, 80, 210), (100, 180, 240),
          (150, 150, 160)]
WALLS = [(110, 30, 40), (115, 105, 35), (30, 85, 45), (30, 40, 105), (20, 100, 100),
         (85, 85, 95)]
CAPSULES = [BRICKS[0], (150, 60, 210), (40, 200, 225), (245, 135, 30), BRICKS[3],
            (145, 85, 45)]
MAGENTA_BAR = (225, 50, 205)
TAN = (205, 175, 125)
LAMPS = [(70, 16, 20), (20, 24, 70)]
BALL_RUNS = [((220, 40, 40), (40, 80, 230)), ((40, 220, 230), (170, 230, 40)),
             ((160, 60, 220), (40, 200, 70)), ((40, 80, 230), (170, 255, 60))]


def bevel_shades(base):
    """light, base, dark, darkest: the four tones of a bevelled block."""
    return [mix(base, WHITE, 0.45), base, scale(base, 0.62), scale(base, 0.35)]


def wall_shades(base):
    return [mix(base, WHITE, 0.2), base, scale(base, 0.5)]


def ball_colour(run, frame):
    a, b = BALL_RUNS[run]
    return mix(a, b, frame / 5)


def sprite_colours():
    out = []
    for base in BRICKS + CAPSULES + [MAGENTA_BAR, TAN]:
        out += bevel_shades(base)
    for base in WALLS:
        out += wall_shades(base)
    out += LAMPS
    out += [ball_colour(r, f) for r in range(4) for f in range(6)]
    return out


def shades_towards_fill(fg):
    """Edge tones of anti-aliased lettering drawn over the title's dark fill."""
    return [mix(TITLE_FILL, fg, f) for f in (0.3, 0.55, 0.8)] + [fg]


def band_ramp(top, light, bottom):
    """Colour of each cell row 0..15: saturated at the glyph's top and bottom
    rows, lightest at the middle row, like polished metal."""
    rows = []
    for y in range(16):
        y = min(max(y, GLYPH_TOP), GLYPH_BOTTOM)
        if y <= LIGHT_ROW:
            t, end = (LIGHT_ROW - y) / (LIGHT_ROW - GLYPH_TOP), top
        else:
            t, end = (y - LIGHT_ROW) / (GLYPH_BOTTOM - LIGHT_ROW), bottom
        rows.append(mix(light, end, t ** 0.75))
    return rows


def space_fill_candidates():
    """Red and violet clouds overlap; their blends fill the spare entries."""
    out = []
    for i in range(2, 14, 2):
        for j in range(2, 14, 2):
            out.append(tuple(min(255, a + b - 12) for a, b in zip(RED[i], VIOLET[j])))
    out += ramp([(18, 8, 22), (90, 40, 120), (200, 140, 230)], 24)
    return out


def _build():
    tb = TableBuilder()
    space = [0, 128, 255]
    space += [tb.want(c) for c in SKY + RED + VIOLET + MAGENTA + GLOW]
    stars = {k: (tb.want(d), tb.want(f)) for k, (d, f) in STAR_RGB.items()}
    shades = {name: [tb.want(c) for c in shades_towards_fill(FIXED[i])]
              for name, i in (("grey", 25), ("yellow", 240), ("green", 42))}
    bands = [[tb.want(c) for c in band_ramp(*cols)] for cols in BAND_COLOURS]
    cyan = tb.want(CYAN)
    for c in sprite_colours():
        tb.want(c)
    space += tb.fill(space_fill_candidates())
    if tb.free:
        raise SystemExit("gen_palette.py: %d table entries left unused" % len(tb.free))
    for i, c in enumerate(tb.table):
        assert legal(c, i), (i, c)
    assert len(set(tb.table)) == 256
    return tb.table, sorted(set(space)), stars, shades, bands, cyan


PALETTE, SPACE_INDICES, STAR_COLOURS, _SHADES, FONT_BANDS, CYAN_INDEX = _build()
GREY_SHADES = _SHADES["grey"]
YELLOW_SHADES = _SHADES["yellow"]
GREEN_SHADES = _SHADES["green"]


def build_palette():
    return list(PALETTE)
