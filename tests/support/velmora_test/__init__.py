"""What every Python suite of Velmora's tests (e2e, player, wine, web) and the
measuring scripts of bench/ share: X servers, stopping processes, bounded
waits, frame images and their comparison, headless runs of the native build,
the browser's DevTools protocol, and the one exception a failed check raises.

CMake puts tests/support on PYTHONPATH for every suite."""


class Failure(AssertionError):
    """A check failed; the message says what was found and what was expected.

    An AssertionError, so that unittest counts it as a failure, not an error."""
