#!/usr/bin/python3
"""Draws the game's four 8-bit bitmap images and writes them as BMP files.

Usage: gen_images.py [OUTPUT_DIR]   (default: the resources/ folder beside tools/)
       gen_images.py --contact-sheet SHEET.png [OUTPUT_DIR]
                                    (also writes the four images side by side,
                                    enlarged twice, as one PNG to look at)

Every image carries the same 256-colour table, defined here. The output is
byte-for-byte reproducible: fixed seeds, fixed font files, the basic text
layout engine, and no floating-point result that is not rounded before use.
"""

import math
import os
import random
import struct
import sys

try:
    from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont
except ImportError:
    sys.exit("gen_images.py: Pillow is required (run it with /usr/bin/python3)")

sys.dont_write_bytecode = True  # keep the source tree free of caches
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_palette as gp  # noqa: E402
import gen_glyphs  # noqa: E402
import gen_sprites  # noqa: E402

ROUNDED_FONT = "/usr/share/fonts/truetype/motoya-l-maruberi/MTLmr3m.ttf"
SANS_FONT = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"

KEY = gp.KEY_INDEX


def load_font(path, size):
    if not os.path.isfile(path):
        sys.exit("gen_images.py: font file missing: %s" % path)
    return ImageFont.truetype(path, size, layout_engine=ImageFont.Layout.BASIC)


# --------------------------------------------------------------------------
# Nearest-colour mapping onto a subset of the table


class Quantiser:
    def __init__(self, palette, indices):
        self.choices = [(i, palette[i]) for i in indices]
        self.memo = {}

    def index(self, rgb):
        found = self.memo.get(rgb)
        if found is None:
            r, g, b = rgb
            best = None
            for i, (pr, pg, pb) in self.choices:
                d = (pr - r) ** 2 + (pg - g) ** 2 + (pb - b) ** 2
                if best is None or d < best[0]:
                    best = (d, i)
            found = best[1]
            self.memo[rgb] = found
        return found


# 4x4 ordered-dither thresholds, centred on zero.
BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def quantise(img, quant, dither=0):
    """Maps an RGB image to table indices, with optional ordered dithering."""
    w, h = img.size
    data = list(img.getdata())
    out = bytearray(w * h)
    for y in range(h):
        row = BAYER4[y & 3]
        base = y * w
        for x in range(w):
            r, g, b = data[base + x]
            if dither:
                o = ((row[x & 3] * 2 - 15) * dither) // 32
                r = min(255, max(0, r + o))
                g = min(255, max(0, g + o))
                b = min(255, max(0, b + o))
                # Coarser keys keep the memo small; a step of 4 is invisible.
                r, g, b = r & ~3, g & ~3, b & ~3
            out[base + x] = quant.index((r, g, b))
    return out


# --------------------------------------------------------------------------
# BACKIMG: side panels and a space picture


def smooth_noise(rng, w, h, cells_x, cells_y):
    grid = Image.new("L", (cells_x, cells_y))
    grid.putdata([int(rng.random() * 256) for _ in range(cells_x * cells_y)])
    return grid.resize((w, h), Image.BICUBIC)


def cloud_field(rng, w, h):
    """Fractal-looking noise: four octaves of smooth noise averaged."""
    field = smooth_noise(rng, w, h, 5, 6)
    for weight, cx, cy in ((0.42, 10, 13), (0.3, 22, 29), (0.2, 48, 64)):
        field = Image.blend(field, smooth_noise(rng, w, h, cx, cy), weight)
    return field.filter(ImageFilter.GaussianBlur(1.5))


def band_mask(w, h, cx, cy, angle, half_width, length):
    """A soft elongated region that keeps a nebula to one part of the sky."""
    mask = Image.new("L", (w, h), 0)
    draw = ImageDraw.Draw(mask)
    dx, dy = math.cos(angle) * length, math.sin(angle) * length
    pts = [(round(cx - dx), round(cy - dy)), (round(cx + dx), round(cy + dy))]
    draw.line(pts, fill=255, width=half_width)
    return mask.filter(ImageFilter.GaussianBlur(half_width * 0.6))


