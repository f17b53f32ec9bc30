"""What the game shows and says, as every build's suite checks it: the
frame's size, the boxes that hold the clock-dependent FPS text, the ball and
its field, and the progress lines of display set-up."""

from . import images

TITLE = "2D Game Velmora"
# What display set-up writes, in order, one line a step (OutputDebugStringA on
# Windows, standard error natively, the console in a browser).
PROGRESS = [
    "DirectDrawCreateEx OK", "SetCooperativeLevel OK", "SetDisplayMode OK", "CreateSurface OK",
    "GetAttachedSurface OK", "DDLoadPalette OK", "SetPalette OK", "DDLoadBitmap BackImage OK",
    "DDLoadBitmap Strings OK", "DDLoadBitmap Title OK", "DDLoadBitmap Chara OK",
]

WIDTH, HEIGHT = 640, 480
# The frames-per-second text: up to nine glyphs of 8 x 16 at the top left. Its
# value depends on the clock, so it is left out of every comparison.
FPS_BOX = (0, 0, 72, 16)
# Its four digits alone: " FPS" after them is the same on both platforms once
# the first second has passed.
FPS_DIGITS_BOX = (0, 0, 32, 16)
# The whole row the text stands in.
FPS_ROW_BOX = (0, 0, WIDTH, 16)

# The ball's 8 x 8 cell: the columns it covers in each row; the corners are
# colour-keyed away and show the background.
BALL_SIZE = 8
BALL_ROWS = [(2, 5), (1, 6), (0, 7), (0, 7), (0, 7), (0, 7), (1, 6), (2, 5)]
BALL_START = (386, 400)
# Where the ball may be: the play field less the ball's size, ends included.
FIELD_X = (150, 622)
FIELD_Y = (0, 472)


def ball_pixels(image, x, y):
    """The colours of the ball's own pixels if its cell's top-left is at x, y."""
    px = image.load()
    return tuple(px[x + cx, y + row] for row, (first, last) in enumerate(BALL_ROWS)
                 for cx in range(first, last + 1))


def with_ball(background, sprite, x, y):
    """`background` with the ball drawn at x, y, its corners left out."""
    frame = background.copy()
    px = frame.load()
    colours = iter(sprite)
    for row, (first, last) in enumerate(BALL_ROWS):
        for cx in range(first, last + 1):
            px[x + cx, y + row] = next(colours)
    return frame


def without_ball(frame, where, other):
    """The play background alone: `frame` with the ball's cell at `where`
    taken from `other`, a frame whose ball lies elsewhere."""
    box = (where[0], where[1], where[0] + BALL_SIZE, where[1] + BALL_SIZE)
    background = frame.copy()
    background.paste(other.crop(box), box[:2])
    return background


def locate_ball(frame, reference, sprite):
    """The top-left of the ball in `frame`, found by its pixels against the
    first play frame `reference` (ball at BALL_START), or None."""
    start_box = (BALL_START[0], BALL_START[1], BALL_START[0] + BALL_SIZE,
                 BALL_START[1] + BALL_SIZE)
    moved = images.differences(frame, reference, ignore=(FPS_BOX, start_box))
    if not moved:
        candidates = [BALL_START]
    else:
        left, top, right, bottom = images.bounding_box(moved)
        # Some ball pixels may happen to match the background under them, so
        # the box of differences only brackets the ball; look around it.
        candidates = [(x, y) for y in range(max(FIELD_Y[0], bottom - BALL_SIZE - 1),
                                             min(FIELD_Y[1], top + 1) + 1)
                      for x in range(max(FIELD_X[0], right - BALL_SIZE - 1),
                                     min(FIELD_X[1], left + 1) + 1)]
        candidates.append(BALL_START)
    for x, y in candidates:
        if ball_pixels(frame, x, y) == sprite:
            return (x, y)
    return None


def field_step(before, after, low, high):
    """The signed move along one axis from `before` to `after`, taking the
    wrap from one edge of the field to the other into account."""
    span = high - low + 1
    step = (after - before) % span
    return step - span if step > span // 2 else step


def load(path):
    """A 640 x 480 frame from an image file; anything else is refused."""
    return images.load(path, (WIDTH, HEIGHT))


def differences(a, b, ignore=(FPS_BOX,)):
    """images.differences of two frames, by default outside the FPS text."""
    return images.differences(a, b, ignore)
