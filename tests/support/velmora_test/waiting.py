"""Bounded waits: nothing here waits for ever."""

import time


def wait_until(condition, timeout, step=0.1):
    """Polls condition() until it gives a true value, which is returned, or
    until timeout seconds have passed, when None is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(step)