def shaped_cloud(rng, w, h, mask, gain, floor):
    cloud = cloud_field(rng, w, h)
    # Stretch contrast so that the cloud breaks into filaments and gaps.
    cloud = cloud.point(lambda v: 0 if v < floor else min(255, (v - floor) * gain))
    return ImageChops.multiply(cloud, mask)


def tint(density, colour):
    r, g, b = colour
    return Image.merge(
        "RGB",
        [density.point(lambda v, c=c: v * c // 255) for c in (r, g, b)],
    )


def glow_layer(w, h, cx, cy):
    glow = Image.new("L", (w, h), 0)
    pix = glow.load()
    for y in range(max(0, cy - 90), min(h, cy + 91)):
        for x in range(max(0, cx - 90), min(w, cx + 91)):
            dx, dy = x - cx, y - cy
            r = math.sqrt(dx * dx + dy * dy)
            v = 235 * math.exp(-r / 9.0) + 70 * math.exp(-r / 34.0)
            # Thin diffraction spikes along the axes.
            spike = 0.0
            if abs(dy) <= 1:
                spike = max(spike, (150 if dy == 0 else 60) * math.exp(-abs(dx) / 22.0))
            if abs(dx) <= 1:
                spike = max(spike, (150 if dx == 0 else 60) * math.exp(-abs(dy) / 22.0))
            pix[x, y] = min(255, int(v + spike))
    return glow


def space_rgb(rng, w, h, star_x, star_y):
    # A faint vertical drift from near-black to deep blue.
    sky = Image.linear_gradient("L").resize((w, h))
    sky_rgb = Image.merge(
        "RGB",
        [sky.point(lambda v: 8 + v * 6 // 255), sky.point(lambda v: 5 + v * 6 // 255),
         sky.point(lambda v: 7 + v * 24 // 255)],
    )
    red_mask = band_mask(w, h, w * 0.30, h * 0.66, 1.15, 120, 260)
    violet_mask = band_mask(w, h, w * 0.74, h * 0.26, 2.35, 110, 230)
    red = shaped_cloud(rng, w, h, red_mask, 4, 118)
    violet = shaped_cloud(rng, w, h, violet_mask, 4, 112)
    dust = shaped_cloud(rng, w, h, band_mask(w, h, w * 0.5, h * 0.5, 0.4, 200, 400), 3, 130)
    picture = ImageChops.add(sky_rgb, tint(red, (225, 60, 75)))
    picture = ImageChops.add(picture, tint(violet, (100, 78, 230)))
    picture = ImageChops.add(picture, tint(dust, (30, 12, 46)))
    picture = ImageChops.add(picture, tint(glow_layer(w, h, star_x, star_y), (165, 195, 255)))
    return picture


def scatter_stars(rng, pixels, w, h, star_x, star_y):
    kinds = [
        ("white", 0.55),
        ("yellow", 0.25),
        ("green", 0.20),
    ]
    for _ in range(900):
        x = int(rng.random() * w)
        y = int(rng.random() * h)
        if abs(x - star_x) < 14 and abs(y - star_y) < 14:
            continue
        pick = rng.random()
        kind = "white"
        for name, share in kinds:
            if pick < share:
                kind = name
                break
            pick -= share
        bright = rng.random()
        dim, full = gp.STAR_COLOURS[kind]
        colour = full if bright > 0.45 else dim
        pixels[y * w + x] = colour
        if bright > 0.93 and 0 < x < w - 1 and 0 < y < h - 1:
            for ox, oy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                pixels[(y + oy) * w + x + ox] = dim


def draw_star_core(pixels, w, cx, cy):
    bright = gp.STAR_COLOURS["white"][1]
    for oy in range(-2, 3):
        for ox in range(-2, 3):
            if abs(ox) + abs(oy) <= 2:
                pixels[(cy + oy) * w + cx + ox] = bright
    pixels[cy * w + cx] = 255


def draw_backimg(palette):
    w, h = 640, 640
    left, right = 150, 630
    field_w = right - left
    star_x, star_y = 440 - left, 194
    rng = random.Random(19940611)
    quant = Quantiser(palette, gp.SPACE_INDICES)
    picture = quantise(space_rgb(rng, field_w, h, star_x, star_y), quant, dither=10)
    scatter_stars(rng, picture, field_w, h, star_x, star_y)
    draw_star_core(picture, field_w, star_x, star_y)
    out = bytearray([gp.PANEL_INDEX]) * (w * h)
    for y in range(h):
        out[y * w + left:y * w + right] = picture[y * field_w:(y + 1) * field_w]
    return w, h, out


# --------------------------------------------------------------------------
# TITLE: lettering, start prompt, unused menu labels, all on the key colour


def text_mask(text, font, stroke=0):
    probe = ImageDraw.Draw(Image.new("L", (1, 1)))
    box = probe.textbbox((0, 0), text, font=font, stroke_width=stroke)
    w, h = box[2] - box[0] + 4, box[3] - box[1] + 4
    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).text((2 - box[0], 2 - box[1]), text, font=font, fill=255,
                              stroke_width=stroke, stroke_fill=255)
    return mask.crop(mask.getbbox())


def paint_mask(out, w, mask, left, top, shades):
    """Writes a coverage mask as the colour's edge shades and full colour."""
    mw, mh = mask.size
    data = mask.getdata()
    for y in range(mh):
        for x in range(mw):
            a = data[y * mw + x]
            if a >= 64:
                out[(top + y) * w + left + x] = shades[min(3, (a - 64) // 48)]


def fit_mask(mask, width, height):
    return mask.resize((width, height), Image.LANCZOS)


def draw_arrow(out, w, left, top, shades):
    # A small left-pointing cursor mark, 6 wide and 9 tall.
    for dy in range(9):
        reach = 6 - abs(dy - 4) * 6 // 4
        for dx in range(6 - reach, 6):
            out[(top + dy) * w + left + dx] = shades[3]


MENU_LABELS = ["GAME START", "CONTINUE", "OPTIONS", "SOUND TEST", "RANKING", "EXIT"]


def draw_menu(out, w):
    font = load_font(SANS_FONT, 15)
    for line, label in enumerate(MENU_LABELS):
        top = 178 + line * 24
        for column, shades in ((10, gp.YELLOW_SHADES), (145, gp.GREEN_SHADES)):
            mask = text_mask(label, font)
            paint_mask(out, w, mask, column, top + 17 - mask.size[1], shades)
            if line == 0:
                draw_arrow(out, w, column + mask.size[0] + 6, top + 4, shades)


def draw_title(palette):
    w, h = 640, 480
    out = bytearray([KEY]) * (w * h)
    logo = text_mask("げーむたいとる", load_font(ROUNDED_FONT, 120), stroke=5)
    paint_mask(out, w, fit_mask(logo, 583, 78), 23, 9, gp.GREY_SHADES)
    prompt = fit_mask(text_mask("Push SpaceKey to Start", load_font(SANS_FONT, 26)), 350, 25)
    paint_mask(out, w, prompt, 138, 103, gp.YELLOW_SHADES)
    paint_mask(out, w, prompt, 138, 137, gp.GREEN_SHADES)
    draw_menu(out, w)
    return w, h, out


# --------------------------------------------------------------------------
# STRINGS: the bitmap font in five colour bands, and the marks of band 5


def draw_strings(palette):
    w, h = 600, 96
    out = bytearray([KEY]) * (w * h)
    for band in range(5):
        ramp = gp.FONT_BANDS[band]
        for code, rows in gen_glyphs.GLYPHS.items():
            left = (code - 32) * 8
            for gy, line in enumerate(rows):
                cell_row = gen_glyphs.FIRST_ROW + gy
                for gx, ch in enumerate(line):
                    if ch == "#":
                        out[(band * 16 + cell_row) * w + left + gx] = ramp[cell_row]
    draw_band5_marks(out, w)
    return w, h, out


def draw_band5_marks(out, w):
    cyan = gp.CYAN_INDEX
    top = 80
    for y in range(1, 15):  # a checkered block in the cell of code 33
        for x in range(1, 7):
            if (x + y) % 2 == 0:
                out[(top + y) * w + 8 + x] = cyan
    for n, dash in enumerate((1, 2, 3, 4)):  # dashed outlines, codes 34..37
        left = 16 + n * 8
        for y in range(1, 15):
            for x in range(0, 8):
                edge = y in (1, 14) or x in (0, 7)
                if edge and ((x + y) // dash) % 2 == 0:
                    out[(top + y) * w + left + x] = cyan


# --------------------------------------------------------------------------
# CHARA: the sprite sheet


def draw_chara(palette):
    w, h = 192, 112
    img = Image.new("RGB", (w, h), gp.KEY_COLOUR)
    gen_sprites.draw_all(img)
    quant = Quantiser(palette, [i for i in range(256) if i != KEY])
    out = bytearray(w * h)
    for i, rgb in enumerate(img.getdata()):
        out[i] = KEY if rgb == gp.KEY_COLOUR else quant.index(rgb)
    return w, h, out


# --------------------------------------------------------------------------
# BMP output


def bmp_bytes(w, h, pixels, palette):
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, w * h, 0, 0, 0, 0)
    offset = 14 + len(info) + len(table)
    head = struct.pack("<2sIHHI", b"BM", offset + w * h, 0, 0, offset)
    rows = b"".join(bytes(pixels[y * w:(y + 1) * w]) for y in range(h - 1, -1, -1))
    return head + info + table + rows


def contact_sheet(images, palette, path, scale=2, gap=16):
    """The images side by side, enlarged, each as the screen shows it: the
    display palette reserves entries 0 and 255 as black and white."""
    shown = list(palette)
    shown[0], shown[255] = (0, 0, 0), (255, 255, 255)
    flat = [c for rgb in shown for c in rgb]
    width = sum(w * scale for w, _, _ in images) + gap * (len(images) + 1)
    height = max(h * scale for _, h, _ in images) + 2 * gap
    sheet = Image.new("RGB", (width, height), (48, 48, 48))
    left = gap
    for w, h, pixels in images:
        image = Image.new("P", (w, h))
        image.putpalette(flat)
        image.putdata(pixels)
        sheet.paste(image.convert("RGB").resize((w * scale, h * scale), Image.NEAREST),
                    (left, gap))
        left += w * scale + gap
    sheet.save(path)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    args = argv[1:]
    sheet = None
    if args[:1] == ["--contact-sheet"]:
        if len(args) < 2:
            sys.exit(__doc__)
        sheet, args = args[1], args[2:]
    out_dir = args[0] if args else os.path.join(here, os.pardir, "resources")
    # Folders that do not exist yet are made, for the images and the sheet.
    os.makedirs(out_dir, exist_ok=True)
    if sheet is not None and os.path.dirname(sheet):
        os.makedirs(os.path.dirname(sheet), exist_ok=True)
    palette = gp.build_palette()
    images = []
    for name, draw in (("BACKIMG", draw_backimg), ("CHARA", draw_chara),
                       ("STRINGS", draw_strings), ("TITLE", draw_title)):
        w, h, pixels = draw(palette)
        images.append((w, h, pixels))
        with open(os.path.join(out_dir, name + ".bmp"), "wb") as f:
            f.write(bmp_bytes(w, h, pixels, palette))
    if sheet is not None:
        contact_sheet(images, palette, sheet)


if __name__ == "__main__":
    main(sys.argv)
